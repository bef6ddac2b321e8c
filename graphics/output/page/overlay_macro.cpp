// The PCL overlay macro of a job. A macro that lives in the printer is only
// selected; a macro file on the host is defined as a temporary macro of the
// job, which a printer reset deletes again, so it is defined anew after every
// reset (RestoreOverlayMacro). A host file that cannot be used is left out
// before a single command is written: a job never calls or lays under its
// pages a macro that was not (or only partly) defined.
#include "graphics/output/page/overlay_macro.h"

#include <cstring>
#include <string>
#include <string_view>

#include "common/settings_store.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings_write.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/stream/output.h"
#include "graphics/util/diagnostic.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"

using namespace pagesetup;

namespace {

constexpr char kEscape = 0x1b;
constexpr DWORD kSettingBytes = 256;

// Macro control values of "ESC&f#X".
constexpr DWORD kStartDefinition = 0;
constexpr DWORD kStopDefinition = 1;
constexpr DWORD kCallMacro = 3;
constexpr DWORD kEnableOverlay = 4;
constexpr DWORD kDisableOverlay = 5;
constexpr DWORD kDeleteMacroId = 8;
// Operations of the alphanumeric id "ESC&n#W".
constexpr BYTE kSetCurrentMacroName = 4;
constexpr BYTE kMacroNameAsId = 5;

int WriteEscape(PDEV* pdev, char first, char second, char terminator, DWORD number) {
  char text[32];
  const int length = FormatPclEscape(text, sizeof text, first, second, terminator, number);
  return length > 0 && WriteBytes(pdev, text, length);
}

int WriteMacroControl(PDEV* pdev, DWORD control) { return WriteEscape(pdev, '&', 'f', 'X', control); }

// The host file named by the installed-macro record of the device mode's
// macro id ("number,name,file;": what follows the second comma).
std::string HostMacroPath(PDEV* pdev) {
  const SettingsFunctions& settings = GraphicsSettings();
  char model[kSettingBytes] = {};
  DWORD size = sizeof model;
  if (settings.GetString(pdev->printer, kStoreModelDescription, "General", "ModelName", model, &size) != 0 ||
      model[0] == '\0') {
    return {};
  }
  const std::string section = std::string("HostInfo\\") + model;
  const std::string key = "Macro_" + std::to_string(static_cast<int32_t>(pdev->devmode.dmPrivate._lMacroId));
  char record[kSettingBytes] = {};
  size = sizeof record;
  if (settings.GetString(pdev->printer, kStoreUserMacros, section.c_str(), key.c_str(), record, &size) != 0) {
    return {};
  }
  std::string_view text(record);
  const size_t first = text.find(',');
  const size_t second = first == std::string_view::npos ? first : text.find(',', first + 1);
  if (second == std::string_view::npos) return {};
  std::string_view file = text.substr(second + 1);
  while (!file.empty() && (file.front() == ' ' || file.front() == '\t')) file.remove_prefix(1);
  if (const size_t end = file.find(';'); end != std::string_view::npos) file = file.substr(0, end);
  while (!file.empty() && (file.back() == ' ' || file.back() == '\t')) file.remove_suffix(1);
  return std::string(file);
}

// Whether the host macro file can be copied: named, present, readable and
// not empty.
bool HostMacroUsable(PDEV* pdev) {
  const std::string path = HostMacroPath(pdev);
  if (path.empty()) return false;
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE || file == 0) return false;
  DWORD high = 0;
  SetLastError(ERROR_SUCCESS);
  const DWORD low = GetFileSize(file, &high);
  const bool sized = !(low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS);
  BYTE probe = 0;
  DWORD got = 0;
  const bool readable = sized && (low != 0 || high != 0) && ReadFile(file, &probe, 1, &got, nullptr) && got == 1;
  CloseHandle(file);
  return readable;
}

bool IsOverlayJob(const PDEV* pdev) { return IsPclJob(pdev) && pdev->devmode.dmPrivate._nMacroLocation != kMacroNone; }

// Selects (or defines, for a host file) the macro; nothing is called.
int PlaceMacro(PDEV* pdev) {
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  switch (extra._nMacroLocation) {
    case kMacroPrinterById: return WriteEscape(pdev, '&', 'f', 'Y', extra._lMacroId);
    case kMacroPrinterByName: {
      const size_t length = strnlen(extra._sMacroName, sizeof extra._sMacroName - 1);
      if (length == 0) {
        ReportDiagnostic("MACRONAME");
        return 0;
      }
      char name[sizeof extra._sMacroName] = {};
      std::memcpy(name, extra._sMacroName, length);
      char text[64];
      int written = 1;
      for (BYTE operation : {kSetCurrentMacroName, kMacroNameAsId}) {
        const int size = FormatPclEscapeData(text, sizeof text, '&', 'n', 'W', operation, name, length);
        written = written && size > 0 && WriteBytes(pdev, text, size);
      }
      return written;
    }
    case kMacroHostFile: {
      if (!HostMacroUsable(pdev)) {
        ReportDiagnostic("MACROFILE");
        return 0;
      }
      int written = WriteEscape(pdev, '&', 'f', 'Y', extra._lMacroId) && WriteMacroControl(pdev, kStartDefinition);
      written = written && FlushOutputBuffer(pdev);
      const int copied = written && EmitHostMacro(pdev);
      written = written && WriteMacroControl(pdev, kStopDefinition);
      if (written && !copied) {
        // The file failed part-way: the partly defined macro is deleted, so it
        // is never called.
        WriteMacroControl(pdev, kDeleteMacroId);
        ReportDiagnostic("MACROFILE");
        return 0;
      }
      return written;
    }
    default:
      // An unknown location names no macro the job could use.
      ReportDiagnostic("MACROLOC");
      return 0;
  }
}

int PlaceAndRecord(PDEV* pdev) {
  PageSetupState& state = pdev->writers.pageSetup;
  const int placed = PlaceMacro(pdev);
  state.macroDefined = placed ? TRUE : FALSE;
  state.macroUnusable = placed ? FALSE : TRUE;
  state.macroResets = DeviceSettingsResets(pdev);
  return placed;
}

}  // namespace

int FormatPclEscape(char* buffer, size_t capacity, char first, char second, char terminator, DWORD number) {
  if (buffer == nullptr) return -1;
  return FormatOut(buffer, capacity, "%c%c%c%u%c", kEscape, first, second, number, terminator);
}

int FormatPclEscapeData(char* buffer, size_t capacity, char first, char second, char terminator, BYTE operation,
                        const char* text, size_t length) {
  if (buffer == nullptr || text == nullptr || std::memchr(text, 0, length) != nullptr) return -1;
  const int head = FormatOut(buffer, capacity, "%c%c%c%u%c%c", kEscape, first, second, static_cast<DWORD>(length + 1),
                             terminator, operation);
  if (head < 0 || static_cast<size_t>(head) + length + 1 > capacity) return -1;
  std::memcpy(buffer + head, text, length);
  buffer[head + length] = '\0';
  return head + static_cast<int>(length);
}

int SetUpOverlayMacro(PDEV* pdev) {
  if (pdev == nullptr || !IsOverlayJob(pdev)) return 0;
  if (!PlaceAndRecord(pdev)) return 0;
  WriteMacroControl(pdev, pdev->devmode.dmPrivate._bMacroBackground ? kCallMacro : kEnableOverlay);
  return 1;
}

int RestoreOverlayMacro(PDEV* pdev) {
  if (pdev == nullptr || !IsOverlayJob(pdev)) return 0;
  return PlaceAndRecord(pdev);
}

int DisableOverlayMacro(PDEV* pdev) {
  if (pdev == nullptr) return 1;
  if (IsPclJob(pdev)) WriteMacroControl(pdev, kDisableOverlay);
  pdev->writers.pageSetup.macroDefined = FALSE;
  return 1;
}
