#include "model/pdl_names.h"

#include "common/pdl_kind.h"
#include "platform/base/codepage.h"

namespace {

struct PdlName {
  const char* name;
  WORD bits;
};

constexpr PdlName kPdlNames[] = {
    {"PS3", kPdlPs3},     {"PS2", kPdlPs2},   {"PS", kPdlPs2},    {"PS1", kPdlPs1},     {"PCL5SI", kPdlPcl5si},
    {"PCL5E", kPdlPcl5e}, {"PCL", kPdlPcl5e}, {"PCL5", kPdlPcl5}, {"PCLXL", kPdlPclXl},
};

}  // namespace

WORD PdlBitsFromName(const char* name) {
  if (!name) return 0;
  for (const PdlName& entry : kPdlNames) {
    // Folds ASCII letters of whole characters only: a trail byte that happens to
    // be a letter never turns another name into one of these.
    if (platform::EqualsNoCaseAnsi(name, entry.name)) return entry.bits;
  }
  return 0;
}
