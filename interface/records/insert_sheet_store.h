// Inserted-sheet sets in the user's settings: one section per set (its name, at
// most 30 bytes), key "General" = the set's header
// "number,name,short name,long,n1,n2,n3,n4,n5", and one key per row, beginning with
// a digit, = "page,v2,v3,v4,image,tab" followed, for a tab row, by ",tab text;".
#pragma once

#include "common/job_sheet_blocks.h"
#include "platform/base/types.h"

constexpr int kInsertSheetSetMaxRows = 100;
constexpr size_t kInsertSheetSetNameSize = 31;

struct InsertSheetHeader {
  int32_t number;
  char name[32];
  char shortName[16];
  int32_t value;  // the header's long
  int32_t values[5];
};

struct InsertSheetSet {
  char name[kInsertSheetSetNameSize];
  InsertSheetHeader header;
  int32_t rowCount;
  PageTicketRow* rows;  // the caller's buffer of kInsertSheetSetMaxRows rows, or null
};

// Copies the name into the set, reads its header (zero when it does not parse)
// and reads its rows, in the order of their numbers, into the set's buffer (at
// most kInsertSheetSetMaxRows; none without a buffer). Answers the number of rows
// read, also left in rowCount; 0 for a null set or name, or a name too long to be
// a set's (the set is then left with no name and no rows).
int LoadInsertSheetSet(HANDLE printer, InsertSheetSet* set, const char* setName);

// With rows, copies at most capacity of the section's rows that parse, in the
// order of their numbers, and answers how many; without, answers how many parse.
int ReadInsertSheetRows(HANDLE printer, PageTicketRow* rows, int capacity, const char* section);

// One row: the key begins with a digit; six numbers are required, the sixth ended
// by ",", ";" or the end; when the sixth (the tab flag) is non-zero the text after
// its comma up to ";" becomes the tab text (cut to 31 bytes), else the text stays
// empty whatever follows. Answers 1, or 0 with the row zeroed.
int ParseInsertSheetRow(PageTicketRow* row, const char* key, const char* value);

// The header: the key must not begin with a digit; nine fields, all required, the
// numbers decimal, the names cut to 31 and 15 bytes. Answers 1, or 0 with the
// header zeroed.
int ParseInsertSheetHeader(InsertSheetHeader* header, const char* key, const char* value);
