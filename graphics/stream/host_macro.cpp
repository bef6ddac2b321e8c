// A PCL macro kept as a file on the host, copied into the job inside the macro
// definition that the overlay set-up writes around it. The file is named by the
// installed-macro record of the device mode's macro id.
#include <string>
#include <string_view>

#include "common/settings_store.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/core/pdev.h"
#include "graphics/stream/channel_files.h"
#include "graphics/stream/output.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"

namespace {

constexpr DWORD kSettingBytes = 256;

// The file field of an installed-macro record "number,name,file;": what follows
// the second comma, leading blanks and the closing ";" left out (a path may
// hold commas of its own). Empty when the record has no such field.
std::string MacroFilePath(std::string_view record) {
  const size_t first = record.find(',');
  if (first == std::string_view::npos) return {};
  const size_t second = record.find(',', first + 1);
  if (second == std::string_view::npos) return {};
  std::string_view file = record.substr(second + 1);
  while (!file.empty() && (file.front() == ' ' || file.front() == '\t')) file.remove_prefix(1);
  const size_t end = file.find(';');
  if (end != std::string_view::npos) file = file.substr(0, end);
  while (!file.empty() && (file.back() == ' ' || file.back() == '\t')) file.remove_suffix(1);
  return std::string(file);
}

}  // namespace

int EmitHostMacro(PDEV* pdev) {
  if (pdev == nullptr || !FlushOutputBuffer(pdev)) return 0;
  const SettingsFunctions& settings = GraphicsSettings();
  char model[kSettingBytes] = {};
  DWORD size = sizeof model;
  if (settings.GetString(pdev->printer, kStoreModelDescription, "General", "ModelName", model, &size) != 0 ||
      model[0] == '\0') {
    return 0;
  }
  char section[kSettingBytes + 16];
  char key[32];
  if (FormatOut(section, "%s\\%s", "HostInfo", model) < 0 ||
      FormatOut(key, "%s_%d", "Macro", static_cast<int32_t>(pdev->devmode.dmPrivate._lMacroId)) < 0) {
    return 0;
  }
  char record[kSettingBytes] = {};
  size = sizeof record;
  if (settings.GetString(pdev->printer, kStoreUserMacros, section, key, record, &size) != 0) return 0;
  const std::string path = MacroFilePath(record);
  if (path.empty()) return 0;

  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE || file == 0) return 0;
  DWORD high = 0;
  SetLastError(ERROR_SUCCESS);
  const DWORD low = GetFileSize(file, &high);
  const bool sized = !(low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS);
  uint64_t remaining = sized ? (static_cast<uint64_t>(high) << 32) | low : 0;
  const int channel = static_cast<int>(pdev->output.currentChannel) - 1;
  BYTE piece[kChannelCopyPiece];
  bool ok = sized;
  while (ok && remaining > 0) {
    DWORD got = 0;
    const DWORD want = remaining < sizeof piece ? static_cast<DWORD>(remaining) : DWORD{sizeof piece};
    if (!ReadFile(file, piece, want, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;  // the file shrank since its size was read: what is there went out
    DWORD written = 0;
    if (!WriteChannel(pdev, channel, piece, got, &written)) ok = false;
    remaining -= got;
  }
  CloseHandle(file);
  return ok ? 1 : 0;
}
