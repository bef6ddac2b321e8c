// One set of operations for the pages' list boxes and combo boxes: each sends
// the list-box or the combo-box form of its messages, after the window's class.
#pragma once

#include "platform/base/types.h"

enum ListComboOperation {
  kListGetSelectedText = 1,  // wParam: buffer, lParam: its size in bytes → selection index
  kListRenameSelected = 2,   // lParam: text → the selection's new index
  kListDelete = 3,           // wParam: index → the count of the items left
  kListReset = 4,            // → 0
  kListAdd = 5,              // lParam: text → its index
  kListInsert = 6,           // wParam: index, lParam: text → its index
  kListSelectText = 7,       // wParam: text → its index (the selection is cleared when none matches)
  kListReplace = 8,          // wParam: index, lParam: text → its new index, selected
  kListFindText = 9,         // lParam: text → its index
};

// -1 for a window that is neither a list box nor a combo box, for an operation
// not listed above, and where the messages answer an error (no selection, no
// such item or text). Texts match exactly, without regard to case. The text of
// the selection is cut to fit its buffer, never inside a double-byte character.
// Replacing keeps the item's data; in an unsorted list the new text goes to the
// end, in a sorted one to its place.
LRESULT ListOrComboOp(HWND window, WPARAM wParam, LPARAM lParam, int operation);
