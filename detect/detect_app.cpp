#include "detect/detect_app.h"

#include <memory>
#include <vector>

#include "detect/address_page.h"
#include "detect/command_line.h"
#include "detect/messages.h"
#include "detect/printer_installer.h"
#include "detect/settings_library.h"
#include "detect/wizard_page.h"
#include "platform/base/modules.h"
#include "platform/ui/message_box.h"
#include "query/query_settings.h"
#include "query/snmp_session.h"

BOOL CDetectApp::InitInstance(const std::string& commandLine) {
  const std::optional<DetectCommandLine> line = ParseDetectCommandLine(commandLine);
  if (!line) return FALSE;
  SettingsFunctions functions;
  HMODULE settings = LoadSettingsDatabase(line->settingsLibrary.c_str(), &functions);
  if (!settings) {
    detect::ShowMessage(0, detect::kTextErrorLoadDb, MB_OK);
    return FALSE;
  }
  SetQuerySettings(functions);

  CPrinterInstaller installer(line->printerName);
  CAskMonitorDlg askMonitor(&installer);
  CGetAddressDlg address(&installer);
  CSelectEmulDlg language(&installer);
  CGoodbyeDlg goodbye(&installer);

  const int snmpAvailable = SnmpStartupSession() == SNMP_RESULT_OK ? 1 : 0;
  if (!installer.SetUp(line->notify, snmpAvailable)) {
    detect::ShowMessage(0, detect::kTextErrorInstaller, MB_OK);
  } else {
    std::vector<PROPSHEETPAGEA> pages;
    if (installer.capabilityFlags & kCapabilityIp) {
      pages.push_back(askMonitor.Description(0));
      pages.push_back(address.Description(0));
    }
    pages.push_back(language.Description(0));
    pages.push_back(goodbye.Description(0));
    const std::string caption = detect::LoadText(detect::kTextCaption);
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD;
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.ppsp = pages.data();
    PropertySheetA(&header);
  }
  if (snmpAvailable) SnmpCleanupSession();
  SetQuerySettings(SettingsFunctions{});
  FreeLibrary(settings);
  return FALSE;
}
