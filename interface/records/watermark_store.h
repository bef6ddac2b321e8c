// The user's watermarks in the settings store: per-user section "Watermarks",
// shared by every printer of the user. Each watermark is one value whose name is
// the hexadecimal form of its text and whose data is
// "face,size,style name,angle,colour,weight,style bits,x offset,y offset,outline".
#pragma once

#include <string>

#include "common/watermark_record.h"
#include "platform/base/types.h"

constexpr const char* kWatermarksSection = "Watermarks";

// Fills the record from a stored value: the record is zeroed, its text taken from
// valueName (the plain text, at most 63 bytes of whole characters), then face (31),
// size, style name (31), angle, colour, weight, style bits, x and y offsets, all
// required and numbers where numbers belong, and the outline flag, optional (0).
// Answers 1; 0 for a null argument or a refused value (the record stays zero).
int ParseWatermarkRecord(WatermarkRecord* record, const char* valueName, const char* value);

// The stored value of a record (without its name).
std::string FormatWatermarkValue(const WatermarkRecord& record);

// With records, fills at most capacity of them with the watermarks that parse, in
// the store's order, each text decoded from its value name, and answers how many
// were filled. Without records, answers how many parse. 0 when the section is
// missing or capacity is negative.
int LoadWatermarks(HANDLE printer, WatermarkRecord* records, int capacity);

// Makes the stored watermarks those of the records: every record is written
// first, and only when all were written are the values of watermarks no longer
// listed deleted, so a failed write never costs the user a stored watermark.
// Answers 1 when every record was written and every stale value deleted; 0
// otherwise, and for a record without text (or with a text that lacks its NUL)
// or whose face or style name holds a comma (its value would not read back), or
// null records with a count.
int SaveWatermarks(HANDLE printer, const WatermarkRecord* records, int count);

// The stored watermark of that text; 1, or 0 (record zeroed) when there is none
// that parses.
int LoadWatermarkByName(HANDLE printer, const char* text, WatermarkRecord* record);

// The user's default watermarks, the library's strings 144, 145 and 146 in grey
// at 45 degrees. The section is shared by all printers, so a watermark of that
// name that the user already has (from another printer, perhaps changed) is kept.
// Answers 1 when all three exist afterwards, else 0.
int CreateDefaultWatermarks(HANDLE printer);
