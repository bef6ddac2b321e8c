#include "interface/job/host_address.h"

#include "common/driver_escapes.h"
#include "interface/records/printer_info.h"
#include "platform/gdi/dc.h"
#include "query/trap_reception.h"

void SendHostAddress(HDC dc, HANDLE printer) {
  // The address of the interface that routes to the printer, as trap
  // registration gives it: the host name's address may be a loopback one or
  // sit on another network than the printer.
  char printerName[MAX_PATH] = {};
  GetPrinterNameCopy(printer, printerName, sizeof printerName);
  LocalHostAddress record{};
  GetLocalHostAddressFor(printerName, &record);
  // A host without an address sends none; the job then carries no attribute.
  if (record.addressText[0] == '\0') return;
  ExtEscape(dc, static_cast<int>(kEscJobIdentity), sizeof record.address, reinterpret_cast<const char*>(record.address),
            0, nullptr);
}
