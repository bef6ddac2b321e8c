#include "interface/pages/format_notice.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "interface/util/resource_text.h"
#include "model/format_warning.h"
#include "model/settings_text.h"
#include "platform/ui/message_box.h"

namespace {

constexpr UINT kFormatWarningText = 8940;
constexpr UINT kFormatWarningCaption = 8941;

std::mutex g_lock;
std::set<std::string>& WarnedPrinters() {
  static std::set<std::string> printers;
  return printers;
}

}  // namespace

bool WarnOfModelFormatOnce(HANDLE printer, const char* printerName, HWND owner) {
  if (!printerName) return false;
  const std::optional<std::string> version =
      modelsettings::ReadText(LibrarySettings(), printer, kStoreModelDescription, "General", "FormatVersion",
                              modelsettings::kSingleKeyBuffer, false);
  if (!version) return false;
  char* end = nullptr;
  const long major = std::strtol(version->c_str(), &end, 10);
  const long minor = end && *end == '.' ? std::strtol(end + 1, nullptr, 10) : 0;
  if (major == kModelFormatMajor) return false;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    if (!WarnedPrinters().insert(printerName).second) return false;
  }
  char format[512] = {}, caption[128] = {}, text[640] = {};
  LoadResString(kFormatWarningText, format, sizeof format);
  LoadResString(kFormatWarningCaption, caption, sizeof caption);
  std::snprintf(text, sizeof text, format, printerName, static_cast<int>(major), static_cast<int>(minor),
                kModelFormatMajor);
  MessageBoxA(owner, text, caption, MB_ICONWARNING | MB_OK);
  return true;
}
