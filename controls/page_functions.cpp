#include "controls/page_functions.h"

#include <cstdio>

#include "model/model_record.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "platform/base/resources.h"

namespace controls {

int MessageBoxFromIds(CWnd* parent, UINT textId, UINT captionId, UINT type) {
  const std::string text = LoadText(textId);
  const std::string caption = LoadText(captionId);
  return MessageBoxA(parent ? parent->m_hWnd : 0, text.c_str(), caption.c_str(), type);
}

BOOL SelectComboByItemData(HWND combo, DWORD_PTR value) {
  const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    if (static_cast<DWORD_PTR>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == value) {
      SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      return TRUE;
    }
  }
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  return FALSE;
}

void HideModelControls(CDialog* page, const ModelRecord* model) {
  if (!page || !model) return;
  for (int i = 0; i < kModelMaxHiddenControls; ++i) {
    const HiddenControlRow& row = model->hiddenControls[i];
    // A loaded row holds its key (the row's number in the model description),
    // the page's template and the control, in that order; the key only ends the table.
    if (row.controlId == 0) break;
    if (static_cast<UINT>(row.dialogId1) != page->m_nIDHelp) continue;
    if (HWND item = ::GetDlgItem(page->m_hWnd, row.dialogId2)) ::ShowWindow(item, SW_HIDE);
  }
}

std::string IntegerText(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return text;
}

std::string LoadText(UINT id) {
  char text[1024] = {};
  LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
  return text;
}

DWORD FileLength(LPCSTR path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const DWORD size = GetFileSize(file, nullptr);
  CloseHandle(file);
  return size == INVALID_FILE_SIZE ? 0 : size;
}

BOOL FileReadable(LPCSTR path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  CloseHandle(file);
  return TRUE;
}

BOOL DrawBitmapResource(CDC* dc, LPCSTR name, int x, int y, int* width, int* height) {
  CBitmap bitmap;
  if (!dc || !bitmap.LoadBitmap(name)) return FALSE;
  BITMAP info{};
  bitmap.GetBitmap(&info);
  CDC memory;
  memory.CreateCompatibleDC(dc);
  CGdiObject* old = memory.SelectObject(&bitmap);
  dc->BitBlt(x, y, info.bmWidth, info.bmHeight, &memory, 0, 0, SRCCOPY);
  if (old) memory.SelectObject(old->m_hObject);
  if (width) *width = info.bmWidth;
  if (height) *height = info.bmHeight;
  return TRUE;
}

void StoreWord(CArchive& archive, WORD value) { archive << value; }
WORD LoadWord(CArchive& archive) {
  WORD value = 0;
  archive >> value;
  return value;
}
void StoreBool(CArchive& archive, BOOL value) { archive << static_cast<BYTE>(value ? 1 : 0); }
BOOL LoadBool(CArchive& archive) {
  BYTE value = 0;
  archive >> value;
  return value ? TRUE : FALSE;
}

}  // namespace controls
