// Which escapes exist for a printer.
#include <algorithm>
#include <iterator>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/escapes/escapes.h"
#include "platform/base/errors.h"

namespace {

constexpr ULONG kAnyLanguage[] = {8, 19, 20, 52, 53, 54, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 100, 20000};
constexpr ULONG kPostScriptOnly[] = {33, 37, 38, 4096, 4097, 4098, 4111, 4115, 4117, 4118, 4121};

template <size_t N>
bool In(const ULONG (&list)[N], ULONG escape) {
  return std::find(std::begin(list), std::end(list), escape) != std::end(list);
}

}  // namespace

BOOL IsEscapeSupported(ULONG escape, const PDEV* pdev) {
  if (pdev == nullptr) return FALSE;
  if (In(kAnyLanguage, escape)) return TRUE;
  return IsPostScriptPdl(pdev->devmode.dmPrivate._nPDL) && In(kPostScriptOnly, escape) ? TRUE : FALSE;
}

ULONG RefuseEscape() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}
