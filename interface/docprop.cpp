// DrvDocumentPropertySheets: a document's settings of a printer. Called by the
// common property-sheet host with property-sheet information (the document
// property header is then its lParamInit), or by DocumentProperties without it
// (the header is the parameter): the size query and the merge without user
// interface. With a sheet, the driver inserts one set of option items whose push
// button opens the tabbed settings dialog over the document's device mode.
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "interface/app/drv_trace.h"
#include "interface/app/library_state.h"
#include "interface/devmode/document_properties.h"
#include "interface/pages/format_notice.h"
#include "interface/pages/settings_sheet.h"
#include "interface/pages/sheet_procedures.h"
#include "interface/util/resource_text.h"
#include "model/model_cache.h"
#include "platform/spooler/driver_ui.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"

namespace {

constexpr WORD kPushButtonTemplate = 185;
constexpr UINT kAboutTemplate = 8912;
constexpr UINT kItemName = 201;  // "プリンタドライバ"
constexpr UINT kServerDownCaption = 8930;
constexpr UINT kServerDownText = 8931;
constexpr UINT kDriverFor = 117;
constexpr UINT kVersionText = 114;
constexpr ULONG_PTR kPushButtonIcon = 64062;
constexpr ULONG_PTR kSheetIcon = 64067;
constexpr DWORD kItemHelpIndex = 115;

struct DocumentPageContext {
  XDEVMODE* working;
  HANDLE printer;
  char printerName[MAX_PATH];
  BOOL readOnly;
};

// Everything the document sheet owns, freed at PROPSHEETUI_REASON_DESTROY.
struct DocumentSheetBlocks {
  COMPROPSHEETUIA sheet{};
  OPTITEMA item{};
  OPTTYPEA type{};
  OPTPARAMA param{};
  DocumentPageContext context{};
  XDEVMODE working{};
  char itemName[128] = {};
  char callerName[MAX_PATH] = {};
  LONG_PTR page = 0;
};

std::string LoadString(UINT id) {
  char text[512] = {};
  LoadResString(id, text, sizeof text);
  return text;
}

LONG CALLBACK DocumentSheetCallbackThunk(PCPSUICBPARAMA param);

LONG InitDocumentSheet(PPROPSHEETUI_INFO info, PDOCUMENTPROPERTYHEADER header, const DocumentPrinter& printer) {
  const ModelRecord* record = GetModelRecord(header->hPrinter, printer.name, kModelReloadWhenChanged);
  if (!record) return -1;
  CheckFirstUseAndStoredVersion(header->hPrinter, printer.name, record);
  WarnOfModelFormatOnce(header->hPrinter, printer.name, 0);

  std::unique_ptr<DocumentSheetBlocks> blocks(new (std::nothrow) DocumentSheetBlocks);
  if (!blocks) {
    DrvTrace("Memory alloc failed in DrvDocumentPropertySheets() !\n");
    return -1;
  }
  if (!BuildWorkingDevmode(header->hPrinter, printer, header->pdmIn, header->fMode, record, &blocks->working))
    return -1;
  DocumentPageContext& context = blocks->context;
  context.working = &blocks->working;
  context.printer = header->hPrinter;
  std::snprintf(context.printerName, sizeof context.printerName, "%s", printer.name);
  context.readOnly = (header->fMode & DM_NOPERMISSION) ? TRUE : FALSE;

  std::snprintf(blocks->itemName, sizeof blocks->itemName, "%s", LoadString(kItemName).c_str());
  std::snprintf(blocks->callerName, sizeof blocks->callerName, "%s", printer.name);
  OPTPARAMA& param = blocks->param;
  param.cbSize = sizeof param;
  param.Style = PUSHBUTTON_TYPE_DLGPROC;
  param.pData = reinterpret_cast<LPSTR>(reinterpret_cast<void*>(&DocumentPageProc));
  param.IconID = kPushButtonIcon;
  param.lParam = kPushButtonTemplate;
  OPTTYPEA& type = blocks->type;
  type.cbSize = sizeof type;
  type.Type = TVOT_PUSHBUTTON;
  type.Count = 1;
  type.pOptParam = &param;
  OPTITEMA& item = blocks->item;
  item.cbSize = sizeof item;
  item.Level = 0;
  item.Flags = OPTIF_CALLBACK;
  item.pName = blocks->itemName;
  item.Sel = 0;
  item.pOptType = &type;
  item.HelpIndex = kItemHelpIndex;
  COMPROPSHEETUIA& sheet = blocks->sheet;
  sheet.cbSize = sizeof sheet;
  sheet.Flags = CPSUIF_UPDATE_PERMISSION | CPSUIF_ABOUT_CALLBACK;
  sheet.hInstCaller = LibraryInstance();
  sheet.pCallerName = blocks->callerName;
  sheet.UserData = reinterpret_cast<ULONG_PTR>(&context);
  sheet.pfnCallBack = DocumentSheetCallbackThunk;
  sheet.pOptItem = &item;
  sheet.cOptItem = 1;
  sheet.pDlgPage = CPSUI_PDLGPAGE_TREEVIEWONLY;
  sheet.IconID = 0;
  sheet.pOptItemName = blocks->callerName;
  sheet.CallerVersion = 0x100;
  sheet.OptItemVersion = 0x400;

  PSUIPAGEINSERT insert{};
  insert.cbSize = sizeof insert;
  insert.Type = PSUIPAGEINSERT_PCOMPROPSHEETUI;
  insert.Mode = INSPSUIPAGE_MODE_FIRST_CHILD;
  insert.dwData1 = reinterpret_cast<ULONG_PTR>(&sheet);
  if (!info->pfnComPropSheet) return -1;
  blocks->page =
      info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_INSERT_PSUIPAGEA, 0, reinterpret_cast<LPARAM>(&insert));
  if (!blocks->page) return -1;
  info->UserData = reinterpret_cast<ULONG_PTR>(blocks.release());
  info->Result = 1;
  return 1;
}

// The output takes the edited settings only when the sheet was closed with OK and
// the caller asked for them and may have them.
void SetDocumentResult(PPROPSHEETUI_INFO info, PDOCUMENTPROPERTYHEADER header, const SETRESULT_INFO* result) {
  auto* blocks = reinterpret_cast<DocumentSheetBlocks*>(info->UserData);
  if (!blocks || !result || static_cast<LONG_PTR>(result->hSetResult) != blocks->page) return;
  info->Result = static_cast<ULONG_PTR>(result->Result);
  if (result->Result != CPSUI_OK) return;
  if (!header->pdmOut || !(header->fMode & (DM_UPDATE | DM_COPY)) || (header->fMode & DM_NOPERMISSION)) return;
  if (header->pdmIn && (header->fMode & DM_MODIFY) &&
      header->pdmIn->dmSize + header->pdmIn->dmDriverExtra < sizeof(XDEVMODE))
    return;
  if (header->cbOut && header->cbOut < sizeof(XDEVMODE)) return;
  std::memcpy(header->pdmOut, &blocks->working, sizeof blocks->working);
}

}  // namespace

INT_PTR CALLBACK DocumentPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* param = reinterpret_cast<const CPSUICBPARAMA*>(lParam);
      auto* context = param ? reinterpret_cast<DocumentPageContext*>(param->UserData) : nullptr;
      if (context)
        RunPropertiesSheet(context->printer, dialog, context->working, context->working, context->readOnly, TRUE);
      EndDialog(dialog, 1);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam) == IDOK ? 1 : 0);
        return TRUE;
      }
      break;
    default: break;
  }
  return FALSE;
}

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* param = reinterpret_cast<const CPSUICBPARAMA*>(lParam);
      auto* context = param ? reinterpret_cast<DocumentPageContext*>(param->UserData) : nullptr;
      char text[600] = {};
      std::snprintf(text, sizeof text, LoadString(kDriverFor).c_str(), context ? context->printerName : "");
      SetDlgItemTextA(dialog, 100, text);
      SetDlgItemTextA(dialog, 101, LoadString(kVersionText).c_str());
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
    default: break;
  }
  return FALSE;
}

LONG CALLBACK DocumentSheetCallback(PCPSUICBPARAMA param) {
  if (!param) return CPSUICB_ACTION_NONE;
  auto* context = reinterpret_cast<DocumentPageContext*>(param->UserData);
  if (param->Reason == CPSUICB_REASON_APPLYNOW && context && !context->readOnly) {
    param->Result = CPSUI_OK;
    return CPSUICB_ACTION_ITEMS_APPLIED;
  }
  if (param->Reason == CPSUICB_REASON_ABOUT) {
    DialogBoxParamA(LibraryInstance(), MAKEINTRESOURCEA(kAboutTemplate), param->hDlg, AboutBoxProc,
                    reinterpret_cast<LPARAM>(param));
  }
  return CPSUICB_ACTION_NONE;
}

namespace {
LONG CALLBACK DocumentSheetCallbackThunk(PCPSUICBPARAMA param) { return DocumentSheetCallback(param); }
}  // namespace

ZEL_EXPORT LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) {
  auto* header = reinterpret_cast<PDOCUMENTPROPERTYHEADER>(pPSUIInfo ? pPSUIInfo->lParamInit : lParam);
  if (!header) {
    DrvTrace("DrvDocumentPropertySheets: no document property header\n");
    return -1;
  }
  DocumentPrinter printer;
  if (!ReadDocumentPrinter(header->hPrinter, &printer)) return -1;
  if (!pPSUIInfo) return DocumentPropertiesWithoutSheet(header, printer);

  if (printer.serverDown) {
    if (pPSUIInfo->Reason == PROPSHEETUI_REASON_INIT) {
      char text[1024] = {};
      std::snprintf(text, sizeof text, LoadString(kServerDownText).c_str(), printer.name);
      MessageBoxA(0, text, LoadString(kServerDownCaption).c_str(), MB_ICONWARNING);
    }
    return -1;
  }

  switch (pPSUIInfo->Reason) {
    case PROPSHEETUI_REASON_INIT: return InitDocumentSheet(pPSUIInfo, header, printer);
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
      auto* info = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam);
      if (!info) return -1;
      info->pTitle = header->pszPrinterName;
      info->IconID = kSheetIcon;
      info->Flags = PSUIHDRF_PROPTITLE | PSUIHDRF_NOAPPLYNOW;
      info->hInst = LibraryInstance();
      return 1;
    }
    case PROPSHEETUI_REASON_DESTROY:
      delete reinterpret_cast<DocumentSheetBlocks*>(pPSUIInfo->UserData);
      pPSUIInfo->UserData = 0;
      return 1;
    case PROPSHEETUI_REASON_SET_RESULT:
      SetDocumentResult(pPSUIInfo, header, reinterpret_cast<const SETRESULT_INFO*>(lParam));
      return 1;
    default: return -1;
  }
}
