// SnmpQueryB: the device's configuration and its logical printers.
#include <strings.h>

#include <cstring>
#include <string>

#include "query/configuration_record.h"
#include "query/logical_printers.h"
#include "query/object_requests.h"
#include "query/query_ids.h"
#include "query/query_settings.h"
#include "query/request_ids.h"

namespace {

enum class Kind { RowInt, RowText, OnOff, FontInt, FontText, WholeInt, WholeText, NoObject, Special };

struct Item {
  int id;
  Kind kind;
  const char* object;
  int minimum;  // 1: any area
};

const Item kItems[] = {
    {2, Kind::RowText, "1.3.6.1.4.1.4417.3.2.0", 1},
    {3, Kind::Special, nullptr, 0},
    {4, Kind::Special, nullptr, 0},
    {6, Kind::Special, "1.3.6.1.4.1.4417.3.9.1.2.", 8},
    {7, Kind::Special, nullptr, 186},
    {8, Kind::Special, nullptr, 8},
    {11, Kind::RowInt, "1.3.6.1.4.1.4417.3.6.1.21.", 4},
    {12, Kind::OnOff, "1.3.6.1.4.1.4417.3.6.1.29.", 4},
    {13, Kind::OnOff, "1.3.6.1.4.1.4417.3.6.1.27.", 4},
    {14, Kind::OnOff, "1.3.6.1.4.1.4417.3.6.1.24.", 4},
    {15, Kind::OnOff, "1.3.6.1.4.1.4417.3.6.1.23.", 4},
    {16, Kind::Special, nullptr, 4},
    {17, Kind::RowInt, "1.3.6.1.4.1.4417.3.6.1.14.", 4},
    {18, Kind::RowText, "1.3.6.1.4.1.4417.3.6.1.21.", 1},
    {19, Kind::RowInt, "1.3.6.1.4.1.4417.3.6.1.16.", 4},
    {20, Kind::OnOff, "1.3.6.1.4.1.4417.3.6.1.19.", 4},
    {21, Kind::OnOff, "1.3.6.1.4.1.4417.3.6.1.28.", 4},
    {22, Kind::RowInt, "1.3.6.1.4.1.4417.3.6.1.13.", 4},
    {24, Kind::Special, nullptr, 0},
    {25, Kind::RowText, "1.3.6.1.2.1.2.2.1.2.1", 1},
    {26, Kind::RowInt, "1.3.6.1.4.1.4417.3.7.1.6.", 4},
    {27, Kind::RowInt, "1.3.6.1.4.1.4417.3.7.1.5.", 4},
    {28, Kind::RowInt, "1.3.6.1.4.1.4417.3.7.1.2.", 4},
    {29, Kind::RowInt, "1.3.6.1.4.1.4417.3.7.1.3.", 4},
    {30, Kind::FontInt, "1.3.6.1.4.1.4417.3.8.1.2.", 4},
    {31, Kind::FontText, "1.3.6.1.4.1.4417.3.8.1.3.", 1},
    {32, Kind::FontInt, "1.3.6.1.4.1.4417.3.8.1.6.", 4},
    {33, Kind::FontInt, "1.3.6.1.4.1.4417.3.8.1.5.", 4},
    {34, Kind::FontInt, "1.3.6.1.4.1.4417.3.8.1.9.", 4},
    {35, Kind::FontInt, "1.3.6.1.4.1.4417.3.8.1.7.", 4},
    {36, Kind::FontInt, "1.3.6.1.4.1.4417.3.8.1.4.", 4},
    {37, Kind::FontInt, "1.3.6.1.4.1.4417.3.8.1.8.", 4},
    {38, Kind::RowInt, "1.3.6.1.4.1.4417.3.7.1.17.", 4},
    {39, Kind::RowInt, "1.3.6.1.4.1.4417.3.7.1.8.", 4},
    {40, Kind::RowInt, "1.3.6.1.4.1.4417.3.7.1.15.", 4},
    {41, Kind::RowInt, "1.3.6.1.4.1.4417.3.7.1.16.", 4},
    {42, Kind::NoObject, nullptr, 4},
    {43, Kind::RowInt, "1.3.6.1.4.1.4417.3.7.1.11.", 4},
    {44, Kind::RowInt, "1.3.6.1.4.1.4417.3.7.1.13.", 4},
    {45, Kind::RowInt, "1.3.6.1.4.1.4417.3.10.1.2.", 4},
    {46, Kind::RowInt, "1.3.6.1.4.1.4417.3.10.1.1.", 4},
    {47, Kind::RowInt, "1.3.6.1.4.1.4417.3.10.1.3.", 4},
    {48, Kind::RowText, "1.3.6.1.4.1.4417.3.10.1.4.", 1},
    {49, Kind::RowInt, "1.3.6.1.4.1.4417.3.7.1.9.", 4},
    {50, Kind::RowInt, "1.3.6.1.4.1.4417.3.9.1.1.", 4},
    {51, Kind::RowInt, "1.3.6.1.4.1.4417.3.9.1.2.", 4},
    {52, Kind::RowInt, "1.3.6.1.4.1.4417.3.6.1.25.", 4},
    {53, Kind::RowInt, "1.3.6.1.4.1.4417.3.6.1.17.", 4},
    {54, Kind::Special, "1.3.6.1.4.1.4417.3.6.2.", 4},
    {55, Kind::WholeText, "1.3.6.1.4.1.4417.4.3.0", 1},
    {56, Kind::Special, nullptr, 4},
    {57, Kind::RowInt, "1.3.6.1.4.1.4417.3.11.1.1.", 4},
    {58, Kind::RowInt, "1.3.6.1.4.1.4417.3.11.1.2.", 4},
    {59, Kind::RowInt, "1.3.6.1.4.1.4417.3.7.1.7.", 4},
    {60, Kind::NoObject, nullptr, 1},
    {61, Kind::RowInt, "1.3.6.1.4.1.4417.3.6.1.20.", 4},
    {62, Kind::RowInt, "1.3.6.1.4.1.4417.3.6.1.12.", 4},
    {66, Kind::RowInt, "1.3.6.1.4.1.4417.3.6.1.15.", 4},
    {67, Kind::RowInt, "1.3.6.1.4.1.4417.3.6.1.22.", 4},
    {68, Kind::WholeInt, "1.3.6.1.4.1.4417.2.1.4.1.3.3", 4},
    {69, Kind::Special, "1.3.6.1.4.1.4417.3.12.1.", 100},
    {70, Kind::RowInt, "1.3.6.1.4.1.4417.3.6.1.31.", 4},
    {71, Kind::RowInt, "1.3.6.1.4.1.4417.3.6.1.30.", 4},
};

const Item* FindItem(int id) {
  for (const Item& item : kItems) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

int32_t* Words(void* output) { return static_cast<int32_t*>(output); }

// A column of the logical printer's row: the row number follows texts that end
// in "."; a complete object text names one object, asked as it is.
int RowInteger(LPCSTR printer, LPCSTR logical, SnmpSession* session, const std::string& object, int32_t* out) {
  if (!object.empty() && object.back() != '.') {
    int row = 0;
    const int found = FindLogicalPrinterRow(printer, logical, &row, session);
    if (found != SNMP_RESULT_OK) return found;
    return QueryInteger(printer, NO_LOGICAL_PRINTER, session, object.c_str(), out);
  }
  return QueryInteger(printer, logical, session, object.c_str(), out);
}

int RowText(LPCSTR printer, LPCSTR logical, SnmpSession* session, const std::string& object, void* out, int size) {
  if (!object.empty() && object.back() != '.') {
    int row = 0;
    const int found = FindLogicalPrinterRow(printer, logical, &row, session);
    if (found != SNMP_RESULT_OK) return found;
    return QueryOctets(printer, NO_LOGICAL_PRINTER, session, object.c_str(), out, size);
  }
  return QueryOctets(printer, logical, session, object.c_str(), out, size);
}

int32_t PclFontIndex(LPCSTR printer) {
  OpenedPrinter opened(printer, false);
  int32_t index = 1;
  if (!opened.ok() ||
      QuerySettings().GetInt(opened.handle(), kStorePrinterData, "Printer", "PclFontIndex", &index) != 0) {
    return 1;
  }
  return index;
}

std::string FontObject(const char* column, LPCSTR printer) {
  return column + std::to_string(PclFontIndex(printer)) + ".";
}

// The refresh of the row cache: a walk for a name that no row has, which reads
// and stores every row and sets the cache flag.
int RefreshRows(LPCSTR printer, SnmpSession* session) {
  int row = LOGICAL_PRINTER_REFRESH;
  const int result = FindLogicalPrinterRow(printer, NO_LOGICAL_PRINTER, &row, session);
  return result == SNMP_RESULT_NO_LOGICAL_PRINTER ? SNMP_RESULT_OK : result;
}

int SetLogicalPrinterName(LPCSTR printer, LPCSTR logical, SnmpSession* session, const char* object) {
  AgentScope agent(printer, session, false);
  if (agent.result() != SNMP_RESULT_OK) return agent.result();
  smiVALUE value{};
  value.syntax = SNMP_SYNTAX_OCTETS;
  value.value.string.len = static_cast<smiUINT32>(std::strlen(logical));
  value.value.string.ptr = reinterpret_cast<smiLPBYTE>(const_cast<char*>(logical));
  return SnmpSetRequest(nullptr, object, nullptr, &value, session);
}

// 6: on/off of a row, asked with its own request kind; 1 for on, else 0.
int OnOffWord(LPCSTR printer, LPCSTR logical, SnmpSession* session, const char* column, void* output) {
  int row = 0;
  const int found = FindLogicalPrinterRow(printer, logical, &row, session);
  if (found != SNMP_RESULT_OK) return found;
  AgentScope agent(printer, session, false);
  if (agent.result() != SNMP_RESULT_OK) return agent.result();
  OwnedValue value;
  const int result = SnmpRequestOfKind(session, SNMP_PDU_GET, kRequestOnOffGet, nullptr, Join(column, row).c_str(),
                                       nullptr, nullptr, &value.value);
  if (result != SNMP_RESULT_OK) return result;
  if (value.value.syntax != SNMP_SYNTAX_INT) return SNMP_RESULT_FAILED;
  *Words(output) = value.Number() == 3 ? 1 : 0;
  return SNMP_RESULT_OK;
}

int OnOff(LPCSTR printer, LPCSTR logical, SnmpSession* session, const char* object, void* output) {
  int32_t* word = Words(output);
  if (session->setMode == 1) {
    int32_t sent = *word == 3 ? 3 : 4;
    return RowInteger(printer, logical, session, object, &sent);
  }
  const int result = RowInteger(printer, logical, session, object, word);
  *word = *word == 3 ? 3 : 4;
  return result;
}

// 7: the configuration record.
int Configuration(LPCSTR printer, LPCSTR logical, SnmpSession* session, void* output) {
  (void)logical;
  ConfigurationRecord* record = static_cast<ConfigurationRecord*>(output);
  record->version = CONFIG_RECORD_VERSION;
  std::memset(record->trays, 0, sizeof record->trays);
  AgentScope agent(printer, session, false);
  if (agent.result() != SNMP_RESULT_OK) return agent.result();
  const int result = ReadTraysAndFinishers(session, record, false);
  if (result != SNMP_RESULT_OK) return result;
  return ReadBinsAndOptions(session, record);
}

// 8: option bits (word 1) and status (word 0) of the row.
int OptionBits(LPCSTR printer, LPCSTR logical, SnmpSession* session, void* output) {
  int32_t* words = Words(output);
  const bool setMode = session->setMode == 1;
  if (!setMode) words[1] = 0;
  const int columns[] = {4, 6, 7, 8, 9, 10};
  int result = SNMP_RESULT_OK;
  for (int j = 0; j < 6; ++j) {
    const std::string object = Join("1.3.6.1.4.1.4417.3.6.1.", columns[j]) + ".";
    int32_t value = (words[1] & (1 << j)) ? 3 : 4;
    result = RowInteger(printer, logical, session, object, &value);
    if (!setMode && result == SNMP_RESULT_OK && value == 3) words[1] |= 1 << j;
    if (result != SNMP_RESULT_OK && !IsNoSuchName(result)) return result;
  }
  result = RowInteger(printer, logical, session, "1.3.6.1.4.1.4417.3.6.1.5.", &words[0]);
  return IsNoSuchName(result) ? SNMP_RESULT_OK : result;
}

int MapColumn45(int32_t value) {
  switch (value) {
    case 3: return 140;
    case 6: return 259;
    case 37: return 16;
    case 47: return 0x4000;
    default: return -32768;
  }
}

int MapColumn11(int32_t value) {
  switch (value) {
    case 0:
    case 5: return 140;
    case 1: return 259;
    case 4: return 16;
    case 8: return 32;
    default: return -32768;
  }
}

// 16: the row's printer language as a PdlKind mask.
int PrinterLanguage(LPCSTR printer, LPCSTR logical, SnmpSession* session, void* output) {
  int32_t* word = Words(output);
  const bool setMode = session->setMode == 1;
  int32_t value = *word;
  int result = RowInteger(printer, logical, session, "1.3.6.1.4.1.4417.3.6.1.45.", &value);
  if (IsNoSuchName(result)) {
    value = *word;
    result = RowInteger(printer, logical, session, "1.3.6.1.4.1.4417.3.6.1.11.", &value);
    if (!setMode) *word = MapColumn11(value);
    return result;
  }
  if (!setMode) *word = MapColumn45(value);
  return result;
}

// 56: the printer's PCL font index, kept in its settings; nothing is sent.
int FontIndex(LPCSTR printer, SnmpSession* session, void* output) {
  int32_t* word = Words(output);
  if (session->setMode == 1) {
    OpenedPrinter opened(printer, true);
    if (!opened.ok()) return SNMP_RESULT_FAILED;
    return QuerySettings().SetDword(opened.handle(), kStorePrinterData, "Printer", "PclFontIndex",
                                    static_cast<DWORD>(*word)) == 0
               ? SNMP_RESULT_OK
               : SNMP_RESULT_FAILED;
  }
  OpenedPrinter opened(printer, false);
  if (!opened.ok()) return SNMP_RESULT_FAILED;
  *word = PclFontIndex(printer);
  return SNMP_RESULT_OK;
}

// 69: 7 rows by 3 columns of private values for index m (high half of word 0).
int PrivateValues(LPCSTR printer, LPCSTR logical, SnmpSession* session, const char* object, void* output) {
  int32_t* words = Words(output);
  const unsigned m = static_cast<uint32_t>(words[0]) >> 16;
  const WORD setMode = session->setMode;
  int result = SNMP_RESULT_OK;
  for (int r = 1; r <= 7; ++r) {
    for (int k = 1; k <= 3; ++k) {
      const std::string column = object + std::to_string(k) + "." + std::to_string(m) + "." + std::to_string(r) + ".";
      int32_t* target = &words[r + 8 * (k - 1)];
      // Only the third column is written; the others are read in either mode.
      session->setMode = k == 3 ? setMode : 0;
      result = RowInteger(printer, logical, session, column, target);
      session->setMode = setMode;
      if (result == SNMP_RESULT_OK) continue;
      if (k == 1 || result < 200) return IsNoSuchName(result) ? SNMP_RESULT_OK : result;
    }
  }
  return IsNoSuchName(result) ? SNMP_RESULT_OK : result;
}

int RunSpecial(const Item& item, LPCSTR printer, LPCSTR logical, SnmpSession* session, void* output, int size) {
  switch (item.id) {
    case 3: {
      const int set = SetLogicalPrinterName(printer, logical, session, "1.3.6.1.4.1.4417.3.3.0");
      if (set != SNMP_RESULT_OK) return set;
      return RefreshRows(printer, session);
    }
    case 4: {
      const int set = SetLogicalPrinterName(printer, logical, session, "1.3.6.1.4.1.4417.3.4.0");
      if (set == SNMP_RESULT_OK) RefreshRows(printer, session);
      return set;
    }
    case 6: return OnOffWord(printer, logical, session, item.object, output);
    case 7: return Configuration(printer, logical, session, output);
    case 8: return OptionBits(printer, logical, session, output);
    case 16: return PrinterLanguage(printer, logical, session, output);
    case 24: return RefreshRows(printer, session);
    case 54:
      return QueryOctets(printer, NO_LOGICAL_PRINTER, session, Join(item.object, *Words(output)).c_str(), output, size);
    case 56: return FontIndex(printer, session, output);
    case 69: return PrivateValues(printer, logical, session, item.object, output);
    default: return SNMP_RESULT_FAILED;
  }
}

}  // namespace

int SnmpQueryB(int queryId, LPCSTR printerName, LPCSTR logicalName, SnmpSession* session, void* output,
               int outputSize) {
  if (!session) return SNMP_RESULT_FAILED;
  const Item* item = FindItem(queryId);
  if (!item) return SNMP_RESULT_FAILED;
  if (item->minimum > 0 && (!output || outputSize < item->minimum)) return SNMP_RESULT_FAILED;
  char logical[50] = {};
  if (logicalName && *logicalName) {
    std::strncpy(logical, logicalName, 49);
  } else if (printerName) {
    OpenedPrinter opened(printerName, false);
    std::string stored;
    if (opened.ok() && ReadPrinterSetting(opened.handle(), "VPName", 50, &stored)) {
      std::strncpy(logical, stored.c_str(), 49);
    }
  }
  if (printerName && !logical[0]) return SNMP_RESULT_FAILED;
  switch (item->kind) {
    case Kind::RowInt: return RowInteger(printerName, logical, session, item->object, Words(output));
    case Kind::RowText: return RowText(printerName, logical, session, item->object, output, outputSize);
    case Kind::OnOff: return OnOff(printerName, logical, session, item->object, output);
    case Kind::FontInt:
      return RowInteger(printerName, logical, session, FontObject(item->object, printerName), Words(output));
    case Kind::FontText:
      return RowText(printerName, logical, session, FontObject(item->object, printerName), output, outputSize);
    case Kind::WholeInt: return QueryInteger(printerName, NO_LOGICAL_PRINTER, session, item->object, Words(output));
    case Kind::WholeText:
      return QueryOctets(printerName, NO_LOGICAL_PRINTER, session, item->object, output, outputSize);
    case Kind::NoObject: return QueryInteger(printerName, logical, session, nullptr, Words(output));
    case Kind::Special: return RunSpecial(*item, printerName, logical, session, output, outputSize);
  }
  return SNMP_RESULT_FAILED;
}
