// Logical printers: named virtual printers inside the device, each a row of the
// maker's table 1.3.6.1.4.1.4417.3.6.1 (column 2 the name). A row found is kept
// in VPT.INI in the settings folder, in two sections per printer (named by the
// queue and by its agent address): "VPTIndex" the row count last read, "VP<n>"
// the name in row n. While the session's cache flag is set, lookups are answered
// from the file.
#pragma once

#include "query/snmp_session.h"

// The row argument that asks for a fresh walk and sets the cache flag after it.
#define LOGICAL_PRINTER_REFRESH 969
// The name that means "no logical printer": objects are asked as given.
#define NO_LOGICAL_PRINTER "xyzzyyzzyx"
#define LOGICAL_PRINTER_MAX_ROWS 64

// Row out: the row number, 0 when not found. Result: 1 found; 0x6000 not found;
// the failing request's result otherwise.
ZEL_EXTERN_C QUERY_API int FindLogicalPrinterRow(LPCSTR printerName, LPCSTR logicalName, int* row,
                                                 SnmpSession* session);
// The cached lookup in the agent address's section: 1 with the row when the name
// is there, 0x6000 with row 0 when it is not (the caller then walks the table).
// Without the cache flag: 1, row unchanged.
ZEL_EXTERN_C QUERY_API int FindCachedLogicalPrinterRow(LPCSTR agentAddress, SnmpSession* session, LPCSTR logicalName,
                                                       int* row);
ZEL_EXTERN_C QUERY_API void WriteLogicalPrinterCount(LPCSTR printerName, int count);
ZEL_EXTERN_C QUERY_API void WriteLogicalPrinterName(LPCSTR printerName, const smiOCTETS* name, int row);
ZEL_EXTERN_C QUERY_API void GetVptIniPath(char* buffer, DWORD size);
