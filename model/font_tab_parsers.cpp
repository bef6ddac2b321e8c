// Parsers of the resident-font, tab-stock and hidden-control records.
#include <string>

#include "common/pdl_kind.h"
#include "model/dialog_name_table.h"
#include "model/parser_support.h"
#include "model/value_parsers.h"

using modeltext::FlatFields;
using modeltext::GroupedFields;
using modeltext::ReadInt;

WORD FontPdlFromCode(int code) {
  switch (code) {
    case 1: return kPdlPostScriptMask;
    case 2: return kPdlPclFamilyMask;
    case 3: return kPdlPcl5si;
    default: return 0;
  }
}

int ParseFontRecord(ModelFontRow* row, const char* key, const char* value) {
  if (!row) return 0;
  ModelFontRow built{};
  bool ok = value != nullptr && key != nullptr;
  if (ok) {
    built.fontId = ReadInt(key);
    GroupedFields fields(value);
    for (size_t i = 0; i < 5; ++i) ok = ok && fields.Has(0, i);
    modeltext::CopyName(built.faceName, fields.Field(0, 0));
    modeltext::CopyName(built.secondName, fields.Field(0, 1));
    modeltext::CopyName(built.shortName, fields.Field(0, 3));
    built.pdl = FontPdlFromCode(ReadInt(fields.Field(0, 4)));
  }
  return modelparse::Finish(row, built, ok);
}

int ParseTabInfoRecord(TabInfoEntry* row, const char* key, const char* value) {
  if (!row) return 0;
  TabInfoEntry built{};
  bool ok = value != nullptr && key != nullptr;
  if (ok) {
    built.id = ReadInt(key);
    FlatFields fields(value);
    for (size_t i = 0; i < 7; ++i) ok = ok && fields.Has(i);
    modeltext::CopyName(built.name, fields.Field(0));
    built.l1 = ReadInt(fields.Field(1));
    built.l2 = ReadInt(fields.Field(2));
    built.l3 = ReadInt(fields.Field(3));
    built.i1 = ReadInt(fields.Field(4));
    built.i2 = ReadInt(fields.Field(5));
    built.i3 = ReadInt(fields.Field(6));
  }
  return modelparse::Finish(row, built, ok);
}

int ParseHiddenControlRecord(HiddenControlRow* row, const char* key, const char* value, DialogIdLookup lookup) {
  if (!row) return 0;
  if (!lookup) lookup = HiddenControlDialogId;
  HiddenControlRow built{};
  bool ok = value != nullptr && modelparse::KeyNumber(key, 1, INT32_MAX, built.controlId);
  if (ok) {
    FlatFields fields(value);
    ok = fields.Has(0) && fields.Has(1);
    // The lookup takes a terminated name; copy each field on its own.
    std::string first(modeltext::TrimLeft(fields.Field(0)));
    std::string second(modeltext::TrimLeft(fields.Field(1)));
    built.dialogId1 = ok ? lookup(first.c_str()) : 0;
    built.dialogId2 = ok ? lookup(second.c_str()) : 0;
    ok = ok && built.dialogId1 != 0 && built.dialogId2 != 0;
  }
  return modelparse::Finish(row, built, ok);
}
