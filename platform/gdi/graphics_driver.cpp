#include "platform/gdi/graphics_driver.h"

#include <map>
#include <mutex>

#include "platform/base/codepage.h"
#include "platform/base/debug.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"

namespace platform::gdi {
namespace {

std::mutex loadedMutex;
// Folded Windows path -> the library loaded from it, while some DC holds it.
std::map<std::u16string, std::weak_ptr<GraphicsDriver>>& Loaded() {
  static std::map<std::u16string, std::weak_ptr<GraphicsDriver>> loaded;
  return loaded;
}

// Fails the load with `error` and says why, naming the library.
std::nullptr_t Refuse(const std::u16string& path, DWORD error, const std::string& reason) {
  std::string line = "CreateDC: graphics library " + Utf8FromUtf16(path) + ": " + reason;
  OutputDebugStringA(AnsiFromUtf8(line).c_str());
  SetLastError(error);
  return nullptr;
}

// What a printer driver cannot do without: its PDEV and surface, and the
// document and page calls of a print job.
constexpr ULONG kRequired[] = {INDEX_DrvEnablePDEV,    INDEX_DrvCompletePDEV,   INDEX_DrvDisablePDEV,
                               INDEX_DrvEnableSurface, INDEX_DrvDisableSurface, INDEX_DrvStartDoc,
                               INDEX_DrvEndDoc,        INDEX_DrvStartPage,      INDEX_DrvSendPage};

const char* RequiredName(ULONG index) {
  switch (index) {
    case INDEX_DrvEnablePDEV: return "DrvEnablePDEV";
    case INDEX_DrvCompletePDEV: return "DrvCompletePDEV";
    case INDEX_DrvDisablePDEV: return "DrvDisablePDEV";
    case INDEX_DrvEnableSurface: return "DrvEnableSurface";
    case INDEX_DrvDisableSurface: return "DrvDisableSurface";
    case INDEX_DrvStartDoc: return "DrvStartDoc";
    case INDEX_DrvEndDoc: return "DrvEndDoc";
    case INDEX_DrvStartPage: return "DrvStartPage";
    case INDEX_DrvSendPage: return "DrvSendPage";
    default: return "?";
  }
}

}  // namespace

GraphicsDriver::~GraphicsDriver() {
  if (disable_) disable_();
  if (module_) FreeLibrary(module_);
}

std::shared_ptr<GraphicsDriver> GraphicsDriver::Load(const std::u16string& windowsPath) {
  if (windowsPath.empty()) return Refuse(windowsPath, ERROR_MOD_NOT_FOUND, "the driver names no graphics library");
  const std::u16string key = FoldCase(windowsPath);
  std::lock_guard lock(loadedMutex);
  if (auto it = Loaded().find(key); it != Loaded().end()) {
    if (auto driver = it->second.lock()) return driver;
  }

  std::shared_ptr<GraphicsDriver> driver(new GraphicsDriver);
  driver->path_ = windowsPath;
  driver->module_ = LoadLibraryA(FromUtf16(windowsPath).c_str());
  if (!driver->module_) return Refuse(windowsPath, ERROR_MOD_NOT_FOUND, "cannot be loaded");
  auto enable = reinterpret_cast<PFN_DrvEnableDriver>(
      reinterpret_cast<void (*)()>(GetProcAddress(driver->module_, "DrvEnableDriver")));
  if (!enable) return Refuse(windowsPath, ERROR_PROC_NOT_FOUND, "exports no DrvEnableDriver");

  DRVENABLEDATA data{};
  SetLastError(ERROR_SUCCESS);
  if (!enable(DDI_DRIVER_VERSION_NT4, sizeof(DRVENABLEDATA), &data)) {
    DWORD error = GetLastError();
    return Refuse(windowsPath, error != ERROR_SUCCESS ? error : ERROR_BAD_DRIVER_LEVEL,
                  "DrvEnableDriver refused DDI version 0x20000");
  }
  // From here on the driver is enabled: dropping `driver` calls DrvDisableDriver.
  driver->disable_ = reinterpret_cast<PFN_DrvDisableDriver>(
      reinterpret_cast<void (*)()>(GetProcAddress(driver->module_, "DrvDisableDriver")));
  if (data.iDriverVersion != DDI_DRIVER_VERSION_NT4) {
    char text[96];
    snprintf(text, sizeof text, "answers DDI version 0x%X, not 0x20000", static_cast<unsigned>(data.iDriverVersion));
    return Refuse(windowsPath, ERROR_BAD_DRIVER_LEVEL, text);
  }
  if (data.c == 0 || data.pdrvfn == nullptr) {
    return Refuse(windowsPath, ERROR_BAD_DRIVER, "DrvEnableDriver gave no function table");
  }
  for (ULONG i = 0; i < data.c; ++i) {
    const DRVFN& row = data.pdrvfn[i];
    if (row.iFunc < kSlots && row.pfn != nullptr) driver->functions_[row.iFunc] = row.pfn;
  }
  if (driver->disable_ == nullptr) driver->disable_ = driver->Get<PFN_DrvDisableDriver>(INDEX_DrvDisableDriver);
  for (ULONG index : kRequired) {
    if (driver->functions_[index] == nullptr) {
      return Refuse(windowsPath, ERROR_BAD_DRIVER, std::string("the function table has no ") + RequiredName(index));
    }
  }
  Loaded()[key] = driver;
  return driver;
}

}  // namespace platform::gdi
