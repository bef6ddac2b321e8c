// The font and macro attribute editors are one dialog over two kinds of entry:
// the file, description and name of an installed entry, its id and memory
// check boxes, and on OK the name and id checked and the changes stored. A kind
// gives its entry type, its template and help topic, how it shows and takes
// the name, and how it stores what changed; this holds what the two share.
//
//   struct Kind {
//     using Entry = ...;
//     static constexpr WORD kTemplate; static constexpr int kHelpTopic;
//     static void Show(HWND, const Entry&);                           // file, description, name, ...
//     static bool TakeName(HWND, const Entry&, std::string* name);    // false: refused, told why
//     static void Store(HWND, EntryEditRequest<Entry>&, const std::string& name, int32_t id);
//   };
#pragma once

#include <string>
#include <vector>

#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/user.h"

namespace fontinstaller {

template <class Entry>
struct EntryEditRequest {
  InstallerContext* context;
  Entry entry;
  const std::vector<Entry>* list;
  DWORD flags;  // as the check boxes leave them
};

template <class Kind>
class EntryAttributesDialog {
 public:
  using Entry = typename Kind::Entry;
  using Request = EntryEditRequest<Entry>;

  // True on OK.
  static bool Run(HWND owner, InstallerContext* context, const Entry& entry, const std::vector<Entry>& list) {
    Request request{context, entry, &list, entry.flags};
    return DialogBoxParamA(InstallerInstance(), MAKEINTRESOURCEA(Kind::kTemplate), owner, Procedure,
                           reinterpret_cast<LPARAM>(&request)) == IDOK;
  }

 private:
  // Another entry of the same place already has the id.
  static bool IdInUse(const Request& request, int32_t id) {
    for (const Entry& other : *request.list) {
      if (other.location == request.entry.location && other.id == id && other.id != request.entry.id) return true;
    }
    return false;
  }

  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = DialogData<Request>(dialog, message, lParam);
    if (message == WM_INITDIALOG) {
      const Entry& e = request->entry;
      Kind::Show(dialog, e);
      ShowEntryIdentity(dialog, *request->context, e.id, e.location, e.flags);
      return TRUE;
    }
    if (message != WM_COMMAND || !request) return FALSE;
    if (ClickMemoryCheck(dialog, LOWORD(wParam), &request->flags)) return TRUE;
    switch (LOWORD(wParam)) {
      case IDOK: {
        std::string name;
        if (!Kind::TakeName(dialog, request->entry, &name)) break;
        const std::optional<int32_t> id = EditedId(dialog, request->entry.id);
        if (!id) break;
        if (IdInUse(*request, *id)) {
          InstallerBox(dialog, 711, 712, MB_OK | MB_ICONWARNING);
          break;
        }
        Kind::Store(dialog, *request, name, *id);
        EndDialog(dialog, IDOK);
        break;
      }
      case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
      case kNameDialogHelp: ShowInstallerHelp(dialog, Kind::kHelpTopic, *request->context); break;
      default: break;
    }
    return TRUE;
  }
};

}  // namespace fontinstaller
