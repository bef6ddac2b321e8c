// What every settings page calls: message boxes from string ids, combo selection
// by item data, hiding the controls a model does not offer, and small utilities.
#pragma once

#include <string>

#include "controls/dialog_base.h"

struct ModelRecord;

namespace controls {

// MessageBox with text and caption from the resource module's string table.
int MessageBoxFromIds(CWnd* parent, UINT textId, UINT captionId, UINT type);
// Selects the first entry whose item data is `value` (1); else entry 0 (0).
BOOL SelectComboByItemData(HWND combo, DWORD_PTR value);
// Hides the page's controls that the model's hidden-control rows name for the
// page's template.
void HideModelControls(CDialog* page, const ModelRecord* model);

std::string IntegerText(int value);
std::string LoadText(UINT id);
// 0 when the file cannot be opened.
DWORD FileLength(LPCSTR path);
BOOL FileReadable(LPCSTR path);
// Draws the bitmap resource at (x, y) with SRCCOPY; FALSE when it is missing.
BOOL DrawBitmapResource(CDC* dc, LPCSTR name, int x, int y, int* width, int* height);
// A WORD as two bytes and a BOOL as one byte (1 for TRUE).
void StoreWord(CArchive& archive, WORD value);
WORD LoadWord(CArchive& archive);
void StoreBool(CArchive& archive, BOOL value);
BOOL LoadBool(CArchive& archive);

}  // namespace controls
