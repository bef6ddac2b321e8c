// Parsers of the memory, constraint and installable-option records.
#include "model/parser_support.h"
#include "model/value_parsers.h"

using modeltext::GroupedFields;
using modeltext::ReadInt;

int ParseMemoryRecord(MemoryRow* row, const char* key, const char* value) {
  (void)key;
  if (!row) return 0;
  MemoryRow built{};
  bool ok = value != nullptr;
  if (ok) {
    GroupedFields fields(value);
    ok = fields.Has(0, 0) && fields.Has(0, 1) && fields.Has(0, 2);
    built.megabytes = ReadInt(fields.Field(0, 0));
    built.second = ReadInt(fields.Field(0, 1));
    built.third = ReadInt(fields.Field(0, 2));
  }
  return modelparse::Finish(row, built, ok);
}

int ParseConstraintRecord(ConstraintRow* row, const char* key, const char* value) {
  (void)key;
  if (!row) return 0;
  ConstraintRow built{};
  bool ok = value != nullptr;
  if (ok) {
    GroupedFields fields(value);
    ok = fields.Has(0, 0) && fields.Has(0, 1) && fields.Has(1, 0) && fields.Has(1, 1) && fields.Has(2, 0);
    built.option = ReadInt(fields.Field(0, 0));
    built.value = ReadInt(fields.Field(0, 1));
    built.feature = ReadInt(fields.Field(1, 0));
    built.choice = ReadInt(fields.Field(1, 1));
    built.flags = ReadInt(fields.Field(2, 0));
    // A row whose option is 0 marks the end of the table.
    ok = ok && built.option != 0;
  }
  return modelparse::Finish(row, built, ok);
}

int ParseInstallableOptionRecord(InstallableOption* row, const char* key, const char* value) {
  if (!row) return 0;
  InstallableOption built{};
  bool ok = value != nullptr && modelparse::KeyNumber(key, kFirstOptionId, kLastOptionId, built.id);
  if (ok) {
    GroupedFields fields(value);
    ok = fields.Has(0, 0) && fields.Has(0, 1) && fields.Has(0, 2);
    built.kind = ReadInt(fields.Field(0, 0));
    modeltext::CopyName(built.name, fields.Field(0, 1));
    built.value = ReadInt(fields.Field(0, 2));
    built.extra = modelparse::IntOr(fields, 0, 3, 0);
  }
  return modelparse::Finish(row, built, ok);
}
