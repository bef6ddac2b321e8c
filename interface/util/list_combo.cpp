#include "interface/util/list_combo.h"

#include <cstring>
#include <string>

#include "platform/base/codepage.h"
#include "platform/base/text_cut.h"
#include "platform/ui/user.h"

namespace {

// The messages of one kind of control.
struct ListMessages {
  UINT getCurSel, setCurSel, getText, getTextLen, getItemData, setItemData, deleteString, resetContent, addString,
      insertString, findStringExact, getCount;
  DWORD sortStyle;
};
constexpr ListMessages kListBox{LB_GETCURSEL,       LB_SETCURSEL,    LB_GETTEXT,      LB_GETTEXTLEN, LB_GETITEMDATA,
                                LB_SETITEMDATA,     LB_DELETESTRING, LB_RESETCONTENT, LB_ADDSTRING,  LB_INSERTSTRING,
                                LB_FINDSTRINGEXACT, LB_GETCOUNT,     LBS_SORT};
constexpr ListMessages kComboBox{CB_GETCURSEL,       CB_SETCURSEL,    CB_GETLBTEXT,    CB_GETLBTEXTLEN, CB_GETITEMDATA,
                                 CB_SETITEMDATA,     CB_DELETESTRING, CB_RESETCONTENT, CB_ADDSTRING,    CB_INSERTSTRING,
                                 CB_FINDSTRINGEXACT, CB_GETCOUNT,     CBS_SORT};

const ListMessages* MessagesOf(HWND window) {
  char name[32] = {};
  if (!GetClassNameA(window, name, sizeof name)) return nullptr;
  if (platform::EqualsNoCaseAnsi(name, "LISTBOX")) return &kListBox;
  if (platform::EqualsNoCaseAnsi(name, "COMBOBOX")) return &kComboBox;
  return nullptr;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageA(window, message, wParam, lParam);
}

// The text of an item into a buffer of `size` bytes. The item's whole text is
// read first: the messages write it without knowing the buffer.
void CopyItemText(HWND window, const ListMessages& m, int index, char* buffer, size_t size) {
  if (!buffer || size == 0) return;
  buffer[0] = '\0';
  const LRESULT length = Send(window, m.getTextLen, static_cast<WPARAM>(index));
  if (length < 0) return;
  std::string text(static_cast<size_t>(length) + 1, '\0');
  Send(window, m.getText, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::strlen(text.c_str()));
  const size_t kept = platform::CutPoint(std::string_view(text), size - 1);
  std::memcpy(buffer, text.data(), kept);
  buffer[kept] = '\0';
}

LRESULT Replace(HWND window, const ListMessages& m, int index, LPARAM text) {
  if (index < 0 || index >= Send(window, m.getCount)) return -1;
  const LRESULT data = Send(window, m.getItemData, static_cast<WPARAM>(index));
  const LRESULT remaining = Send(window, m.deleteString, static_cast<WPARAM>(index));
  const bool sorted = (GetWindowLongA(window, GWL_STYLE) & m.sortStyle) != 0;
  const LRESULT at =
      sorted ? Send(window, m.addString, 0, text) : Send(window, m.insertString, static_cast<WPARAM>(remaining), text);
  if (at < 0) return -1;
  Send(window, m.setItemData, static_cast<WPARAM>(at), data);
  Send(window, m.setCurSel, static_cast<WPARAM>(at));
  return at;
}

}  // namespace

LRESULT ListOrComboOp(HWND window, WPARAM wParam, LPARAM lParam, int operation) {
  const ListMessages* messages = MessagesOf(window);
  if (!messages) return -1;
  const ListMessages& m = *messages;
  LRESULT answer = -1;
  switch (operation) {
    case kListGetSelectedText: {
      auto* buffer = reinterpret_cast<char*>(wParam);
      const size_t size = static_cast<size_t>(lParam);
      if (buffer && size > 0) buffer[0] = '\0';
      answer = Send(window, m.getCurSel);
      if (answer >= 0) CopyItemText(window, m, static_cast<int>(answer), buffer, size);
      break;
    }
    case kListRenameSelected: answer = Replace(window, m, static_cast<int>(Send(window, m.getCurSel)), lParam); break;
    case kListDelete: answer = Send(window, m.deleteString, wParam); break;
    case kListReset: answer = Send(window, m.resetContent); break;
    case kListAdd: answer = Send(window, m.addString, 0, lParam); break;
    case kListInsert: answer = Send(window, m.insertString, wParam, lParam); break;
    case kListSelectText:
      answer = Send(window, m.findStringExact, static_cast<WPARAM>(-1), static_cast<LPARAM>(wParam));
      Send(window, m.setCurSel, static_cast<WPARAM>(answer));
      break;
    case kListReplace: answer = Replace(window, m, static_cast<int>(static_cast<INT_PTR>(wParam)), lParam); break;
    case kListFindText: answer = Send(window, m.findStringExact, static_cast<WPARAM>(-1), lParam); break;
    default: break;
  }
  return answer < 0 ? -1 : answer;
}
