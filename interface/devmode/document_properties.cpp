#include "interface/devmode/document_properties.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "interface/app/drv_trace.h"
#include "interface/devmode/current_devmode.h"
#include "interface/devmode/server_down_probe.h"
#include "interface/devmode/validate_merge.h"
#include "interface/records/printer_info.h"
#include "interface/setup/first_use.h"
#include "interface/setup/setup_steps.h"
#include "model/model_cache.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr LONG kIdOk = 1;
constexpr LONG kFailure = -1;

// Copies a name that fits whole; a name cut short would name another printer.
bool CopyName(char (&field)[MAX_PATH], const char* text) {
  const size_t length = std::strlen(text);
  if (length >= sizeof field) return false;
  std::memcpy(field, text, length + 1);
  return true;
}

}  // namespace

void CheckFirstUseAndStoredVersion(HANDLE printer, const char* printerName, const ModelRecord* record) {
  const std::string previous = ReadStoredDriverVersion();
  CheckFirstUseAndVersion(printer, printerName, record, previous);
  if (previous.empty() || !platform::EqualsNoCaseAnsi(previous, CurrentDriverVersion())) StoreDriverVersion();
}

bool ReadDocumentPrinter(HANDLE printer, DocumentPrinter* out) {
  if (!out) return false;
  *out = DocumentPrinter{};
  BYTE* info = GetPrinterInfo(printer, 4);
  if (!info) {
    DrvTrace("ppi4 is NULL ");
    return false;
  }
  const auto* level4 = reinterpret_cast<const PRINTER_INFO_4A*>(info);
  bool ok = level4->pPrinterName && level4->pPrinterName[0] != '\0' && CopyName(out->name, level4->pPrinterName);
  if (!ok) {
    DrvTrace("ppi4->pPrinterName is NULL ");
  } else {
    out->attributes = level4->Attributes;
    if ((out->attributes & PRINTER_ATTRIBUTE_NETWORK) && level4->pServerName &&
        !CopyName(out->serverName, level4->pServerName)) {
      out->serverName[0] = '\0';
    }
  }
  FreePrinterInfo(info);
  if (ok && (out->attributes & PRINTER_ATTRIBUTE_NETWORK)) {
    out->serverDown = ProbeServerDown(printer, out->name, out->serverName);
  }
  return ok;
}

bool BuildWorkingDevmode(HANDLE printer, const DocumentPrinter& documentPrinter, const DEVMODEW* in, DWORD mode,
                         const ModelRecord* record, XDEVMODE* working) {
  if (!working) return false;
  std::memset(working, 0, sizeof *working);
  if (!GetCurrentDevmode(printer, documentPrinter.name, working)) {
    DrvTrace("DrGetPrintSettings() in DrvDocumentPropertySheets() failed!\n");
    return false;
  }
  // The record stays as the cache holds it: the custom paper of the result is
  // worked out on a copy by whoever needs the row (the property pages).
  if (in && (mode & DM_MODIFY)) ValidateMergeDevmode(printer, working, in, record);
  working->dmPrivate._dwPrinterAttributes = documentPrinter.attributes;
  return true;
}

LONG DocumentPropertiesWithoutSheet(DOCUMENTPROPERTYHEADER* header, const DocumentPrinter& documentPrinter) {
  if (!header) return kFailure;
  if (header->fMode == 0 || !header->pdmOut) {
    header->cbOut = kXDevModeSize;
    return static_cast<LONG>(kXDevModeSize);
  }
  if (!(header->fMode & (DM_UPDATE | DM_COPY))) return kFailure;

  // The whole device mode is written: an output that cannot hold it is refused
  // rather than overrun.
  if (header->cbOut < kXDevModeSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return kFailure;
  }
  const ModelRecord* record = GetModelRecord(header->hPrinter, documentPrinter.name, kModelReloadWhenChanged);
  if (!record) return kFailure;
  CheckFirstUseAndStoredVersion(header->hPrinter, documentPrinter.name, record);
  std::unique_ptr<XDEVMODE> working(new (std::nothrow) XDEVMODE);
  if (!working) return kFailure;
  if (!BuildWorkingDevmode(header->hPrinter, documentPrinter, header->pdmIn, header->fMode, record, working.get())) {
    return kFailure;
  }
  std::memcpy(header->pdmOut, working.get(), sizeof *working);
  return kIdOk;
}
