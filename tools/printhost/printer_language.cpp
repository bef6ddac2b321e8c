#include "tools/printhost/printer_language.h"

#include <algorithm>
#include <cctype>

#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "common/xdevmode.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/spooler/spooler.h"
#include "tools/printhost/model_sections.h"

namespace printhost {
namespace {

constexpr DWORD kCounterBase = 5;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The device-mode language of a name of the [PDL] section; 0 for none.
WORD LanguageOfName(const std::string& name) {
  const std::string upper = Upper(name);
  if (upper == "PS3" || upper == "PS2" || upper == "PS1" || upper == "PS") return kPdlPs3;
  if (upper == "PCL5SI" || upper == "PCL5E" || upper == "PCL5" || upper == "PCL") return kPdlPcl5si;
  if (upper == "PCLXL") return kPdlPclXl;
  return 0;
}

class PrinterHandle {
 public:
  explicit PrinterHandle(const std::string& name) {
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterA(const_cast<LPSTR>(name.c_str()), &handle_, &defaults)) handle_ = 0;
  }
  ~PrinterHandle() {
    if (handle_) ClosePrinter(handle_);
  }
  PrinterHandle(const PrinterHandle&) = delete;
  PrinterHandle& operator=(const PrinterHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = 0;
};

class Library {
 public:
  explicit Library(const std::string& path) : module_(LoadLibraryA(path.c_str())) {}
  ~Library() {
    if (module_) FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

}  // namespace

WORD StoredLanguageWord(WORD deviceModeLanguage) {
  if (deviceModeLanguage == kPdlPs3) return kPdlPs3;
  if (deviceModeLanguage == kPdlPcl5si) return kPdlPcl5si;
  if (deviceModeLanguage == kPdlPclXl) return kPdlPclXl;
  return 0;
}

bool ModelListsLanguage(const std::filesystem::path& modelDescription, WORD deviceModeLanguage) {
  for (const auto& [key, value] : ModelSectionEntries(modelDescription, "PDL")) {
    if (Upper(key) != "DEFAULT" && LanguageOfName(value) == deviceModeLanguage) return true;
  }
  return false;
}

bool CommitPrinterLanguage(const std::string& driverFolder, const std::string& printerName, WORD stored,
                           std::string& error) {
  Library settings(driverFolder + "\\zeldb5.dll");
  auto getDword = reinterpret_cast<PFN_DBGetDword>(GetProcAddress(settings.get(), "DBGetDword"));
  auto setDword = reinterpret_cast<PFN_DBSetDword>(GetProcAddress(settings.get(), "DBSetDword"));
  if (!getDword || !setDword) {
    error = "the settings library zeldb5.dll cannot be loaded from the driver folder";
    return false;
  }
  PrinterHandle printer(printerName);
  if (!printer.get()) {
    error = "the printer cannot be opened to set its language (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  DWORD current = 0;
  const bool known = getDword(printer.get(), kStorePrinterData, "Printer", "PDL", &current) == ERROR_SUCCESS;
  if (known && current == stored) return true;
  if (setDword(printer.get(), kStorePrinterData, "Printer", "PDL", stored) != ERROR_SUCCESS) {
    error = "the printer's language cannot be stored";
    return false;
  }
  DWORD counter = 0;
  if (getDword(printer.get(), kStorePrinterData, "Printer", "Cfg", &counter) != ERROR_SUCCESS || counter == 0)
    counter = kCounterBase;
  if (setDword(printer.get(), kStorePrinterData, "Printer", "Cfg", counter + 1) != ERROR_SUCCESS) {
    error = "the printer's configuration counter cannot be raised";
    return false;
  }
  return true;
}

}  // namespace printhost
