// Parsers of the paper and user-defined-size records.
#include "model/parser_support.h"
#include "model/value_parsers.h"

using modeltext::FlatFields;
using modeltext::GroupedFields;
using modeltext::ReadInt;

namespace {

// A margin group lists the margins in the order first, fourth, third, second.
constexpr int kMarginTextOrder[4] = {1, 4, 3, 2};

int32_t PaperGeometry::*MarginField(int number) {
  switch (number) {
    case 1: return &PaperGeometry::margin1;
    case 2: return &PaperGeometry::margin2;
    case 3: return &PaperGeometry::margin3;
    default: return &PaperGeometry::margin4;
  }
}

// Fills the margins of a block from a margin group; a margin not given takes the
// fallback block's.
void ReadMargins(const GroupedFields& fields, size_t group, PaperGeometry& block, const PaperGeometry& fallback) {
  for (size_t i = 0; i < 4; ++i) {
    int32_t PaperGeometry::*margin = MarginField(kMarginTextOrder[i]);
    block.*margin = modelparse::IntOr(fields, group, i, fallback.*margin);
  }
}

// The device mode carries a paper's sides in tenths of a millimetre in 16 signed
// bits; a side (in thousandths of an inch) beyond that cannot be a paper.
constexpr int32_t kLargestPaperSide = (32767 * 1000 + 999) / 254;

bool PaperSideFits(int32_t side) { return side >= 0 && side <= kLargestPaperSide; }

}  // namespace

int ParsePaperRecord(PaperEntry* row, const char* key, const char* value) {
  if (!row) return 0;
  PaperEntry built{};
  bool ok = value != nullptr;
  if (ok) {
    GroupedFields fields(value);
    std::string_view name = modeltext::TrimRight(fields.Field(0, 0));
    ok = !modeltext::IsBlank(name) && fields.Has(1, 0) && fields.Has(1, 1);
    modeltext::CopyName(built.name, name);

    const int32_t width = ReadInt(fields.Field(1, 0));
    const int32_t height = ReadInt(fields.Field(1, 1));
    ok = ok && PaperSideFits(width) && PaperSideFits(height);
    const PaperGeometry zero{};
    ReadMargins(fields, 2, built.geometry[0], zero);
    ReadMargins(fields, 3, built.geometry[1], built.geometry[0]);
    ReadMargins(fields, 4, built.geometry[2], built.geometry[0]);
    for (PaperGeometry& block : built.geometry) {
      block.width = width;
      block.height = height;
    }

    built.attr1 = static_cast<WORD>(modelparse::IntOr(fields, 5, 0, 0xFFFF));
    built.attr2 = static_cast<BYTE>(modelparse::IntOr(fields, 5, 1, 255));
    built.attr3 = static_cast<WORD>(modelparse::IntOr(fields, 5, 2, 0xFFFF));
    built.attr4 = static_cast<BYTE>(modelparse::IntOr(fields, 5, 3, 255));
    built.pclSizeCode = static_cast<WORD>(modelparse::IntOr(fields, 6, 0, 0));
    built.attr6 = static_cast<WORD>(modelparse::IntOr(fields, 7, 0, 0));
    // The description gives the user-size mark as a positive number; it stays
    // negative until a user size has been stored into the row.
    built.userSizeMark = static_cast<int16_t>(-static_cast<int64_t>(modelparse::IntOr(fields, 8, 0, 0)));
    built.attr7 = static_cast<WORD>(modelparse::IntOr(fields, 9, 0, 0xFFFE));
    built.attr8 = modelparse::IntOr(fields, 9, 1, -2);
    built.attr9 = static_cast<WORD>(modelparse::IntOr(fields, 10, 0, 0xFFFF));

    int32_t id = 0;
    if (fields.Has(11, 0)) {
      id = ReadInt(fields.Field(11, 0));
    } else if (key) {
      id = ReadInt(key);
    }
    ok = ok && id >= 1 && id <= 0xFFFF;
    built.id = static_cast<WORD>(id);

    built.feedDirection = static_cast<BYTE>(modelparse::IntOr(fields, 12, 0, 0));
    modeltext::CopyName(built.shortName, fields.Field(13, 0));
  }
  return modelparse::Finish(row, built, ok);
}

int ParseVariableSizeRecord(VariableSizeRecord* row, const char* key, const char* value) {
  (void)key;
  if (!row) return 0;
  VariableSizeRecord built{};
  bool ok = value != nullptr;
  if (ok) {
    FlatFields fields(value);
    for (size_t i = 0; i < 13; ++i) ok = ok && fields.Has(i);
    int32_t id = ReadInt(fields.Field(0));
    ok = ok && id >= 1 && id <= 0xFFFF;
    built.paperId = static_cast<WORD>(id);
    PaperGeometry& first = built.geometry[0];
    PaperGeometry& second = built.geometry[1];
    first.width = ReadInt(fields.Field(1));
    first.height = ReadInt(fields.Field(2));
    built.u1 = static_cast<WORD>(ReadInt(fields.Field(3)));
    built.u2 = static_cast<WORD>(ReadInt(fields.Field(4)));
    for (size_t i = 0; i < 4; ++i) {
      int32_t PaperGeometry::*margin = MarginField(kMarginTextOrder[i]);
      first.*margin = ReadInt(fields.Field(5 + i));
      second.*margin = ReadInt(fields.Field(9 + i));
    }
    second.width = first.width;
    second.height = first.height;
  }
  return modelparse::Finish(row, built, ok);
}
