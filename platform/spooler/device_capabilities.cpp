// DeviceCapabilities: the spooler asks the printer's own driver. The answer comes
// from DrvDeviceCapabilities of the driver's configuration module, loaded for the
// call as the spooler does for every driver entry it serves.
#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/base/text_cut.h"
#include "platform/spooler/spooler.h"

namespace platform::spooler {

int CapabilityNameChars(WORD capability) {
  switch (capability) {
    case DC_PAPERNAMES: return kPaperNameChars;
    case DC_BINNAMES: return kBinNameChars;
    case DC_FILEDEPENDENCIES: return kFileDependencyChars;
    case DC_PERSONALITY: return kPersonalityChars;
    case DC_MEDIAREADY: return kMediaReadyChars;
    case DC_MEDIATYPENAMES: return kMediaTypeNameChars;
    default: return 0;
  }
}

namespace {

typedef DWORD(WINAPI* DrvDeviceCapabilitiesProc)(HANDLE printer, PWSTR deviceName, WORD capability, PVOID output,
                                                 PDEVMODEW devMode);

constexpr int kFailed = -1;

// The printer opened and its driver's configuration module loaded for as long as
// one call needs them, so that a count and the list that follows it come from the
// same driver.
class DriverSession {
 public:
  DriverSession() = default;
  DriverSession(const DriverSession&) = delete;
  DriverSession& operator=(const DriverSession&) = delete;

  ~DriverSession() {
    const DWORD error = GetLastError();
    if (module_) FreeLibrary(module_);
    if (printer_) ClosePrinter(printer_);
    SetLastError(error);
  }

  // False with the last error set when the printer, its driver or the export is missing.
  bool Open(const std::u16string& printerName) {
    name_.assign(printerName.begin(), printerName.end());
    name_.push_back(0);
    if (!OpenPrinterW(name_.data(), &printer_, nullptr)) {
      printer_ = 0;
      return false;
    }
    const std::string configFile = ConfigFile();
    if (configFile.empty()) {
      SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
      return false;
    }
    module_ = LoadLibraryA(configFile.c_str());
    if (!module_) return false;
    FARPROC proc = GetProcAddress(module_, "DrvDeviceCapabilities");
    if (!proc) {
      SetLastError(ERROR_PROC_NOT_FOUND);
      return false;
    }
    // Through void(*)(): the export's real type is known only by its name.
    ask_ = reinterpret_cast<DrvDeviceCapabilitiesProc>(reinterpret_cast<void (*)()>(proc));
    return true;
  }

  int Ask(WORD capability, void* output, const DEVMODEW* devMode) {
    // The driver takes a writable device mode by its contract but only reads it.
    return static_cast<int>(ask_(printer_, name_.data(), capability, output, const_cast<PDEVMODEW>(devMode)));
  }

 private:
  // The ANSI Windows path of the printer's configuration module; empty when none.
  std::string ConfigFile() const {
    DWORD needed = 0;
    GetPrinterDriverA(printer_, nullptr, 2, nullptr, 0, &needed);
    if (needed < sizeof(DRIVER_INFO_2A)) return {};
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterDriverA(printer_, nullptr, 2, buffer.data(), needed, &needed)) return {};
    const auto* info = reinterpret_cast<const DRIVER_INFO_2A*>(buffer.data());
    return info->pConfigFile ? std::string(info->pConfigFile) : std::string();
  }

  std::vector<WCHAR> name_;
  HANDLE printer_ = 0;
  HMODULE module_ = 0;
  DrvDeviceCapabilitiesProc ask_ = nullptr;
};

int AskPrinter(const std::u16string& printerName, WORD capability, void* output, const DEVMODEW* devMode) {
  DriverSession session;
  if (!session.Open(printerName)) return kFailed;
  return session.Ask(capability, output, devMode);
}

// One wide name slot as ANSI text in a slot of the same number of bytes: cut to
// whole characters so that the NUL still fits, the rest of the slot zeroed.
void PutAnsiSlot(char* slot, int slotChars, const WCHAR* wide) {
  size_t length = 0;
  while (length < static_cast<size_t>(slotChars) && wide[length] != 0) ++length;
  const std::string ansi = FromUtf16(std::u16string_view(wide, length));
  const size_t kept = CutPoint(std::string_view(ansi), static_cast<size_t>(slotChars) - 1);
  std::memset(slot, 0, static_cast<size_t>(slotChars));
  std::memcpy(slot, ansi.data(), kept);
}

// A name list asked in wide slots and handed back in ANSI ones: the count first,
// then the list into a buffer of that many slots, from the same loaded driver.
int AskNamesAnsi(const std::u16string& printerName, WORD capability, int slotChars, char* output,
                 const DEVMODEW* devMode) {
  DriverSession session;
  if (!session.Open(printerName)) return kFailed;
  const int count = session.Ask(capability, nullptr, devMode);
  if (count <= 0) return count;
  std::vector<WCHAR> names(static_cast<size_t>(count) * static_cast<size_t>(slotChars), 0);
  const int written = session.Ask(capability, names.data(), devMode);
  if (written <= 0) return written;
  const int slots = std::min(written, count);
  for (int i = 0; i < slots; ++i)
    PutAnsiSlot(output + static_cast<size_t>(i) * static_cast<size_t>(slotChars), slotChars,
                names.data() + static_cast<size_t>(i) * static_cast<size_t>(slotChars));
  return slots;
}

template <class Body>
int Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (const std::exception&) {
    SetLastError(ERROR_GEN_FAILURE);
  }
  return kFailed;
}

}  // namespace
}  // namespace platform::spooler

int DeviceCapabilitiesW(LPCWSTR pDevice, LPCWSTR /*pPort*/, WORD fwCapability, LPWSTR pOutput,
                        const DEVMODEW* pDevMode) {
  using namespace platform::spooler;
  if (!pDevice) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return kFailed;
  }
  return Guarded([&] { return AskPrinter(platform::Utf16FromZ(pDevice), fwCapability, pOutput, pDevMode); });
}

int DeviceCapabilitiesA(LPCSTR pDevice, LPCSTR /*pPort*/, WORD fwCapability, LPSTR pOutput, const DEVMODEA* pDevMode) {
  using namespace platform::spooler;
  if (!pDevice) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return kFailed;
  }
  return Guarded([&] {
    const std::u16string name = platform::ToUtf16(pDevice);
    std::vector<BYTE> wideDevMode;
    if (pDevMode) {
      wideDevMode = platform::DevModeWFromA(pDevMode);
      if (wideDevMode.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return kFailed;
      }
    }
    const auto* devMode = pDevMode ? reinterpret_cast<const DEVMODEW*>(wideDevMode.data()) : nullptr;
    const int slotChars = CapabilityNameChars(fwCapability);
    // Numbers are the same in both calls; only name lists change their form.
    if (!pOutput || slotChars == 0) return AskPrinter(name, fwCapability, pOutput, devMode);
    return AskNamesAnsi(name, fwCapability, slotChars, pOutput, devMode);
  });
}
