// Parsers of the finisher records: staplers, staple positions, fold, punch and
// trim units.
#include "model/parser_support.h"
#include "model/value_parsers.h"

using modeltext::FlatFields;
using modeltext::GroupedFields;
using modeltext::ReadInt;

namespace {

// Fold, punch and trim units: a, b and a name, separated by ";" or ",".
template <size_t NameSize>
int ParseFinisherRecord(FinisherEntry<NameSize>* row, const char* key, const char* value) {
  if (!row) return 0;
  FinisherEntry<NameSize> built{};
  bool ok = value != nullptr && modelparse::KeyWordId(key, built.id);
  if (ok) {
    FlatFields fields(value);
    ok = fields.Has(0) && fields.Has(1) && fields.Has(2);
    built.a = static_cast<WORD>(ReadInt(fields.Field(0)));
    built.b = static_cast<WORD>(ReadInt(fields.Field(1)));
    modeltext::CopyName(built.name, fields.Field(2));
  }
  return modelparse::Finish(row, built, ok);
}

}  // namespace

int ParseStaplerRecord(StaplerEntry* row, const char* key, const char* value) {
  if (!row) return 0;
  StaplerEntry built{};
  bool ok = value != nullptr && modelparse::KeyWordId(key, built.id);
  if (ok) {
    FlatFields fields(value);
    ok = fields.Has(0) && fields.Has(1);
    built.a = static_cast<WORD>(ReadInt(fields.Field(0)));
    built.b = static_cast<WORD>(ReadInt(fields.Field(1)));
  }
  return modelparse::Finish(row, built, ok);
}

int ParseFoldRecord(FoldEntry* row, const char* key, const char* value) { return ParseFinisherRecord(row, key, value); }

int ParsePunchRecord(PunchEntry* row, const char* key, const char* value) {
  return ParseFinisherRecord(row, key, value);
}

int ParseTrimRecord(TrimEntry* row, const char* key, const char* value) { return ParseFinisherRecord(row, key, value); }

int ParseStapleLocationRecord(StapleLocationEntry* row, const char* key, const char* value) {
  (void)key;
  if (!row) return 0;
  StapleLocationEntry built{};
  bool ok = value != nullptr;
  if (ok) {
    GroupedFields fields(value);
    ok = fields.Has(0, 0) && fields.Has(0, 1) && fields.Has(0, 2) && fields.Has(1, 0) && fields.Has(2, 0);
    built.a = static_cast<WORD>(ReadInt(fields.Field(0, 0)));
    built.b = static_cast<WORD>(ReadInt(fields.Field(0, 1)));
    built.c = static_cast<WORD>(ReadInt(fields.Field(0, 2)));
    built.d = static_cast<WORD>(ReadInt(fields.Field(1, 0)));
    built.e = static_cast<WORD>(ReadInt(fields.Field(2, 0)));
  }
  return modelparse::Finish(row, built, ok);
}
