#include "query/configuration_record.h"

#include <cstring>

#include "query/object_requests.h"

namespace {

struct PaperSize {
  const char* label;
  WORD code;
  LONG width;
  LONG length;
};

// Ten-thousandths of an inch; the envelopes com10, dl and c5 list the long side first.
const PaperSize kPaperSizes[] = {
    // clang-format off
    {"letter", 1, 85000, 110000},          {"legal", 5, 85000, 140000},
    {"folio", 14, 85000, 130000},          {"statement", 6, 55000, 85000},
    {"executive", 7, 72500, 105000},       {"ledger", 17, 110000, 170000},
    {"super b", 258, 120000, 180000},      {"b4", 12, 101180, 143306},
    {"b5", 13, 71653, 101180},             {"a3", 8, 116928, 165354},
    {"a4", 9, 82677, 116928},              {"a5", 11, 58661, 82677},
    {"a6", 70, 41399, 58661},              {"Envelop com10", 20, 95000, 41250},
    {"Envelop monarch", 37, 38750, 75000}, {"Envelop dl", 27, 86614, 43307},
    {"Envelop c5", 28, 90157, 63780},      {"9x12", 257, 90000, 120000},
    {"pa-kai", 269, 105120, 153150},       {"gletter", 267, 85000, 105000},
    {"f4", 268, 82677, 129900},            {"dai pa-kai", 270, 108270, 155510},
    {"juuroku-kai", 271, 77950, 108270},   {"a4tab", 287, 88582, 116928},
    {"ltabstock", 286, 90000, 110000},     {"hagakiCard", 264, 39370, 58268},
    // clang-format on
    {"oufukuCard", 265, 58268, 78740},
};

int FindPaper(LONG a, LONG b) {
  for (const PaperSize& size : kPaperSizes) {
    const bool widthFits = a == size.width || a <= size.width + 400;
    const bool lengthFits = b >= size.length - 10 && b <= size.length + 10;
    if (widthFits && lengthFits) return size.code;
  }
  return -1;
}

// An error that ends the record: anything but success and noSuchName.
bool Stops(int result) { return result != SNMP_RESULT_OK && !IsNoSuchName(result); }

int FillPaperSize(SnmpSession* session, int tray, TrayEntry* entry) {
  OwnedValue unit;
  int result = GetObject(session, Join("1.3.6.1.2.1.43.8.2.1.3.1.", tray), unit);
  if (result != SNMP_RESULT_OK || !unit.IsInteger() || unit.Number() != 3) return result;
  OwnedValue feed, cross;
  result = GetObject(session, Join("1.3.6.1.2.1.43.8.2.1.4.1.", tray), feed);
  if (result != SNMP_RESULT_OK) return result;
  result = GetObject(session, Join("1.3.6.1.2.1.43.8.2.1.5.1.", tray), cross);
  if (result != SNMP_RESULT_OK) return result;
  entry->paperCode = MatchPaperSize(feed.Number(), cross.Number(), &entry->feedFlag);
  return SNMP_RESULT_OK;
}

int FillTrayDetails(SnmpSession* session, int tray, TrayEntry* entry) {
  OwnedValue media;
  int result = GetObject(session, Join("1.3.6.1.2.1.43.8.2.1.21.1.", tray), media);
  if (result == SNMP_RESULT_OK && media.IsOctets()) {
    int sum = 0;
    for (char c : media.Text()) sum += static_cast<signed char>(c);
    entry->mediaCode = static_cast<WORD>(sum);
  } else if (IsNoSuchName(result)) {
    OwnedValue fallback;
    result = GetObject(session, Join("1.3.6.1.4.1.4417.2.3.1.1.4.", tray), fallback);
    if (result == SNMP_RESULT_OK && fallback.IsInteger()) entry->mediaCode = static_cast<WORD>(fallback.Number());
  }
  if (Stops(result)) return result;
  OwnedValue level;
  result = GetObject(session, Join("1.3.6.1.2.1.43.8.2.1.10.1.", tray), level);
  if (result == SNMP_RESULT_OK && level.IsInteger()) entry->level = static_cast<WORD>(level.Number());
  return result;
}

}  // namespace

WORD MatchPaperSize(LONG feed, LONG crossFeed, WORD* feedFlag) {
  int code = FindPaper(feed, crossFeed);
  if (code < 0) code = FindPaper(crossFeed, feed);
  if (code < 0) code = PAPER_CODE_UNMATCHED;
  if (feedFlag) {
    switch (code) {
      case 1: *feedFlag = crossFeed != 110000; break;
      case 9: *feedFlag = crossFeed != 116928; break;
      case 5: *feedFlag = crossFeed != 140000; break;
      case 14: *feedFlag = crossFeed != 130000; break;
      default: *feedFlag = feed >= crossFeed; break;
    }
  }
  return static_cast<WORD>(code);
}

int ReadTraysAndFinishers(SnmpSession* session, ConfigurationRecord* record, bool withTrayDetails) {
  int trays = 0;
  for (int i = 1; i <= 8; ++i) {
    OwnedValue status;
    int result = GetObject(session, Join("1.3.6.1.2.1.43.8.2.1.11.1.", i), status);
    if (Stops(result)) return result;
    if (result != SNMP_RESULT_OK || !status.IsInteger()) continue;
    TrayEntry& entry = record->trays[trays++];
    entry.tray = static_cast<WORD>(i);
    record->found |= CONFIG_FOUND_TRAYS;
    result = FillPaperSize(session, i, &entry);
    if (Stops(result)) return result;
    if (withTrayDetails) {
      result = FillTrayDetails(session, i, &entry);
      if (Stops(result)) return result;
    }
  }
  for (int i = 3; i <= 8; ++i) {
    OwnedValue present;
    int result = GetObject(session, Join("1.3.6.1.2.1.43.30.1.1.3.1.", i), present);
    if (Stops(result)) return result;
    if (result != SNMP_RESULT_OK || !present.IsInteger() || present.Number() != 3) continue;
    OwnedValue type;
    result = GetObject(session, Join("1.3.6.1.2.1.43.30.1.1.2.1.", i), type);
    if (Stops(result)) return result;
    if (result != SNMP_RESULT_OK || !type.IsInteger()) continue;
    const int32_t kind = type.Number();
    if (kind == 4 && i == 3) record->finisherDevice3 = 1;
    if (kind != 18 || trays >= 8) continue;
    // Device 4 names the next tray without taking its place; 7 and 8 add trays.
    if (i == 4) record->trays[trays].tray = 20;
    if (i == 7) record->trays[trays++].tray = 10;
    if (i == 8) record->trays[trays++].tray = 11;
  }
  return SNMP_RESULT_OK;
}

int ReadBinsAndOptions(SnmpSession* session, ConfigurationRecord* record) {
  std::memset(record->bins, 0, sizeof record->bins);
  int bins = 0;
  for (int i = 1; i <= 16; ++i) {
    OwnedValue status;
    const int result = GetObject(session, Join("1.3.6.1.2.1.43.9.2.1.6.1.", i), status);
    if (Stops(result)) return result;
    if (result == SNMP_RESULT_OK && status.IsInteger() && status.Number() < 8) {
      record->bins[bins++] = static_cast<WORD>(i);
      record->found |= CONFIG_FOUND_BINS;
    }
  }
  // The whole option area: a ninth option of an earlier read must not survive.
  std::memset(record->options, 0, sizeof record->options);
  int options = 0;
  for (int i = 7; i <= 15; ++i) {
    const int n = i == 13 ? 17 : (i == 14 ? 19 : i);
    OwnedValue installed;
    const int result = GetObject(session, "1.3.6.1.4.1.4417.2.5." + std::to_string(n) + ".0", installed);
    if (Stops(result)) return result;
    if (result == SNMP_RESULT_OK && installed.IsInteger() && installed.Number() == 3) {
      record->options[options++] = static_cast<WORD>(i - 6);
      record->found |= CONFIG_FOUND_OPTIONS;
    }
  }
  return SNMP_RESULT_OK;
}
