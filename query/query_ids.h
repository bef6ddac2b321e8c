// Questions to the printer by number. SnmpQueryA asks about the printer as a
// whole (Printer MIB, Host Resources MIB, MIB-II, the maker's arc
// 1.3.6.1.4.1.4417); SnmpQueryB about the device's configuration and its logical
// printers. Each item reads with GET or, when the session's set mode is 1, writes
// the caller's value with SET to the same object. An output area smaller than the
// item needs, a null output or an unknown id answer 0 and send nothing.
#pragma once

#include <cstddef>

#include "query/snmp_session.h"

#pragma pack(push, 1)
struct TrayEntry {
  WORD tray;       // tray number
  WORD paperCode;  // paper size code (261: no size matched)
  WORD mediaCode;  // SnmpQueryA 79 only
  WORD level;      // SnmpQueryA 79 only
  WORD feedFlag;
};

// The device's configuration (SnmpQueryB 7; SnmpQueryA 79 fills the trays and
// finisher devices with two more tray fields). Zero-filled by the caller.
struct ConfigurationRecord {
  WORD version;  // always 10
  DWORD found;   // CONFIG_FOUND_* flags
  BYTE reserved6[10];
  TrayEntry trays[8];  // 16
  WORD bins[16];       // 96: usable output bins, ascending
  WORD options[9];     // 128: installed private options 1 to 9, ascending
  BYTE reserved146[22];
  WORD finisherDevice3;  // 168: 1 when finisher device 3 is present and of type 4
  BYTE reserved170[16];
};
#pragma pack(pop)

static_assert(sizeof(TrayEntry) == 10);
static_assert(sizeof(ConfigurationRecord) == 186);
static_assert(offsetof(ConfigurationRecord, trays) == 16);
static_assert(offsetof(ConfigurationRecord, bins) == 96);
static_assert(offsetof(ConfigurationRecord, options) == 128);
static_assert(offsetof(ConfigurationRecord, finisherDevice3) == 168);

#define CONFIG_RECORD_VERSION 10
#define CONFIG_FOUND_TRAYS 0x20000u
#define CONFIG_FOUND_BINS 0x40000u
#define CONFIG_FOUND_OPTIONS 0x40000000u
#define PAPER_CODE_UNMATCHED 261

ZEL_EXTERN_C QUERY_API int SnmpQueryA(int queryId, LPCSTR printerName, SnmpSession* session, void* output,
                                      int outputSize);
ZEL_EXTERN_C QUERY_API int SnmpQueryB(int queryId, LPCSTR printerName, LPCSTR logicalName, SnmpSession* session,
                                      void* output, int outputSize);

// One integer object: -1 first, then the value when it is an integer syntax. For
// a named logical printer the row number is appended to the object text; with
// NO_LOGICAL_PRINTER the object is asked as given.
ZEL_EXTERN_C QUERY_API int QueryInteger(LPCSTR printerName, LPCSTR logicalName, SnmpSession* session, LPCSTR objectText,
                                        int32_t* output);
// One OCTET STRING object: at most outputSize bytes of it, terminated when room is
// left.
ZEL_EXTERN_C QUERY_API int QueryOctets(LPCSTR printerName, LPCSTR logicalName, SnmpSession* session, LPCSTR objectText,
                                       void* output, int outputSize);

// The paper code of declared tray dimensions (ten-thousandths of an inch; feed
// direction, cross-feed direction) and the tray's feed flag.
WORD MatchPaperSize(LONG feed, LONG crossFeed, WORD* feedFlag);
