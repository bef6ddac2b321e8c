#include "graphics/output/fonts/device_font_metrics.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "graphics/output/fonts/device_family_names.h"
#include "graphics/output/fonts/device_fonts.h"
#include "platform/base/arith.h"
#include "platform/gdi/eng_services.h"

namespace {

using fontrecord::MetricsBlock;
namespace field = fontrecord::offset;

constexpr size_t kSimulationHeaderBytes = sizeof(FONTSIM);
constexpr size_t kSimulationDiffBytes = sizeof(FONTDIFF);
constexpr size_t kSmallSimulationRoom = 72;
constexpr size_t kLargeSimulationRoom = 104;
constexpr USHORT kNormalWeight = 400;
constexpr USHORT kBoldWeight = 700;
constexpr BYTE kBoldPanoseWeight = 8;

constexpr FLONG kScalableInfo = FM_INFO_RIGHT_HANDED | FM_INFO_NOT_CONTIGUOUS | FM_INFO_1BPP | FM_INFO_ARB_XFORMS |
                                FM_INFO_TECH_OUTLINE_NOT_TRUETYPE;
constexpr FLONG kBitmapInfo = FM_INFO_RIGHT_HANDED | FM_INFO_1BPP | FM_INFO_TECH_BITMAP;
static_assert(kScalableInfo == 0x82038 && kBitmapInfo == 0x80022);

bool Scalable(const MetricsBlock& record) { return record.U8(field::kFlags) & kDeviceFontFlagScalable; }
bool FixedPitch(const MetricsBlock& record) { return record.U8(field::kFlags) & kDeviceFontFlagFixedPitch; }

// A size of the record in the block's units: bitmap records are given at half
// the size the printer uses.
LONG Sized(const MetricsBlock& record, LONG value) { return Scalable(record) ? value : 2 * value; }

BYTE WinCharSet(BYTE charsetCode) {
  if (charsetCode == fontrecord::kCharSetSymbol) return SYMBOL_CHARSET;
  if (charsetCode >= fontrecord::kCharSetShiftJisFirst && charsetCode <= fontrecord::kCharSetShiftJisLast)
    return SHIFTJIS_CHARSET;
  if (charsetCode == fontrecord::kCharSetGb2312) return GB2312_CHARSET;
  return ANSI_CHARSET;
}

bool FarEastCharSet(BYTE winCharSet) {
  return winCharSet == SHIFTJIS_CHARSET || winCharSet == HANGUL_CHARSET || winCharSet == JOHAB_CHARSET ||
         winCharSet == GB2312_CHARSET || winCharSet == CHINESEBIG5_CHARSET;
}

USHORT WinWeight(const MetricsBlock& record) {
  const USHORT weight = record.U16(field::kWeight);
  return weight >= 1 && weight <= 1000 ? weight : kNormalWeight;
}

bool Italic(const MetricsBlock& record) { return record.I16(field::kItalic) != 0; }

// The simulations GDI may apply to the font.
struct Simulations {
  bool bold = false;
  bool italic = false;
  size_t Bytes() const {
    if (!bold && !italic) return 0;
    const size_t diffs = (bold ? 1 : 0) + (italic ? 1 : 0) + (bold && italic ? 1 : 0);
    return kSimulationHeaderBytes + diffs * kSimulationDiffBytes;
  }
};

Simulations OfferedSimulations(const MetricsBlock& record) {
  const BYTE charset = WinCharSet(record.U8(field::kCharSetClass));
  Simulations offered;
  if (FarEastCharSet(charset)) {
    offered.bold = offered.italic = true;
  } else {
    offered.bold = WinWeight(record) <= kNormalWeight;
    offered.italic = !Italic(record);
  }
  return offered;
}

// Room kept for the simulations: every Far East font and a font that is
// neither or both of bold and italic need at most three differences.
size_t SimulationRoom(const MetricsBlock& record) {
  const BYTE code = record.U8(field::kCharSetClass);
  const bool farEastCode = code >= fontrecord::kCharSetShiftJisFirst && code <= fontrecord::kCharSetGb2312;
  const bool italic = Italic(record);
  const bool bold = WinWeight(record) > kNormalWeight;
  return farEastCode || italic == bold ? kSmallSimulationRoom : kLargeSimulationRoom;
}

constexpr size_t AlignUp4(size_t value) { return (value + 3) & ~size_t{3}; }

// The face name as it is used for names: the record's, cut to its field.
std::string FaceName(const MetricsBlock& record) { return record.FaceName(); }

// The mean width of the characters first to last, rounded; 0 when the record
// gives no character range.
LONG MeanWidth(const MetricsBlock& record) {
  const int first = record.U8(field::kFirstChar);
  const int last = record.U8(field::kLastChar);
  if (last < first) return 0;
  const LONG count = last - first + 1;
  LONG sum = 0;
  for (int c = first; c <= last; ++c) sum += record.Width(static_cast<uint8_t>(c));
  return (sum + count / 2) / count;
}

WCHAR AnsiToWide(BYTE byte, bool* converted) {
  WCHAR wide = 0;
  ULONG bytes = 0;
  char source = static_cast<char>(byte);
  EngMultiByteToUnicodeN(&wide, sizeof wide, &bytes, &source, 1);
  *converted = bytes == sizeof wide;
  return wide;
}

void FillDifference(FONTDIFF* diff, const IFIMETRICS& ifi, bool bold, bool italic) {
  std::memset(diff, 0, sizeof *diff);
  diff->bWeight = ifi.panose.bWeight;
  diff->usWinWeight = ifi.usWinWeight;
  diff->fsSelection = ifi.fsSelection;
  diff->fwdAveCharWidth = ifi.fwdAveCharWidth;
  diff->fwdMaxCharInc = ifi.fwdMaxCharInc;
  diff->ptlCaret = ifi.ptlCaret;
  if (bold) {
    diff->bWeight = kBoldPanoseWeight;
    diff->fsSelection |= FM_SEL_BOLD;
    diff->usWinWeight = kBoldWeight;
    diff->fwdAveCharWidth = static_cast<FWORD>(diff->fwdAveCharWidth + 1);
    diff->fwdMaxCharInc = static_cast<FWORD>(diff->fwdMaxCharInc + 1);
  }
  if (italic) {
    diff->fsSelection |= FM_SEL_ITALIC;
    diff->ptlCaret = POINTL{1, 3};
  }
}

// Writes the simulation block at `at` (from the block's start); answers its size.
size_t WriteSimulations(BYTE* block, size_t at, const Simulations& offered, const IFIMETRICS& ifi) {
  if (!offered.bold && !offered.italic) return 0;
  FONTSIM sim{};
  size_t next = kSimulationHeaderBytes;
  auto place = [&](bool bold, bool italic) -> PTRDIFF {
    FONTDIFF diff;
    FillDifference(&diff, ifi, bold, italic);
    std::memcpy(block + at + next, &diff, sizeof diff);
    const PTRDIFF offset = static_cast<PTRDIFF>(next);
    next += kSimulationDiffBytes;
    return offset;
  };
  if (offered.bold) sim.dpBold = place(true, false);
  if (offered.italic) sim.dpItalic = place(false, true);
  if (offered.bold && offered.italic) sim.dpBoldItalic = place(true, true);
  std::memcpy(block + at, &sim, sizeof sim);
  return next;
}

template <typename T>
void Put(BYTE* block, size_t at, T value) {
  std::memcpy(block + at, &value, sizeof value);
}

IFIMETRICS* Allocate(const MetricsBlock& record, int resolution) {
  const size_t size = BuildDeviceFontMetrics(nullptr, record, resolution);
  auto* block = static_cast<IFIMETRICS*>(std::calloc(1, size));
  if (!block) return nullptr;
  BuildDeviceFontMetrics(block, record, resolution);
  return block;
}

}  // namespace

USHORT GetFontSelection(const MetricsBlock& record) {
  USHORT selection = 0;
  if (Italic(record)) selection |= FM_SEL_ITALIC;
  if (WinWeight(record) > kNormalWeight) selection |= FM_SEL_BOLD;
  return selection;
}

void SetUnicodeRange(IFIMETRICS* block) {
  if (!block) return;
  WCHAR lowest = 0xFFFE, highest = 0;
  for (int byte = 0; byte < 256; ++byte) {
    bool converted = false;
    const WCHAR wide = AnsiToWide(static_cast<BYTE>(byte), &converted);
    if (!converted) continue;  // a lead byte alone is no character
    if (wide < lowest) lowest = wide;
    if (wide > highest) highest = wide;
  }
  block->wcFirstChar = lowest;
  block->wcLastChar = highest;
}

size_t BuildDeviceFontMetrics(IFIMETRICS* out, const MetricsBlock& record, int resolution) {
  const std::string face = FaceName(record);
  const size_t nameBytes = WriteFamilyNames(nullptr, face.c_str());
  const size_t simulationAt = kDeviceFontNamesOffset + AlignUp4(nameBytes);
  if (!out) return simulationAt + SimulationRoom(record);

  BYTE* block = reinterpret_cast<BYTE*>(out);
  IFIMETRICS& ifi = *out;
  std::memset(&ifi, 0, sizeof ifi);
  const bool scalable = Scalable(record);
  const bool fixed = FixedPitch(record);
  const BYTE charsetCode = record.U8(field::kCharSetClass);
  const bool familyList = HasFamilyList(face.c_str());

  ifi.dpwszFamilyName = ifi.dpwszFaceName = static_cast<PTRDIFF>(kDeviceFontNamesOffset);
  // The last character of the name area is a zero: an empty style and unique name.
  ifi.dpwszStyleName = ifi.dpwszUniqueName = static_cast<PTRDIFF>(kDeviceFontNamesOffset + nameBytes - 2);
  ifi.lItalicAngle = record.I16(field::kItalic);
  ifi.jWinCharSet = WinCharSet(charsetCode);
  ifi.jWinPitchAndFamily =
      static_cast<BYTE>((record.U8(field::kPitchAndFamily) & 0xF0) | (fixed ? FIXED_PITCH : VARIABLE_PITCH));
  ifi.usWinWeight = WinWeight(record);

  FLONG info = scalable ? kScalableInfo : kBitmapInfo;
  if (fixed) info |= FM_INFO_CONSTANT_WIDTH | FM_INFO_OPTICALLY_FIXED_PITCH;
  if (FarEastCharSet(ifi.jWinCharSet)) {
    info &= ~static_cast<FLONG>(FM_INFO_CONSTANT_WIDTH);
    info |= FM_INFO_DBCS_FIXED_PITCH | FM_INFO_OPTICALLY_FIXED_PITCH;
  }
  if (familyList) info |= FM_INFO_FAMILY_EQUIV;
  ifi.flInfo = info;
  ifi.fsSelection = GetFontSelection(record);
  ifi.fsType = 2;

  auto s = [&](LONG value) { return static_cast<FWORD>(Sized(record, value)); };
  const LONG em = record.U16(field::kHeight);
  const LONG ascender = record.I16(field::kAscent);
  const LONG descender = record.U16(field::kDescent);
  ifi.fwdUnitsPerEm = s(em);
  ifi.fwdLowestPPEm = static_cast<FWORD>(MulDiv(1, resolution, 72));
  ifi.fwdWinAscender = ifi.fwdMacAscender = ifi.fwdTypoAscender = s(ascender);
  ifi.fwdWinDescender = s(descender);
  ifi.fwdMacDescender = ifi.fwdTypoDescender = static_cast<FWORD>(-s(descender));
  LONG lineGap = record.U16(field::kLineGap) - (descender - em + ascender);
  if (lineGap < 0) lineGap = 0;
  ifi.fwdMacLineGap = ifi.fwdTypoLineGap = s(lineGap);
  const LONG average = record.U16(field::kAverageWidth);
  ifi.fwdAveCharWidth = s(average != 0 ? average : MeanWidth(record));
  ifi.fwdMaxCharInc = s(record.U16(field::kMaximumWidth));
  if (ifi.fwdAveCharWidth > ifi.fwdMaxCharInc) ifi.fwdMaxCharInc = ifi.fwdAveCharWidth;
  ifi.fwdCapHeight = s(record.U16(field::kCapHeight));
  const LONG xHeight = record.U16(field::kXHeight);
  ifi.fwdXHeight = s(xHeight);
  ifi.fwdSubscriptYSize = ifi.fwdSuperscriptYSize = static_cast<FWORD>(s(em) / 2);
  ifi.fwdSubscriptYOffset = s(record.U16(field::kDescender));
  ifi.fwdSuperscriptYOffset = s(record.U16(field::kAscender));
  const LONG thickness = record.U16(field::kUnderlineThickness);
  ifi.fwdUnderscoreSize = static_cast<FWORD>(thickness);
  ifi.fwdUnderscorePosition = static_cast<FWORD>(scalable ? record.U16(field::kUnderlinePosition) : 10);
  ifi.fwdStrikeoutSize = s(thickness);
  ifi.fwdStrikeoutPosition = static_cast<FWORD>(scalable ? -(xHeight / 2) : -xHeight);
  ifi.chFirstChar = record.U8(field::kFirstChar);
  ifi.chLastChar = record.U8(field::kLastChar);
  ifi.chDefaultChar = record.U8(field::kDefaultChar);
  ifi.chBreakChar = record.U8(field::kBreakChar);
  bool converted = false;
  ifi.wcDefaultChar = AnsiToWide(ifi.chDefaultChar, &converted);
  ifi.wcBreakChar = AnsiToWide(ifi.chBreakChar, &converted);
  SetUnicodeRange(&ifi);
  ifi.ptlBaseline = POINTL{1, 0};
  ifi.ptlAspect = POINTL{resolution, resolution};
  ifi.ptlCaret = ifi.fsSelection & FM_SEL_ITALIC ? POINTL{1, 2} : POINTL{0, 1};
  ifi.rclFontBox = RECTL{0, ifi.fwdTypoAscender, ifi.fwdMaxCharInc, ifi.fwdTypoDescender};
  std::memcpy(ifi.achVendId, "Ymo", 4);
  ifi.panose.bFamilyType = 0;
  ifi.panose.bSerifStyle = (record.U8(field::kPitchAndFamily) & 0xF0) == FF_SWISS ? 11 : 0;
  ifi.panose.bWeight = static_cast<BYTE>(ifi.usWinWeight / 100 + 1);
  ifi.panose.bProportion = fixed ? 9 : 0;

  // The driver's fields after the IFIMETRICS.
  block[kDeviceFontFlagsOffset] = record.U8(field::kFlags);
  block[kDeviceFontFlagsOffset + 1] = 0;
  for (int c = 0; c < 256; ++c) {
    const WORD width = static_cast<WORD>(Sized(record, record.Width(static_cast<uint8_t>(c))));
    Put(block, kDeviceFontWidthsOffset + 2 * static_cast<size_t>(c), width);
  }
  block[kDeviceFontCharsetCodeOffset] = charsetCode;
  block[kDeviceFontStyleVariantOffset] = record.U8(field::kStyleVariant);
  block[kDeviceFontKeptByteOffset] = record.U8(field::kSpareByte);
  block[kDeviceFontKeptByteOffset + 1] = 0;
  Put(block, kDeviceFontWidthPerEmOffset, static_cast<WORD>(Sized(record, em)));
  Put(block, kDeviceFontSizeWordOffset, static_cast<WORD>(Sized(record, record.U16(field::kPointSize))));
  std::string selection = record.SelectionName();
  if (selection.empty()) selection = face;
  std::memset(block + kDeviceFontSelectionNameOffset, 0, kDeviceFontSelectionNameBytes);
  std::memcpy(block + kDeviceFontSelectionNameOffset, selection.data(),
              std::min(selection.size(), kDeviceFontSelectionNameBytes - 1));
  std::memset(block + kDeviceFontFaceNameOffset, 0, kDeviceFontFaceNameBytes + 4);
  std::memcpy(block + kDeviceFontFaceNameOffset, record.data() + field::kFaceName, kDeviceFontFaceNameBytes);
  Put(block, kDeviceFontNoReencodingOffset, DWORD{0});

  WriteFamilyNames(out, face.c_str());
  std::memset(block + kDeviceFontNamesOffset + nameBytes, 0, simulationAt - kDeviceFontNamesOffset - nameBytes);
  const size_t simulationBytes = WriteSimulations(block, simulationAt, OfferedSimulations(record), ifi);
  ifi.dpFontSim = simulationBytes ? static_cast<PTRDIFF>(simulationAt) : 0;
  ifi.cjThis = static_cast<ULONG>(simulationAt + simulationBytes);
  return ifi.cjThis;
}

IFIMETRICS* BuildModelFontMetrics(const void* record, size_t size, int resolution) {
  // A resource may carry more than the record; it may not carry less.
  if (!record || size < fontrecord::kMetricsBlockSize) return nullptr;
  auto block = MetricsBlock::FromBytes(record, fontrecord::kMetricsBlockSize);
  return block ? Allocate(*block, resolution) : nullptr;
}

IFIMETRICS* BuildInstalledFontMetrics(const void* data, size_t size, int resolution) {
  auto block = MetricsBlock::FromBytes(data, size);
  if (!block || !block->IsValid()) return nullptr;
  return Allocate(*block, resolution);
}

BYTE DeviceFontFlags(const IFIMETRICS* block) { return reinterpret_cast<const BYTE*>(block)[kDeviceFontFlagsOffset]; }
BYTE DeviceFontCharsetCode(const IFIMETRICS* block) {
  return reinterpret_cast<const BYTE*>(block)[kDeviceFontCharsetCodeOffset];
}
BYTE DeviceFontStyleVariant(const IFIMETRICS* block) {
  return reinterpret_cast<const BYTE*>(block)[kDeviceFontStyleVariantOffset];
}
WORD DeviceFontWidthPerEm(const IFIMETRICS* block) {
  WORD value = 0;
  std::memcpy(&value, reinterpret_cast<const BYTE*>(block) + kDeviceFontWidthPerEmOffset, sizeof value);
  return value;
}
const char* DeviceFontSelectionName(const IFIMETRICS* block, char (&out)[65]) {
  std::memcpy(out, reinterpret_cast<const BYTE*>(block) + kDeviceFontSelectionNameOffset, 64);
  out[64] = '\0';
  return out;
}
const char* DeviceFontFaceName(const IFIMETRICS* block, char (&out)[33]) {
  std::memcpy(out, reinterpret_cast<const BYTE*>(block) + kDeviceFontFaceNameOffset, 32);
  out[32] = '\0';
  return out;
}
DWORD DeviceFontNoReencoding(const IFIMETRICS* block) {
  DWORD value = 0;
  std::memcpy(&value, reinterpret_cast<const BYTE*>(block) + kDeviceFontNoReencodingOffset, sizeof value);
  return value;
}
