// The installer's entry: one modal run of the fonts or the macros dialog for a
// printer, one run at a time.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "fontinstaller/installer_strings.h"
#include "platform/base/profile.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/message_box.h"

namespace fontinstaller {
namespace {

int g_busy = 0;

// The driver's data file of the printer; empty when it cannot be read.
std::string DriverDataFile(const char* printerName) {
  HANDLE printer = 0;
  if (!OpenPrinterA(const_cast<char*>(printerName), &printer, nullptr)) return {};
  std::vector<BYTE> buffer(1024);
  std::string dataFile;
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD needed = 0;
    if (GetPrinterDriverA(printer, nullptr, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed)) {
      const auto* info = reinterpret_cast<const DRIVER_INFO_2A*>(buffer.data());
      if (info->pDataFile) dataFile = info->pDataFile;
      break;
    }
    if (needed <= buffer.size()) break;
    buffer.resize(needed);
  }
  ClosePrinter(printer);
  return dataFile;
}

void RunInstaller(HWND owner, LPCSTR printerName, int kind, DWORD flags) {
  auto context = std::make_unique<InstallerContext>();
  std::memset(context.get(), 0, sizeof *context);
  CopyField(context->printerName, printerName);
  const std::string dataFile = DriverDataFile(context->printerName);
  if (!dataFile.empty()) {
    char model[16] = {};
    GetPrivateProfileStringA("General", "ModelID", "", model, sizeof model, dataFile.c_str());
    GetPrivateProfileStringA("General", "PCLFontInstallerHelp", "", context->helpFile, sizeof context->helpFile,
                             dataFile.c_str());
  }
  context->flags = flags;
  if (flags & kFlagSharedInfoFile) {
    GetInfoFile(owner, context->printerName, context->infoFilePath, sizeof context->infoFilePath);
  }
  INT_PTR result = 0;
  if (kind == kKindFonts) {
    result = RunFontsDialog(owner, context.get());
  } else if (kind == kKindMacros) {
    result = RunMacrosDialog(owner, context.get());
  }
  if (result == -1) {
    InstallerBox(owner, kStringNoMemoryForDialog, kStringFontInstallerCaption, MB_OK | MB_SYSTEMMODAL);
  }
}

}  // namespace
}  // namespace fontinstaller

using namespace fontinstaller;

int EnterInstaller(HWND owner, LPCSTR printerName, void*, int kind, DWORD flags) {
  if (g_busy) {
    InstallerBox(owner, kStringAlreadyRunning, kStringInstallerCaption, MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  g_busy = 1;
  // The caller is an application's property page: nothing may end it from here.
  try {
    if (printerName) RunInstaller(owner, printerName, kind, flags);
  } catch (...) {
  }
  g_busy = 0;
  return 0;
}
