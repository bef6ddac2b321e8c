// The job data the user-interface library hands to the graphics library at the
// start of a document: the inserted-sheet rows (escape 62, n rows back to back)
// and the slip-sheet block (escape 65). Both cross libraries, so their bytes are
// fixed; the header needs nothing but the platform's types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "platform/base/types.h"

// One inserted sheet of a job's set.
struct PageTicketRow {
  int32_t pageNumber;  // the page after which the row applies
  int32_t value2;      // carried for the page store
  int32_t value3;
  int32_t value4;
  int32_t imageFlag;  // the inserted sheet carries an image
  int32_t tabFlag;    // the inserted sheet is a tab sheet
  char tabText[32];   // NUL-terminated; only when tabFlag is non-zero
};
static_assert(sizeof(PageTicketRow) == 56);
static_assert(offsetof(PageTicketRow, imageFlag) == 16);
static_assert(offsetof(PageTicketRow, tabFlag) == 20);
static_assert(offsetof(PageTicketRow, tabText) == 24);

constexpr int kSlipSheetEntries = 3;
constexpr int kSlipSheetMaxInserts = 58;
constexpr size_t kSlipSheetCommandSize = 250;

struct SlipSheetEntry {
  int32_t insertCount;                    // "InsertNbr": how many of inserts are in use
  int32_t pairFirst;                      // "IndexPair": first number
  int32_t pairSecond;                     //              second number
  int32_t inserts[kSlipSheetMaxInserts];  // "Inserts"
};
static_assert(sizeof(SlipSheetEntry) == 244);

struct SlipSheetTable {
  SlipSheetEntry entries[kSlipSheetEntries];
  char commandString[kSlipSheetCommandSize];  // "CmdString": appended to the job-name line
  BYTE reserved982[2];
  int32_t entryCount;  // "CmdNbr": entries in use, 0 to 3
  int32_t type;        // "Type"
};
static_assert(sizeof(SlipSheetTable) == 992);
static_assert(offsetof(SlipSheetTable, entries) == 0);
static_assert(offsetof(SlipSheetTable, commandString) == 732);
static_assert(offsetof(SlipSheetTable, entryCount) == 984);
static_assert(offsetof(SlipSheetTable, type) == 988);
static_assert(std::is_trivially_copyable_v<SlipSheetTable> && std::is_trivially_copyable_v<PageTicketRow>);
