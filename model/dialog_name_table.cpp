#include "model/dialog_name_table.h"

#include <cstring>

namespace {

struct DialogName {
  const char* name;
  int id;
};

// Looked up by prefix, in this order: a name may carry a suffix of its own.
constexpr DialogName kDialogNames[] = {
    {"IDD_DIALOG_SEPARATORS", 206}, {"IDR_INSERTFROMTRAYS", 1321},   {"IDB_INSERTTRAY_EDIT", 1322},
    {"IDS_INSERTTRAY_AFTER", 1347}, {"IDEB_INSERTTRAY_BRIEF", 1341}, {"IDC_INSERTTRAY", 1618},
};

}  // namespace

int HiddenControlDialogId(const char* name) {
  if (!name) return 0;
  // The table names are ASCII and a DBCS lead byte is never ASCII, so a byte-wise
  // prefix match can only match whole characters.
  for (const DialogName& entry : kDialogNames) {
    if (std::strncmp(name, entry.name, std::strlen(entry.name)) == 0) return entry.id;
  }
  return 0;
}
