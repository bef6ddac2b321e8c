// DrvDevicePropertySheets: the printer's properties. One page shows the driver's
// identity and offers the settings dialog (the information page alone, device
// mode) and the detection and set-up program; a user who may not change the
// printer sees both buttons disabled.
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "common/settings_store.h"
#include "interface/app/drv_trace.h"
#include "interface/app/library_state.h"
#include "interface/devmode/current_devmode.h"
#include "interface/devmode/default_devmode.h"
#include "interface/pages/format_notice.h"
#include "interface/pages/settings_sheet.h"
#include "interface/pages/sheet_procedures.h"
#include "interface/records/model_identity.h"
#include "interface/records/printer_info.h"
#include "interface/util/detection_command.h"
#include "interface/util/resource_text.h"
#include "model/model_cache.h"
#include "platform/base/handles.h"
#include "platform/base/named_mutex.h"
#include "platform/base/processes.h"
#include "platform/base/sync.h"
#include "platform/spooler/driver_ui.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/dialog.h"
#include "platform/ui/prsht.h"

namespace {

constexpr WORD kDevicePageTemplate = 185;
constexpr WORD kDevicePageIcon = 118;
constexpr int kSettingsButton = 1439;
constexpr int kSetupButton = 1719;
constexpr DWORD kSnmpCapable = 0x800;

struct DevicePageContext {
  char printerName[MAX_PATH];
  HANDLE printer;
  BOOL mayChange;
  PROPSHEETPAGEA page;
};

std::string LoadString(UINT id) {
  char text[512] = {};
  LoadResString(id, text, sizeof text);
  return text;
}

void ShowPrinterAddress(HWND page, HANDLE printer, bool needMonitor) {
  SetDlgItemTextA(page, 1072, "");
  SetDlgItemTextA(page, 1073, "");
  const SettingsFunctions& settings = LibrarySettings();
  DWORD monitor = 0;
  char ip[260] = {};
  DWORD size = sizeof ip;
  if (needMonitor &&
      (settings.GetDword(printer, kStorePrinterData, "Printer", "Monitor", &monitor) != ERROR_SUCCESS || !monitor))
    return;
  if (settings.GetString(printer, kStorePrinterData, "Printer", "IP", ip, &size) != ERROR_SUCCESS) return;
  SetDlgItemTextA(page, 1072, LoadString(139).c_str());
  SetDlgItemTextA(page, 1073, ("http://" + std::string(ip) + "/").c_str());
}

void ShowLanguage(HWND page, const DevicePageContext& context) {
  const ModelRecord* record = GetModelRecord(context.printer, context.printerName, kModelReloadWhenMissing);
  if (!record) return;
  std::string text = LoadString((record->optionWord & kSnmpCapable) ? 8935 : 8936);
  if (record->printerPdl & 0x103)
    text += LoadString(80);
  else if (record->printerPdl & 0x4000)
    text += LoadString(84);
  else
    text += LoadString(81);
  SetDlgItemTextA(page, 1739, text.c_str());
}

void InitDevicePage(HWND page, DevicePageContext* context) {
  if (!context->mayChange) {
    EnableWindow(GetDlgItem(page, kSettingsButton), FALSE);
    EnableWindow(GetDlgItem(page, kSetupButton), FALSE);
  }
  ModelIdentity identity{};
  LoadModelIdentity(context->printer, &identity);
  char text[600] = {};
  std::snprintf(text, sizeof text, LoadString(117).c_str(), identity.modelName);
  SetDlgItemTextA(page, 1102, text);
  SetDlgItemTextA(page, 1061, LoadString(114).c_str());
  ShowPrinterAddress(page, context->printer, true);
  SetDlgItemTextA(page, 1071, "");
  SetDlgItemTextA(page, 1448, "");
  if (identity.company[0] && identity.webSite[0]) {
    SetDlgItemTextA(page, 1071, LoadString(119).c_str());
    SetDlgItemTextA(page, 1448, identity.webSite);
  }
  ShowLanguage(page, *context);
}

// The sheet hears that the printer changed, and so does the directory service.
void ApplyPrinterChange(HWND page, HANDLE printer) {
  SendMessageA(GetParent(page), PSM_APPLY, 0, 0);
  PRINTER_INFO_7A info{};
  info.dwAction = DSPRINT_UPDATE;
  SetPrinterA(printer, 7, reinterpret_cast<LPBYTE>(&info), 0);
}

void RunSettings(HWND page, DevicePageContext* context) {
  auto settings = std::make_unique<XDEVMODE>();
  if (!GetCurrentDevmode(context->printer, context->printerName, settings.get())) return;
  if (!RunPropertiesSheet(context->printer, page, settings.get(), settings.get(), !context->mayChange, FALSE)) return;
  ApplyPrinterChange(page, context->printer);
}

// Starts the set-up program as the calling user, or as this process when the
// user's token cannot be had; answers the process handle, 0 when neither start worked.
HANDLE StartSetupProgram(const std::string& program, std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_FORCEONFEEDBACK;
  PROCESS_INFORMATION process{};
  HANDLE token = 0;
  HANDLE primary = 0;
  BOOL started = FALSE;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token) &&
      DuplicateTokenEx(token, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &primary))
    started = CreateProcessAsUserA(primary, program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                   CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process);
  if (!started)
    started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_DEFAULT_ERROR_MODE,
                             nullptr, nullptr, &startup, &process);
  if (primary) CloseHandle(primary);
  if (token) CloseHandle(token);
  if (!started) return 0;
  if (process.hThread) CloseHandle(process.hThread);
  return process.hProcess;
}

// Runs the detection and set-up program and waits for it. Answers true when it
// changed the printer's language or SNMP capability: the model's defaults are
// then stored again for the printer and the user, and "Cfg" moves so that every
// cached model record reloads.
bool RunSetupProgram(HWND page, DevicePageContext* context) {
  const ModelRecord* before = GetModelRecord(context->printer, context->printerName, kModelReloadWhenMissing);
  if (!before) return false;
  const WORD pdl = before->printerPdl;
  const DWORD snmp = before->optionWord & kSnmpCapable;

  const std::string program = DetectionProgramPath(LibraryInstance());
  const std::string commandLine = DetectionCommandLine(LibraryInstance(), context->printerName);
  if (program.empty() || commandLine.empty()) return false;
  const HANDLE process = StartSetupProgram(program, commandLine);
  if (!process) return false;
  WaitForSingleObject(process, INFINITE);
  CloseHandle(process);

  const ModelRecord* after = GetModelRecord(context->printer, context->printerName, kModelReloadWhenChanged);
  if (!after) return false;
  if (after->printerPdl == pdl && (after->optionWord & kSnmpCapable) == snmp) return false;

  const SettingsFunctions& settings = LibrarySettings();
  DWORD cfg = 0;
  if (settings.GetDword(context->printer, kStorePrinterData, "Printer", "Cfg", &cfg) != ERROR_SUCCESS || cfg == 0)
    cfg = 5;
  settings.SetDword(context->printer, kStorePrinterData, "Printer", "Cfg", cfg + 1);

  auto defaults = std::make_unique<XDEVMODE>();
  if (BuildDefaultDevmode(defaults.get(), context->printer, after, context->printerName, 0)) {
    // The driver's device mode is the wide form: stored through the wide call.
    PRINTER_INFO_8W global{&defaults->dmPublic};
    SetPrinterW(context->printer, 8, reinterpret_cast<LPBYTE>(&global), 0);
    PRINTER_INFO_9W user{&defaults->dmPublic};
    SetPrinterW(context->printer, 9, reinterpret_cast<LPBYTE>(&user), 0);
  }
  ShowPrinterAddress(page, context->printer, false);
  ShowLanguage(page, *context);
  return true;
}

}  // namespace

INT_PTR CALLBACK DevicePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* description = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
      auto* context = description ? reinterpret_cast<DevicePageContext*>(description->lParam) : nullptr;
      SetWindowLongPtrA(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(context));
      if (context) InitDevicePage(page, context);
      return TRUE;
    }
    case WM_COMMAND: {
      auto* context = reinterpret_cast<DevicePageContext*>(GetWindowLongPtrA(page, GWLP_USERDATA));
      if (!context || HIWORD(wParam) != BN_CLICKED) break;
      if (LOWORD(wParam) == kSettingsButton && context->mayChange) {
        RunSettings(page, context);
        return TRUE;
      }
      if (LOWORD(wParam) == kSetupButton && context->mayChange) {
        if (RunSetupProgram(page, context)) ApplyPrinterChange(page, context->printer);
        return TRUE;
      }
      break;
    }
    case WM_DESTROY: SetWindowLongPtrA(page, GWLP_USERDATA, 0); break;
    default: break;
  }
  return FALSE;
}

ZEL_EXPORT LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) {
  if (!pPSUIInfo) return -1;
  auto* header = reinterpret_cast<PDEVICEPROPERTYHEADER>(pPSUIInfo->lParamInit);
  if (!header) return -1;
  switch (pPSUIInfo->Reason) {
    case PROPSHEETUI_REASON_INIT: {
      std::unique_ptr<DevicePageContext> context(new (std::nothrow) DevicePageContext{});
      if (!context) {
        DrvTrace("Memory alloc failed in DrvDevicePropertySheets() !\n");
        return -1;
      }
      BYTE* info = GetPrinterInfo(header->hPrinter, 4);
      if (!info) {
        DrvTrace("ppi4 is NULL ");
        return -1;
      }
      const auto* level4 = reinterpret_cast<const PRINTER_INFO_4A*>(info);
      if (!level4->pPrinterName) {
        FreePrinterInfo(info);
        DrvTrace("ppi4->pPrinterName is NULL ");
        return -1;
      }
      std::snprintf(context->printerName, sizeof context->printerName, "%s", level4->pPrinterName);
      context->printer = header->hPrinter;
      context->mayChange = (level4->Attributes & PRINTER_ATTRIBUTE_LOCAL) && !(header->Flags & DPS_NOPERMISSION);
      FreePrinterInfo(info);
      WarnOfModelFormatOnce(header->hPrinter, context->printerName, 0);

      PROPSHEETPAGEA& page = context->page;
      page.dwSize = sizeof page;
      page.dwFlags = PSP_USEICONID | PSP_USETITLE;
      page.hInstance = LibraryInstance();
      page.pszTemplate = MAKEINTRESOURCEA(kDevicePageTemplate);
      page.pszIcon = MAKEINTRESOURCEA(kDevicePageIcon);
      page.pszTitle = context->printerName;
      page.pfnDlgProc = DevicePageProc;
      page.lParam = reinterpret_cast<LPARAM>(context.get());
      if (!pPSUIInfo->pfnComPropSheet ||
          !pPSUIInfo->pfnComPropSheet(pPSUIInfo->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEA,
                                      reinterpret_cast<LPARAM>(&page), 0))
        return -1;
      pPSUIInfo->UserData = reinterpret_cast<ULONG_PTR>(context.release());
      pPSUIInfo->Result = 1;
      return 1;
    }
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
      auto* info = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam);
      if (!info) return -1;
      info->Flags = PSUIHDRF_PROPTITLE | PSUIHDRF_NOAPPLYNOW;
      info->pTitle = header->pszPrinterName;
      info->hInst = LibraryInstance();
      return 1;
    }
    case PROPSHEETUI_REASON_DESTROY:
      delete reinterpret_cast<DevicePageContext*>(pPSUIInfo->UserData);
      pPSUIInfo->UserData = 0;
      return 1;
    case PROPSHEETUI_REASON_SET_RESULT: {
      const auto* result = reinterpret_cast<const SETRESULT_INFO*>(lParam);
      if (result) pPSUIInfo->Result = static_cast<ULONG_PTR>(result->Result);
      return 1;
    }
    default: return -1;
  }
}
