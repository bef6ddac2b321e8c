// DrvDocumentPropertySheets: a document's settings of a printer. Called by the
// common property-sheet host with property-sheet information (the document
// property header is then its lParamInit), or by DocumentProperties without it
// (the header is the parameter): the size query and the merge without user
// interface.
#include "interface/app/drv_trace.h"
#include "interface/devmode/document_properties.h"
#include "platform/spooler/driver_ui.h"

ZEL_EXPORT LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) {
  auto* header = reinterpret_cast<PDOCUMENTPROPERTYHEADER>(pPSUIInfo ? pPSUIInfo->lParamInit : lParam);
  if (!header) {
    DrvTrace("DrvDocumentPropertySheets: no document property header\n");
    return -1;
  }
  DocumentPrinter printer;
  if (!ReadDocumentPrinter(header->hPrinter, &printer)) return -1;
  if (!pPSUIInfo) return DocumentPropertiesWithoutSheet(header, printer);

  // The document sheet comes with the property pages.
  DrvTrace("DrvDocumentPropertySheets: the document property sheet is not available\n");
  return -1;
}
