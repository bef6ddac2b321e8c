// A printer command the model description gives for a paper source, for trays
// that take a command of their own instead of a PCL tray number.
#include <cstring>

#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/output/job/pdl_command.h"
#include "graphics/stream/output.h"

namespace {

constexpr WORD kPclCommandFamily = 0x8C;
// Commands longer than this are no paper-source command.
constexpr DWORD kLongestCommand = 1024;

const char* LanguageSection(WORD pdlKind) {
  if (pdlKind & kPdlPostScriptMask) return "PS";
  if (pdlKind & kPclCommandFamily) return "PCL5";
  if (pdlKind & kPdlPclXl) return "PCLXL";
  return nullptr;
}

}  // namespace

int GetPdlCommand(HANDLE printer, DWORD request, int sourceNumber, WORD pdlKind, char* buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';
  const char* language = LanguageSection(pdlKind);
  if (request != kPdlCommandPaperSource || language == nullptr) return 0;
  char section[64];
  char key[64];
  FormatOut(section, "PDLCommands/%s", language);
  FormatOut(key, "PaperSource/%d", sourceNumber);
  // Read whole into room of our own: the store cuts a long value silently, and
  // a cut command would send the printer half an escape sequence.
  char command[kLongestCommand + 1] = {};
  DWORD length = sizeof command;
  if (GraphicsSettings().GetString(printer, kStoreModelDescription, section, key, command, &length) != 0) return 0;
  length = static_cast<DWORD>(std::strlen(command));
  if (length == 0 || length >= kLongestCommand || length >= size) return 0;
  std::memcpy(buffer, command, length + 1);
  return 1;
}
