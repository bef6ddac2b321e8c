// SnmpQueryA: what the printer as a whole reports (supplies, panel, trays, alerts).
#include <cstring>
#include <string>

#include "platform/base/codepage.h"
#include "query/configuration_record.h"
#include "query/logical_printers.h"
#include "query/object_requests.h"
#include "query/query_ids.h"

namespace {

enum class Kind { Integer, Text, SupplyLevel, PrivateRow, NoObject, Special };

struct Item {
  int id;
  Kind kind;
  const char* object;
  int parameter;  // supply type or private-row kind
  int minimum;
};

const char kSupplyLevel[] = "1.3.6.1.2.1.43.11.1.1.9.1.";
const char kPrivateValue[] = "1.3.6.1.4.1.4417.2.1.4.1.3.";

const Item kItems[] = {
    {1, Kind::SupplyLevel, kSupplyLevel, 3, 4},
    {2, Kind::Integer, "1.3.6.1.4.1.4417.4.10.0", 0, 4},
    {3, Kind::Integer, "1.3.6.1.4.1.4417.4.1.0", 0, 4},
    {4, Kind::Special, nullptr, 0, 64},
    {5, Kind::Integer, "1.3.6.1.2.1.1.3.0", 0, 4},
    {6, Kind::Text, "1.3.6.1.4.1.4417.6.1.0", 0, 1},
    {7, Kind::Text, "1.3.6.1.4.1.4417.6.2.0", 0, 1},
    {8, Kind::Integer, "1.3.6.1.4.1.4417.6.6.0", 0, 4},
    {9, Kind::Text, "1.3.6.1.4.1.4417.2.4.1.0", 0, 1},
    {10, Kind::Text, "1.3.6.1.4.1.4417.2.4.2.0", 0, 1},
    {11, Kind::Text, "1.3.6.1.4.1.4417.2.4.5.0", 0, 1},
    {12, Kind::Text, "1.3.6.1.4.1.4417.2.4.4.0", 0, 1},
    {13, Kind::Text, "1.3.6.1.4.1.4417.6.8.0", 0, 1},
    {14, Kind::PrivateRow, kPrivateValue, 6, 4},
    {15, Kind::PrivateRow, kPrivateValue, 7, 4},
    {16, Kind::Integer, "1.3.6.1.2.1.43.5.1.1.10.1", 0, 4},
    {17, Kind::Integer, "1.3.6.1.2.1.25.3.5.1.1.1", 0, 4},
    {18, Kind::Text, "1.3.6.1.2.1.25.3.5.1.2.1", 0, 1},
    {19, Kind::PrivateRow, kPrivateValue, 14, 4},
    {20, Kind::PrivateRow, kPrivateValue, 12, 4},
    {21, Kind::PrivateRow, kPrivateValue, 16, 4},
    {22, Kind::SupplyLevel, kSupplyLevel, 10, 4},
    {23, Kind::SupplyLevel, kSupplyLevel, 20, 4},
    {24, Kind::SupplyLevel, kSupplyLevel, 18, 4},
    {25, Kind::SupplyLevel, kSupplyLevel, 9, 4},
    {26, Kind::SupplyLevel, kSupplyLevel, 15, 4},
    {27, Kind::Integer, "1.3.6.1.4.1.4417.6.24.0", 0, 4},
    {28, Kind::Text, "1.3.6.1.4.1.4417.6.23.0", 0, 1},
    {29, Kind::Integer, "1.3.6.1.2.1.43.11.1.1.8.1.6", 0, 4},
    {30, Kind::Integer, "1.3.6.1.2.1.43.11.1.1.8.1.2", 0, 4},
    {31, Kind::Integer, "1.3.6.1.2.1.43.11.1.1.8.1.3", 0, 4},
    {32, Kind::Integer, "1.3.6.1.2.1.43.11.1.1.8.1.4", 0, 4},
    {33, Kind::Integer, "1.3.6.1.2.1.43.11.1.1.8.1.5", 0, 4},
    {34, Kind::Integer, "1.3.6.1.2.1.43.11.1.1.8.1.1", 0, 4},
    {35, Kind::Text, "1.3.6.1.2.1.1.1.0", 0, 1},
    {36, Kind::Integer, "1.3.6.1.4.1.4417.4.2.0", 0, 4},
    {37, Kind::Integer, "1.3.6.1.4.1.4417.4.9.0", 0, 4},
    {38, Kind::Text, "1.3.6.1.4.1.4417.6.18.0", 0, 1},
    {39, Kind::Text, "1.3.6.1.4.1.4417.6.10.0", 0, 1},
    {40, Kind::Integer, "1.3.6.1.4.1.4417.2.1.3.1.4.1", 0, 4},
    {41, Kind::Integer, "1.3.6.1.4.1.4417.6.12.1.3.4", 0, 4},
    {42, Kind::NoObject, nullptr, 0, 4},
    {43, Kind::PrivateRow, kPrivateValue, 8, 4},
    {44, Kind::Integer, "1.3.6.1.4.1.4417.6.12.1.3.4", 0, 4},
    {45, Kind::Integer, "1.3.6.1.4.1.4417.6.11.0", 0, 4},
    {46, Kind::Integer, "1.3.6.1.2.1.43.5.1.1.3.1", 0, 4},
    {47, Kind::Integer, "1.3.6.1.4.1.4417.6.3.0", 0, 4},
    {49, Kind::Special, "1.3.6.1.4.1.4417.4.1.0", 0, 4},
    {50, Kind::Text, "1.3.6.1.4.1.4417.6.22.0", 0, 1},
    {51, Kind::Integer, "1.3.6.1.4.1.4417.6.9.0", 0, 4},
    {52, Kind::Integer, "1.3.6.1.4.1.4417.6.12.1.3.2", 0, 4},
    {53, Kind::Integer, "1.3.6.1.4.1.4417.6.12.1.3.3", 0, 4},
    {54, Kind::Text, "1.3.6.1.4.1.4417.6.7.0", 0, 1},
    {55, Kind::Integer, "1.3.6.1.2.1.43.5.1.1.6.1", 0, 4},
    {56, Kind::Integer, "1.3.6.1.2.1.43.5.1.1.7.1", 0, 4},
    {57, Kind::Integer, "1.3.6.1.2.1.43.5.1.1.9.1", 0, 4},
    {58, Kind::Special, nullptr, 0, 4},
    {59, Kind::Special, nullptr, 0, 100},
    {60, Kind::Integer, "1.3.6.1.4.1.4417.2.1.4.1.3.9", 0, 4},
    {61, Kind::Special, nullptr, 0, 64},
    {62, Kind::Special, "1.3.6.1.2.1.43.9.2.1.20.1.", 0, 4},
    {63, Kind::Text, "1.3.6.1.4.1.4417.2.7.1.0", 0, 1},
    {64, Kind::Text, "1.3.6.1.4.1.4417.2.7.2.0", 0, 1},
    {65, Kind::Text, "1.3.6.1.4.1.4417.2.7.3.0", 0, 1},
    {66, Kind::Text, "1.3.6.1.4.1.4417.2.7.4.0", 0, 1},
    {67, Kind::Integer, "1.3.6.1.4.1.4417.2.7.5.0", 0, 4},
    {68, Kind::Integer, "1.3.6.1.4.1.4417.2.7.6.0", 0, 4},
    {69, Kind::Integer, "1.3.6.1.4.1.4417.2.7.7.0", 0, 4},
    {70, Kind::Integer, "1.3.6.1.4.1.4417.2.5.2.0", 0, 4},
    {71, Kind::Special, "1.3.6.1.4.1.4417.2.3.1.1.4.", 0, 12},
    {72, Kind::Text, "1.3.6.1.4.1.4417.6.25.0", 0, 1},
    {73, Kind::Integer, "1.3.6.1.4.1.4417.2.5.3.0", 0, 4},
    {74, Kind::Integer, "1.3.6.1.4.1.4417.2.5.4.0", 0, 4},
    {75, Kind::Integer, "1.3.6.1.4.1.4417.2.5.5.0", 0, 4},
    {76, Kind::PrivateRow, kPrivateValue, 11, 4},
    {77, Kind::PrivateRow, kPrivateValue, 17, 4},
    {78, Kind::Integer, "1.3.6.1.2.1.25.3.2.1.5.1", 0, 4},
    {79, Kind::Special, nullptr, 0, 186},
    {80, Kind::Integer, "1.3.6.1.2.1.43.5.1.1.2.1", 0, 4},
    {81, Kind::Special, nullptr, 0, 60},
    {82, Kind::Special, nullptr, 0, 4},
    {83, Kind::Special, nullptr, 0, 6},
};

const Item* FindItem(int id) {
  for (const Item& item : kItems) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

int32_t* Words(void* output) { return static_cast<int32_t*>(output); }
WORD* HalfWords(void* output) { return static_cast<WORD*>(output); }

// The row of a table found by walking one column with GETNEXT: the last
// sub-identifier of the first row whose INTEGER equals the wanted value.
int FindRowByColumn(LPCSTR printer, SnmpSession* session, const char* base, const char* start, int32_t wanted,
                    int notFound) {
  AgentScope agent(printer, session, false);
  if (agent.result() != SNMP_RESULT_OK) return notFound;
  OwnedOid baseOid(base);
  OwnedOid cursor(start);
  if (!baseOid.ok() || !cursor.ok()) return notFound;
  for (int step = 0; step < kMaxWalkSteps; ++step) {
    OwnedValue value;
    const int result = SnmpGetNextRequest(&baseOid.oid, &cursor.oid, &cursor.oid, &value.value, session);
    if (result != SNMP_RESULT_OK) return notFound;
    if (value.IsInteger() && value.Number() == wanted && cursor.oid.len > 0) {
      return static_cast<int>(cursor.oid.ptr[cursor.oid.len - 1]);
    }
  }
  return notFound;
}

int SupplyRow(LPCSTR printer, SnmpSession* session, int type) {
  return FindRowByColumn(printer, session, "1.3.6.1.2.1.43.11.1.1.5", "1.3.6.1.2.1.43.11.1.1.5.1", type, 0);
}

int PrivateRow(LPCSTR printer, SnmpSession* session, int kind) {
  return FindRowByColumn(printer, session, "1.3.6.1.4.1.4417.2.1.4.1.2", "1.3.6.1.4.1.4417.2.1.4.1.2.2", kind, 2);
}

int QueryWhole(LPCSTR printer, SnmpSession* session, const std::string& object, void* output) {
  return QueryInteger(printer, NO_LOGICAL_PRINTER, session, object.c_str(), Words(output));
}

// 4: the two lines of the console display, 31 characters each.
int PanelText(LPCSTR printer, SnmpSession* session, void* output) {
  char* text = static_cast<char*>(output);
  std::memset(text, 0, 64);
  AgentScope agent(printer, session, false);
  if (agent.result() != SNMP_RESULT_OK) return agent.result();
  bool stored = false;
  int result = SNMP_RESULT_FAILED;
  const char* lines[] = {"1.3.6.1.2.1.43.16.5.1.2.1.1", "1.3.6.1.2.1.43.16.5.1.2.1.2"};
  for (int line = 0; line < 2; ++line) {
    OwnedValue value;
    result = GetObject(session, lines[line], value);
    if (result != SNMP_RESULT_OK) {
      if (line == 0) return result;
      break;
    }
    const std::string shown = value.Text();
    if (shown.empty()) continue;
    // Cut at 31 bytes on a whole character: panels show Shift-JIS text.
    std::memcpy(text + 32 * line, shown.data(), platform::WholeCharacterPrefix(shown, 31));
    stored = true;
  }
  return stored ? SNMP_RESULT_OK : result;
}

// 58: two bit sets over the input trays answering a usable status.
int TrayBitSets(LPCSTR printer, SnmpSession* session, void* output) {
  WORD* sets = HalfWords(output);
  const bool setMode = session->setMode == 1;
  // In set mode the second set is what the caller asks to write.
  sets[0] = 0;
  if (!setMode) sets[1] = 0;
  AgentScope agent(printer, session, false);
  if (agent.result() != SNMP_RESULT_OK) return agent.result();
  int result = SNMP_RESULT_OK;
  int counted = 0;
  for (int i = 1; i <= 8; ++i) {
    OwnedValue status;
    result = GetObject(session, Join("1.3.6.1.2.1.43.8.2.1.11.1.", i), status);
    if (result != SNMP_RESULT_OK) {
      if (result < SNMP_RESULT_AGENT_ERROR) return result;
      continue;
    }
    if (!status.IsInteger() || status.Number() >= 8) continue;
    const WORD bit = static_cast<WORD>(1u << counted++);
    OwnedValue enabled;
    result = GetObject(session, Join("1.3.6.1.4.1.4417.2.3.1.1.1.", i), enabled);
    if (result == SNMP_RESULT_OK && enabled.IsInteger() && enabled.Number() == 3) {
      sets[0] |= bit;
      const std::string second = Join("1.3.6.1.4.1.4417.2.3.1.1.2.", i);
      if (setMode) {
        result = SetInteger(session, second, (sets[1] & bit) ? 3 : 4);
      } else {
        OwnedValue value;
        result = GetObject(session, second, value);
        if (result == SNMP_RESULT_OK && value.IsInteger() && value.Number() == 3) sets[1] |= bit;
      }
    } else {
      sets[0] &= static_cast<WORD>(~bit);
      if (!setMode) sets[1] &= static_cast<WORD>(~bit);
    }
  }
  return IsNoSuchName(result) ? SNMP_RESULT_OK : result;
}

// A copy of a name with one sub-identifier (counted from the end) raised.
std::string RaisedColumn(const smiOID& name, int fromEnd, int raise) {
  std::string text;
  for (smiUINT32 i = 0; i < name.len; ++i) {
    smiUINT32 part = name.ptr[i];
    if (static_cast<int>(name.len - i) == fromEnd) part += static_cast<smiUINT32>(raise);
    if (i) text += '.';
    text += std::to_string(part);
  }
  return text;
}

int ReadOrSetWord(SnmpSession* session, const std::string& object, int32_t* word) {
  if (session->setMode == 1) return SetInteger(session, object, *word);
  OwnedValue value;
  const int result = GetObject(session, object, value);
  if (result == SNMP_RESULT_OK && value.IsInteger()) *word = value.Number();
  return result;
}

// The result of a finished GETNEXT walk: leaving the table is its normal end.
int WalkResult(int result) { return WalkEnded(result) ? SNMP_RESULT_OK : (result & ~SNMP_RESULT_OUTSIDE_SUBTREE); }

// 59: up to 8 rows of a private table and two neighbouring columns of each.
int PrivateWalk59(LPCSTR printer, SnmpSession* session, void* output) {
  int32_t* words = Words(output);
  WORD* head = HalfWords(output);
  AgentScope agent(printer, session, false);
  if (agent.result() != SNMP_RESULT_OK) return agent.result();
  OwnedOid base("1.3.6.1.4.1.4417.2.1.9.1.2");
  OwnedOid cursor(Join("1.3.6.1.4.1.4417.2.1.9.1.2.", head[1]).c_str());
  int result = SNMP_RESULT_OK;
  WORD rows = 0;
  for (int r = 0; r < 8; ++r) {
    OwnedValue value;
    result = SnmpGetNextRequest(&base.oid, &cursor.oid, &cursor.oid, &value.value, session);
    if (result != SNMP_RESULT_OK) break;
    words[1 + r] = value.IsInteger() ? value.Number() : 0;
    ++rows;
    result = ReadOrSetWord(session, RaisedColumn(cursor.oid, 3, 2), &words[9 + r]);
    if (result == SNMP_RESULT_OK) result = ReadOrSetWord(session, RaisedColumn(cursor.oid, 3, 3), &words[17 + r]);
    if (result != SNMP_RESULT_OK && !IsNoSuchName(result)) break;
  }
  head[0] = rows;
  return WalkResult(result);
}

// 61: up to 8 rows of another private table and one neighbouring column.
int PrivateWalk61(LPCSTR printer, SnmpSession* session, void* output) {
  int32_t* words = Words(output);
  if (session->setMode != 1) std::memset(output, 0, 64);
  AgentScope agent(printer, session, false);
  if (agent.result() != SNMP_RESULT_OK) return agent.result();
  OwnedOid base("1.3.6.1.4.1.4417.2.1.5.1.2");
  OwnedOid cursor("1.3.6.1.4.1.4417.2.1.5.1.2");
  int result = SNMP_RESULT_OK;
  for (int r = 0; r < 8; ++r) {
    OwnedValue value;
    result = SnmpGetNextRequest(&base.oid, &cursor.oid, &cursor.oid, &value.value, session);
    if (result != SNMP_RESULT_OK) break;
    if (value.IsInteger()) words[r] = value.Number();
    result = ReadOrSetWord(session, RaisedColumn(cursor.oid, 2, 2), &words[r + 8]);
    if (result != SNMP_RESULT_OK && !IsNoSuchName(result)) break;
  }
  return WalkResult(result);
}

// 71: one private value by the caller's index (word 0) into word 2.
int IndexedValue(LPCSTR printer, SnmpSession* session, const char* object, void* output) {
  int32_t* words = Words(output);
  return QueryWhole(printer, session, Join(object, words[0]), &words[2]);
}

// 79: trays with media and level, and finisher devices.
int TraysAndFinishers(LPCSTR printer, SnmpSession* session, void* output) {
  ConfigurationRecord* record = static_cast<ConfigurationRecord*>(output);
  record->version = CONFIG_RECORD_VERSION;
  std::memset(record->trays, 0, sizeof record->trays);
  AgentScope agent(printer, session, false);
  if (agent.result() != SNMP_RESULT_OK) return agent.result();
  return ReadTraysAndFinishers(session, record, true);
}

bool Under(const smiOID& name, const smiOID& prefix) {
  if (name.len < prefix.len) return false;
  return std::equal(prefix.ptr, prefix.ptr + prefix.len, name.ptr);
}

// 81: rows of the alert table, 60 bytes each; as many rows as the area holds.
int AlertRows(LPCSTR printer, SnmpSession* session, void* output, int size) {
  const int rows = size / 60;
  int32_t* words = Words(output);
  AgentScope agent(printer, session, false);
  if (agent.result() != SNMP_RESULT_OK) return agent.result();
  OwnedOid base("1.3.6.1.2.1.43.18");
  OwnedOid cursor("1.3.6.1.2.1.43.18");
  OwnedOid skipped("1.3.6.1.4.1.4417.2.1.1.0");
  for (int c = 0; c < 8; ++c) {
    for (int j = 0; j < rows; ++j) {
      OwnedOid name;
      OwnedValue value;
      const int result = SnmpGetNextRequest(&base.oid, &cursor.oid, &name.oid, &value.value, session);
      if (result == SNMP_RESULT_FAILED) continue;
      // Past the table (or a failed step) there is nothing more to store.
      if (result != SNMP_RESULT_OK || !name.oid.ptr) return SNMP_RESULT_OK;
      if (Under(name.oid, skipped.oid)) continue;
      FreeOid(&cursor.oid);
      cursor.oid = name.oid;
      name.oid = smiOID{};
      if (value.IsInteger()) {
        if (c <= 5) words[15 * j + c] = value.Number();
        if (c == 7) words[15 * j + 14] = value.Number();
      } else if (value.IsOctets()) {
        char* text = reinterpret_cast<char*>(&words[15 * j + 6]);
        std::memset(text, 0, 32);
        const std::string shown = value.Text();
        std::memcpy(text, shown.data(), platform::WholeCharacterPrefix(shown, 31));
      }
    }
  }
  return SNMP_RESULT_OK;
}

// 82: the number of alert table objects but the skipped column's.
int AlertCount(LPCSTR printer, SnmpSession* session, void* output) {
  int32_t* count = Words(output);
  *count = 0;
  AgentScope agent(printer, session, false);
  if (agent.result() != SNMP_RESULT_OK) return agent.result();
  OwnedOid base("1.3.6.1.2.1.43.18");
  OwnedOid cursor("1.3.6.1.2.1.43.18");
  OwnedOid notCounted("1.3.6.1.2.1.43.18.1.1.3");
  int result = SNMP_RESULT_OK;
  for (int step = 0; step < kMaxWalkSteps; ++step) {
    result = SnmpGetNextRequest(&base.oid, &cursor.oid, &cursor.oid, nullptr, session);
    if (result != SNMP_RESULT_OK) break;
    if (!Under(cursor.oid, notCounted.oid)) ++*count;
  }
  return WalkResult(result);
}

// 83: the finisher's supplies, or the private fallback object.
int FinisherSupply(LPCSTR printer, SnmpSession* session, void* output, int size) {
  WORD* fields = HalfWords(output);
  // Entries of three 16-bit fields; only those that fit the caller's area.
  const int entries = size / 6 < 3 ? size / 6 : 3;
  AgentScope agent(printer, session, false);
  if (agent.result() != SNMP_RESULT_OK) return agent.result();
  int result = SNMP_RESULT_OK;
  bool missing = fields[1] == static_cast<WORD>(-2);
  if (!missing) {
    int next = 0;
    for (int k = 1; k <= 3; ++k) {
      OwnedValue level;
      result = GetObject(session, Join("1.3.6.1.2.1.43.31.1.1.8.1.", k), level);
      if (result == SNMP_RESULT_OK && level.IsInteger()) {
        if (next < entries) {
          fields[3 * next + 1] = static_cast<WORD>(k);
          fields[3 * next + 2] = level.Number() == -3 ? 2 : 0;
          ++next;
        }
        continue;
      }
      if (next < entries) fields[3 * next + 1] = 0;
      if (k == 1 && IsNoSuchName(result)) {
        missing = true;
        break;
      }
    }
  }
  if (missing) {
    OwnedValue value;
    result = GetObject(session, "1.3.6.1.4.1.4417.2.5.5.0", value);
    if (result == SNMP_RESULT_OK) {
      fields[1] = 1;
      fields[2] = static_cast<WORD>(value.Number());
    }
  }
  return result;
}

int RunSpecial(const Item& item, LPCSTR printer, SnmpSession* session, void* output, int size) {
  switch (item.id) {
    case 4: return PanelText(printer, session, output);
    case 49: {
      int32_t scratch = 0;
      return QueryWhole(printer, session, item.object, &scratch);
    }
    case 58: return TrayBitSets(printer, session, output);
    case 59: return PrivateWalk59(printer, session, output);
    case 61: return PrivateWalk61(printer, session, output);
    case 62: {
      int32_t* word = Words(output);
      const unsigned index = static_cast<uint32_t>(*word) >> 16;
      *word = static_cast<int32_t>(static_cast<uint32_t>(*word) & 0xFFFFu);
      return QueryWhole(printer, session, Join(item.object, index), output);
    }
    case 71: return IndexedValue(printer, session, item.object, output);
    case 79: return TraysAndFinishers(printer, session, output);
    case 81: return AlertRows(printer, session, output, size);
    case 82: return AlertCount(printer, session, output);
    case 83: return FinisherSupply(printer, session, output, size);
    default: return SNMP_RESULT_FAILED;
  }
}

}  // namespace

int SnmpQueryA(int queryId, LPCSTR printerName, SnmpSession* session, void* output, int outputSize) {
  if (!output || outputSize < 1 || !session) return SNMP_RESULT_FAILED;
  session->current = nullptr;
  const Item* item = FindItem(queryId);
  if (!item || outputSize < item->minimum) return SNMP_RESULT_FAILED;
  switch (item->kind) {
    case Kind::Integer: return QueryWhole(printerName, session, item->object, output);
    case Kind::Text: return QueryOctets(printerName, NO_LOGICAL_PRINTER, session, item->object, output, outputSize);
    case Kind::SupplyLevel:
      return QueryWhole(printerName, session, Join(item->object, SupplyRow(printerName, session, item->parameter)),
                        output);
    case Kind::PrivateRow:
      return QueryWhole(printerName, session, Join(item->object, PrivateRow(printerName, session, item->parameter)),
                        output);
    case Kind::NoObject: return SNMP_RESULT_OK;
    case Kind::Special: return RunSpecial(*item, printerName, session, output, outputSize);
  }
  return SNMP_RESULT_FAILED;
}
