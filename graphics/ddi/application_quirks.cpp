#include "graphics/ddi/application_quirks.h"

#include <cstring>
#include <string_view>

#include "graphics/core/pdev.h"
#include "platform/base/codepage.h"

namespace {

constexpr size_t kApplicationPathChars = 259;

constexpr std::string_view kDocumentReaders[] = {"AcroRD32", "AcroEx32", "Acrobat"};
constexpr std::string_view kPageLayoutPrograms[] = {"pm70", "pm70j", "pm65", "pm65j", "pm6", "pm6j"};

// The file name of a Windows path without its extension. The separators are
// found as characters, never as the trail byte of a double-byte one.
std::string_view ProgramName(std::string_view path) {
  const size_t slash = platform::FindLastCharAnsi(path, '\\');
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  const size_t colon = platform::FindLastCharAnsi(path, ':');
  if (colon != std::string_view::npos) path.remove_prefix(colon + 1);
  const size_t dot = platform::FindLastCharAnsi(path, '.');
  if (dot != std::string_view::npos) path.remove_suffix(path.size() - dot);
  return path;
}

template <size_t N>
bool Names(const std::string_view (&names)[N], std::string_view program) {
  for (std::string_view name : names) {
    if (platform::EqualsNoCaseAnsi(name, program)) return true;
  }
  return false;
}

}  // namespace

void ApplyApplicationQuirks(PDEV* pdev) {
  if (!pdev) return;
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  const char* path = extra.applicationPath;
  const std::string_view program = ProgramName(std::string_view(path, strnlen(path, kApplicationPathChars)));
  const DWORD version = extra.applicationMajorVersion;
  const WORD word = version > 0xFFFF ? WORD{0xFFFF} : static_cast<WORD>(version);
  if (Names(kDocumentReaders, program)) {
    pdev->carried.acrobatVersion = word;
  } else if (Names(kPageLayoutPrograms, program)) {
    pdev->carried.pageMakerVersion = word;
  }
}
