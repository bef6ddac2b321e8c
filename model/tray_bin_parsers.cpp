// Parsers of the paper-source, output-bin, media-type and resolution records.
#include "model/parser_support.h"
#include "model/value_parsers.h"

using modelparse::IntOr;
using modeltext::GroupedFields;
using modeltext::ReadInt;

int ParsePaperSourceRecord(PaperSourceEntry* row, const char* key, const char* value) {
  if (!row) return 0;
  PaperSourceEntry built{};
  bool ok = value != nullptr && modelparse::KeyWordId(key, built.id);
  if (ok) {
    GroupedFields fields(value);
    ok = fields.Has(0, 0) && fields.Has(1, 0) && fields.Has(1, 1);
    modeltext::CopyName(built.name, fields.Field(0, 0));
    built.d1 = static_cast<WORD>(IntOr(fields, 0, 1, -1));
    built.d2 = static_cast<WORD>(IntOr(fields, 0, 2, -1));
    built.s1 = static_cast<WORD>(ReadInt(fields.Field(1, 0)));
    built.s2 = static_cast<WORD>(ReadInt(fields.Field(1, 1)));
    built.s3 = static_cast<WORD>(IntOr(fields, 1, 2, 0));
    built.s4 = static_cast<WORD>(IntOr(fields, 2, 0, -1));
    modeltext::CopyName(built.text, fields.Field(3, 0));
    built.s5 = IntOr(fields, 4, 0, 1);
    built.s6 = static_cast<WORD>(IntOr(fields, 5, 0, 0xFFFE));
    built.d3 = 0;
    built.d4 = 0xFFFF;
  }
  return modelparse::Finish(row, built, ok);
}

int ParsePaperDestinationRecord(OutputBinEntry* row, const char* key, const char* value) {
  if (!row) return 0;
  OutputBinEntry built{};
  bool ok = value != nullptr && modelparse::KeyWordId(key, built.id);
  if (ok) {
    GroupedFields fields(value);
    ok = fields.Has(0, 0) && fields.Has(1, 0) && fields.Has(2, 0) && fields.Has(2, 1) && fields.Has(2, 2) &&
         fields.Has(3, 0);
    modeltext::CopyName(built.name, fields.Field(0, 0));
    built.b1 = static_cast<WORD>(ReadInt(fields.Field(1, 0)));
    const int32_t f1 = ReadInt(fields.Field(2, 0));
    const int32_t f2 = ReadInt(fields.Field(2, 1));
    const int32_t f3 = ReadInt(fields.Field(2, 2));
    const int32_t f4 = IntOr(fields, 2, 3, 0);
    const int32_t f5 = IntOr(fields, 2, 4, 0);
    if (f1 != 0) built.flags |= kFeatureJobOffset;
    if (f2 != 0) built.flags |= kFeatureStapling;
    if (f3 & 1) built.flags |= kFeatureFaceUpLow;
    if (f3 & 2) built.flags |= kFeatureFaceUpHigh;
    if (f4 != 0) built.flags |= kFeatureFolding;
    if (f5 != 0) built.flags |= kFeaturePunching;
    built.b2 = static_cast<WORD>(ReadInt(fields.Field(3, 0)));
    built.b3 = static_cast<WORD>(IntOr(fields, 3, 1, -1));
    built.b4 = static_cast<WORD>(IntOr(fields, 3, 2, -1));
    modeltext::CopyName(built.text, fields.Field(4, 0));
  }
  return modelparse::Finish(row, built, ok);
}

int ParseMediaTypeRecord(MediaTypeEntry* row, const char* key, const char* value) {
  if (!row) return 0;
  MediaTypeEntry built{};
  bool ok = value != nullptr && modelparse::KeyWordId(key, built.id);
  if (ok) {
    GroupedFields fields(value);
    ok = fields.Has(0, 0);
    modeltext::CopyName(built.name, fields.Field(0, 0));
    built.m1 = fields.Has(1, 0) ? modeltext::ReadUnsigned(fields.Field(1, 0)) : 0xFFFFFFFEu;
    built.m2 = IntOr(fields, 1, 1, -2);
    built.m3 = IntOr(fields, 2, 0, 0xFFFF);
    modeltext::CopyName(built.displayName, fields.Has(3, 0) ? fields.Field(3, 0) : fields.Field(0, 0));
    modeltext::CopyName(built.extra, fields.Field(4, 0));
  }
  return modelparse::Finish(row, built, ok);
}

int ParseResolutionRecord(ResolutionEntry* row, const char* key, const char* value) {
  if (!row) return 0;
  ResolutionEntry built{};
  bool ok = value != nullptr && modelparse::KeyWordId(key, built.id);
  if (ok) {
    const WORD dpi = static_cast<WORD>(ReadInt(value));
    ok = dpi != 0;
    built.xDpi = dpi;
    built.yDpi = dpi;
  }
  return modelparse::Finish(row, built, ok);
}
