// A stand-in machine with the driver's printers installed and the shell extension
// loaded as the shell loads it, plus the shell's side of a context menu.
#pragma once

#include <string>
#include <vector>

#include "platform/shell/printer_items.h"
#include "platform/shell/shell_execute.h"
#include "platform/shell/shell_extension.h"
#include "tests/support/machine_fixture.h"

namespace shellexttest {

// "lptenum\" as the spooler reports a printer on a parallel port.
inline constexpr char kHardwareId[] = "lptenum\\NardoPageM3020";
inline constexpr char kDeviceHandlerKey[] =
    "DeviceDisplayObject\\HardwareId\\lptenum#NardoPageM3020\\shellex\\ContextMenuHandlers";

class ShellExtTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Installs a printer of the monochrome model through the spooler, which runs
  // the driver's set-up.
  void Install(const std::string& name, const std::string& port = "FILE:", const std::string& hardwareId = kHardwareId);
  std::string DataFile(const std::string& printer);
  std::string DataFolder(const std::string& printer);
  void SetModelValue(const std::string& printer, const char* section, const char* key, const char* value);
  void SetPrinterDword(const std::string& printer, const std::string& valueName, DWORD value);
  void DeletePrinterValue(const std::string& printer, const std::string& valueName);
  // A readme, quick tabs and monitoring: every entry the menu can have.
  void OfferEveryEntry(const std::string& printer);

  // The extension object initialised for the items, as its context-menu face
  // (nullptr when Initialize refused); the caller releases it.
  IContextMenu* MenuHandler(const std::vector<platform::ShellItemProperties>& items, HRESULT* initResult = nullptr);
  IContextMenu* MenuHandlerFor(const std::string& printer) {
    return MenuHandler({platform::PrinterQueueItem(printer)});
  }
  HRESULT Invoke(IContextMenu* handler, UINT_PTR offset);

  // The menu as lines: "----" for a separator, the text without '&', a command's
  // id in brackets, a popup's items indented by two blanks.
  static std::vector<std::string> Describe(HMENU menu, int depth = 0);

  HMODULE module = 0;
  PFN_DllGetClassObject getClassObject = nullptr;
  PFN_DllCanUnloadNow canUnloadNow = nullptr;
  HRESULT (*registerExtension)(const char*) = nullptr;
  // What the extension asked the shell to open or start.
  std::vector<platform::ShellRequest> requests;
};

}  // namespace shellexttest
