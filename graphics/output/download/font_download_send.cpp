// Sending downloaded fonts: PCL bitmap soft fonts (a font descriptor, then
// each character's descriptor and bitmap), PostScript Type 3 fonts (a header,
// then each glyph as an image mask or an outline in font units), and installed
// host soft fonts copied from their file. Every definition counts towards the
// estimate of the printer memory that the job's fonts take.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/core/pdev.h"
#include "graphics/output/download/download_channel.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/download/font_download_send.h"
#include "graphics/output/download/font_face_name.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/output/text/text_support.h"
#include "graphics/stream/output.h"
#include "graphics/util/font_size.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr int kMaxBlock = 32767;
constexpr int kCharacterDescriptorBytes = 16;
constexpr int kContinuationBytes = 2;
constexpr WORD kSymbolSet19U = 629;

// Both answer the bytes that went into the stream.
int Text(PDEV* pdev, const char* text) { return WriteOut(pdev, kWriteText, 0, text); }

template <typename... Args>
int Format(PDEV* pdev, const char* format, Args... args) {
  char line[kFormatBufferBytes];
  FormatOut(line, format, args...);
  return Text(pdev, line);
}

void Bytes(PDEV* pdev, const void* data, size_t size) { WriteOut(pdev, kWriteBytes, static_cast<int>(size), data); }

void PutWord(std::vector<BYTE>& out, size_t at, int value) {
  out[at] = static_cast<BYTE>((value >> 8) & 0xFF);
  out[at + 1] = static_cast<BYTE>(value & 0xFF);
}

bool IsDeviceFont(FONTOBJ* font) { return (font->flFontType & DEVICE_FONTTYPE) != 0; }

const char* NameOf(const FontDownloadRecord* record, const GlyphPageRecord* page) {
  return page ? page->name : record->name;
}
WORD IdOf(const FontDownloadRecord* record, const GlyphPageRecord* page) {
  return page ? page->softFontId : record->softFontId;
}

bool Apply(XFORMOBJ* xform, ULONG mode, POINTL* point) {
  POINTL out{};
  if (!xform || !XFORMOBJ_bApplyXform(xform, mode, 1, point, &out)) return false;
  *point = out;
  return true;
}

// x or y of the font transform applied to a point in font units.
bool Transformed(XFORMOBJ* xform, LONG x, LONG y, POINTL* out) {
  *out = POINTL{x, y};
  return Apply(xform, XF_LTOL, out);
}

const GLYPHDATA* GlyphOf(FONTOBJ* font, ULONG mode, HGLYPH glyph) {
  HGLYPH handle = glyph;
  void* data = nullptr;
  if (FONTOBJ_cGetGlyphs(font, mode, 1, &handle, &data) != 1 || !data) return nullptr;
  return static_cast<const GLYPHDATA*>(data);
}

LONG RoundFix(FIX value) { return (value + 8) >> 4; }

// A glyph's advance as a device vector in 28.4: the engine's vector when it
// gives one, else the advance's length laid along the font's baseline.
bool DeviceAdvance(XFORMOBJ* xform, const GLYPHDATA& data, POINTL* out) {
  constexpr int64_t kHalf = int64_t{1} << 31;
  if (data.ptqD.x != 0 || data.ptqD.y != 0) {
    *out = POINTL{static_cast<LONG>((data.ptqD.x + kHalf) >> 32), static_cast<LONG>((data.ptqD.y + kHalf) >> 32)};
    return true;
  }
  XFORML m{};
  if (!xform || XFORMOBJ_iGetXform(xform, &m) == static_cast<ULONG>(-1)) return false;
  const double length = std::hypot(static_cast<double>(m.eM11), static_cast<double>(m.eM12));
  if (length <= 0) return false;
  *out = POINTL{static_cast<LONG>(std::lround(data.fxD * m.eM11 / length)),
                static_cast<LONG>(std::lround(data.fxD * m.eM12 / length))};
  return true;
}

// The pitch field in quarter dots.
int DescriptorPitch(FONTOBJ* font, const IFIMETRICS* ifi, XFORMOBJ* xform, const HGLYPH* glyphs, ULONG count,
                    const GlyphPageRecord* page, bool proportional) {
  if (!proportional) {
    long sum = 0;
    long n = 0;
    for (ULONG i = 0; i < count; ++i) {
      const GLYPHDATA* data = GlyphOf(font, FO_GLYPHBITS, glyphs[i]);
      if (!data) continue;
      const LONG advance = RoundFix(data->fxD);
      if (advance == 0) continue;
      sum += advance;
      ++n;
    }
    if (n > 0) return static_cast<int>(std::floor(static_cast<double>(sum) / n + 0.5)) * 4;
  } else {
    // The advance of the space's neighbour "!" (code 33) among all glyphs.
    const ULONG all = FONTOBJ_cGetAllGlyphHandles(font, nullptr);
    LONG index = 33 - static_cast<LONG>(ifi->chFirstChar);
    if (index == 0) index = 3;
    if (all > 0 && index > 0 && static_cast<ULONG>(index) < all) {
      std::vector<HGLYPH> handles(all);
      FONTOBJ_cGetAllGlyphHandles(font, handles.data());
      if (const GLYPHDATA* data = GlyphOf(font, FO_GLYPHBITS, handles[static_cast<size_t>(index)])) {
        const int factor = page && page->pageNumber >= 2 ? 8 : 4;
        return RoundFix(data->fxD) * factor;
      }
    }
  }
  // No glyph to measure: the average character width.
  POINTL average{};
  if (!Transformed(xform, ifi->fwdAveCharWidth, 0, &average)) return 0;
  return static_cast<int>(std::labs(average.x)) * 4;
}

bool PclFontHeader(PDEV* pdev, FONTOBJ* font, const HGLYPH* glyphs, ULONG count, const GlyphPageRecord* page) {
  const IFIMETRICS* ifi = FONTOBJ_pifi(font);
  XFORMOBJ* xform = FONTOBJ_pxoGetXform(font);
  if (!ifi || !xform) return false;
  POINTL baseline{}, cell{}, capHeight{}, underline{};
  if (!Transformed(xform, 0, ifi->fwdWinAscender, &baseline) || !Transformed(xform, ifi->fwdMaxCharInc, 0, &cell) ||
      !Transformed(xform, 0, ifi->fwdCapHeight, &capHeight) ||
      !Transformed(xform, 0, ifi->fwdWinAscender - ifi->fwdUnderscorePosition, &underline))
    return false;
  bool proportional = (ifi->jWinPitchAndFamily & VARIABLE_PITCH) != 0;
  if (GetACP() == 949 && ifi->jWinCharSet != 0 && ifi->jWinCharSet != 2) proportional = true;
  const int pitch = DescriptorPitch(font, ifi, xform, glyphs, count, page, proportional);
  const bool format20 = (pdev->devmode.dmPrivate._nPDL & 0x08) != 0;
  const int size = format20 ? 68 : 64;
  const int cellHeight = static_cast<int>(std::labs(capHeight.y));
  const int height = GetFontHeight(font);
  const int points = GetFontPointSize(pdev, font);

  std::vector<BYTE> d(static_cast<size_t>(size), 0);
  PutWord(d, 0, size);
  d[2] = format20 ? 20 : 0;
  d[3] = 2;
  PutWord(d, 6, static_cast<int>(std::labs(baseline.y)));
  PutWord(d, 8, static_cast<int>(std::labs(cell.x)));
  PutWord(d, 10, cellHeight);
  d[13] = proportional ? 1 : 0;
  PutWord(d, 14, kSymbolSet19U);
  PutWord(d, 16, pitch);
  PutWord(d, 18, (height > 0 ? height : 0) * 4);
  PutWord(d, 20, (points > 0 ? points : 0) * 3);
  d[23] = static_cast<BYTE>(ifi->fsSelection & 1);
  d[24] = static_cast<BYTE>(PclStrokeWeight(ifi->usWinWeight));
  d[25] = 254;
  d[30] = static_cast<BYTE>(std::labs(underline.y) & 0xFF);
  d[31] = font->sizLogResPpi.cx == 300 ? 3 : 6;
  PutWord(d, 32, cellHeight * 120 / 100);
  PutWord(d, 34, pitch);
  PutWord(d, 36, ifi->chFirstChar);
  PutWord(d, 38, ifi->chLastChar);
  const std::string face = FaceNameAnsi(ifi);
  std::memcpy(d.data() + 48, face.data(), face.size() < 16 ? face.size() : 16);
  if (format20) {
    PutWord(d, 64, TextResolution(pdev));
    PutWord(d, 66, TextResolution(pdev));
  }
  Format(pdev, "\x1b)s%dW", size);
  Bytes(pdev, d.data(), d.size());
  pdev->carried.vmEstimate += 1216;
  return true;
}

bool SendPclHeader(PDEV* pdev, FONTOBJ* font, const HGLYPH* glyphs, ULONG count, FontDownloadRecord* record,
                   GlyphPageRecord* page) {
  pagesetup::LeaveHpgl(pdev);
  Format(pdev, "\x1b*c%uD", static_cast<unsigned>(IdOf(record, page)));
  if (!IsDeviceFont(font)) return PclFontHeader(pdev, font, glyphs, count, page);
  const DeviceFontEntry* entry = record->deviceFont;
  if (entry && entry->kind == kDeviceFontHostSoft) {
    // The installed soft font goes as its file holds it; a file that is gone
    // leaves the font undefined, so the header does not count as sent.
    if (WriteOut(pdev, kWriteFile, 0, entry->file) != 1) return false;
  }
  return true;
}

void SendPostScriptHeader(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, GlyphPageRecord* page, BOOL outline) {
  Text(pdev, "\n");
  if (IsDeviceFont(font) && !(font->flFontType & TRUETYPE_FONTTYPE)) return;
  const IFIMETRICS* ifi = FONTOBJ_pifi(font);
  const int em = outline ? (ifi ? ifi->fwdUnitsPerEm : 0) : GetFontHeight(font);
  const char* name = NameOf(record, page);
  Format(pdev, "/%s %d CF\t%%%s = %s\n", name, em, name, FaceNameAnsi(ifi).c_str());
  pdev->carried.vmEstimate += 3000;
}

bool SendPclGlyph(PDEV* pdev, FONTOBJ* font, HGLYPH glyph, DWORD code) {
  const GLYPHDATA* data = GlyphOf(font, FO_GLYPHBITS, glyph);
  if (!data || !data->gdf.pgb) return false;
  const GLYPHBITS* bits = data->gdf.pgb;
  const LONG width = bits->sizlBitmap.cx;
  const LONG height = bits->sizlBitmap.cy;
  if (width <= 0 || height <= 0) return false;
  const int rowBytes = static_cast<int>((width + 7) / 8);
  // A chunk holds whole rows: a row that cannot fit beside the descriptor
  // cannot be sent.
  if (rowBytes > kMaxBlock - kCharacterDescriptorBytes) return false;

  Format(pdev, "\x1b*c%uE", static_cast<unsigned>(code));
  std::vector<BYTE> descriptor(kCharacterDescriptorBytes, 0);
  descriptor[0] = 4;
  descriptor[2] = 14;
  descriptor[3] = 1;
  PutWord(descriptor, 6, bits->ptlOrigin.x);
  PutWord(descriptor, 8, -bits->ptlOrigin.y);
  PutWord(descriptor, 10, width);
  PutWord(descriptor, 12, height);
  PutWord(descriptor, 14, RoundFix(data->fxD) * 4);
  const BYTE continuation[kContinuationBytes] = {4, 1};

  long written = 0;
  LONG row = 0;
  bool first = true;
  while (row < height) {
    const int header = first ? kCharacterDescriptorBytes : kContinuationBytes;
    LONG rows = (kMaxBlock - header) / rowBytes;
    if (rows > height - row) rows = height - row;
    const int block = header + static_cast<int>(rows) * rowBytes;
    Format(pdev, "\x1b(s%dW", block);
    if (first) {
      Bytes(pdev, descriptor.data(), descriptor.size());
    } else {
      Bytes(pdev, continuation, sizeof continuation);
    }
    Bytes(pdev, bits->aj + static_cast<size_t>(row) * rowBytes, static_cast<size_t>(rows) * rowBytes);
    written += block;
    row += rows;
    first = false;
  }
  pdev->carried.vmEstimate += static_cast<DWORD>(written * 3 / 2);
  return true;
}

bool SendPostScriptBitmapGlyph(PDEV* pdev, FONTOBJ* font, HGLYPH glyph, DWORD code, const char* name) {
  const GLYPHDATA* data = GlyphOf(font, FO_GLYPHBITS, glyph);
  if (!data || !data->gdf.pgb) return false;
  const GLYPHBITS* bits = data->gdf.pgb;
  const LONG width = bits->sizlBitmap.cx;
  const LONG height = bits->sizlBitmap.cy;
  if (width <= 0 || height <= 0) return false;
  const int rowBytes = static_cast<int>((width + 7) / 8);
  const LONG ox = bits->ptlOrigin.x;
  const LONG oy = bits->ptlOrigin.y;
  long written = Format(pdev, "/C%u {\n", static_cast<unsigned>(code));
  written += Format(pdev, "%d %d true [1 0 0 -1 %d %d]\n<~", static_cast<int>(width), static_cast<int>(height),
                    static_cast<int>(-ox), static_cast<int>(-oy));
  for (LONG row = 0; row < height; ++row)
    written += WriteOut(pdev, kWriteAscii85, rowBytes, bits->aj + static_cast<size_t>(row) * rowBytes);
  written += WriteOut(pdev, kWriteAscii85End, 0, nullptr);
  written += Text(pdev, "imagemask\n");
  written += Format(pdev, "}bind [%d %d %d %d %d %d]%d /%s findfont AC\n", static_cast<int>(RoundFix(data->fxD)), 0,
                    static_cast<int>(ox), static_cast<int>(-oy), static_cast<int>(width + ox),
                    static_cast<int>(-oy - height), static_cast<int>(code), name);
  pdev->carried.vmEstimate += static_cast<DWORD>(written * 3 / 2);
  return true;
}

bool SendPostScriptOutlineGlyph(PDEV* pdev, FONTOBJ* font, HGLYPH glyph, DWORD code, const char* name) {
  const IFIMETRICS* ifi = FONTOBJ_pifi(font);
  XFORMOBJ* xform = FONTOBJ_pxoGetXform(font);
  const GLYPHDATA* data = GlyphOf(font, FO_PATHOBJ, glyph);
  if (!ifi || !xform || !data || !data->gdf.ppo) return false;
  PATHOBJ* path = data->gdf.ppo;

  std::string body;
  char line[kFormatBufferBytes];
  POINTL current{0, 0};
  bool any = false;
  LONG left = 0, top = 0, right = 0, bottom = 0;
  auto toFontUnits = [&](const POINTFIX& fx, POINTL* out) {
    // Device 28.4 to device pixels, then back through the font transform.
    *out = POINTL{RoundFix(fx.x), RoundFix(fx.y)};
    if (!Apply(xform, XF_INV_LTOL, out)) return false;
    if (!any) {
      left = right = out->x;
      top = bottom = out->y;
      any = true;
    }
    if (out->x < left) left = out->x;
    if (out->x > right) right = out->x;
    if (out->y < top) top = out->y;
    if (out->y > bottom) bottom = out->y;
    return true;
  };

  PATHOBJ_vEnumStart(path);
  bool more = true;
  while (more) {
    PATHDATA batch{};
    more = PATHOBJ_bEnum(path, &batch) != FALSE;
    ULONG i = 0;
    if (batch.flags & PD_BEGINSUBPATH) {
      if (batch.count == 0) continue;
      POINTL start{};
      if (!toFontUnits(batch.pptfx[0], &start)) return false;
      FormatOut(line, "%d %d m ", static_cast<int>(start.x), static_cast<int>(-start.y));
      body += line;
      current = start;
      i = 1;
    }
    if (batch.flags & PD_BEZIERS) {
      if ((batch.count - i) % 3 != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
      }
      for (; i + 2 < batch.count; i += 3) {
        POINTL p[3];
        for (int k = 0; k < 3; ++k) {
          if (!toFontUnits(batch.pptfx[i + k], &p[k])) return false;
        }
        FormatOut(line, "%d %d %d %d %d %d C ", static_cast<int>(p[0].x - current.x),
                  static_cast<int>(-(p[0].y - current.y)), static_cast<int>(p[1].x - current.x),
                  static_cast<int>(-(p[1].y - current.y)), static_cast<int>(p[2].x - current.x),
                  static_cast<int>(-(p[2].y - current.y)));
        body += line;
        current = p[2];
      }
    } else {
      for (; i < batch.count; ++i) {
        POINTL p{};
        if (!toFontUnits(batch.pptfx[i], &p)) return false;
        FormatOut(line, "%d %d L ", static_cast<int>(p.x - current.x), static_cast<int>(-(p.y - current.y)));
        body += line;
        current = p;
      }
    }
    if (batch.flags & (PD_ENDSUBPATH | PD_CLOSEFIGURE)) body += "cp\n";
  }
  // The advance back in font units. In device space it runs along the turned
  // baseline, so its device vector is what maps back onto the font's own x
  // axis; the length alone taken as a device x step would come back turned the
  // other way and set turned letters along a level line.
  POINTL advance{};
  if (!DeviceAdvance(xform, *data, &advance)) return false;
  POINTL origin{0, 0};
  if (!Apply(xform, XF_INV_FXTOL, &advance) || !Apply(xform, XF_INV_FXTOL, &origin)) return false;

  long written = Format(pdev, "/C%u {\n", static_cast<unsigned>(code));
  written += Text(pdev, body.c_str());
  if (!(ifi->flInfo & FM_INFO_RETURNS_STROKES)) written += Text(pdev, " fill ");
  written += Format(pdev, "} [%d %d %d %d %d %d]%d /%s findfont AC\n", static_cast<int>(advance.x - origin.x),
                    static_cast<int>(-(advance.y - origin.y)), static_cast<int>(left), static_cast<int>(-bottom),
                    static_cast<int>(right), static_cast<int>(-top), static_cast<int>(code), name);
  pdev->carried.vmEstimate += static_cast<DWORD>(written * 7 / 2);
  return true;
}

// Bitmaps of a turned font are already turned, while the text writer turns
// the text it places with them: such a realisation is left to the engine.
bool TurnedBitmaps(FONTOBJ* font, BOOL outline) {
  if (outline || IsDeviceFont(font)) return false;
  XFORML m{};
  XFORMOBJ* xform = FONTOBJ_pxoGetXform(font);
  if (!xform || XFORMOBJ_iGetXform(xform, &m) == static_cast<ULONG>(-1)) return false;
  return m.eM12 != 0.0f || m.eM21 != 0.0f;
}

bool CjkCharset(BYTE charset) {
  return charset == 128 || charset == 129 || charset == 130 || charset == 134 || charset == 136;
}

}  // namespace

BOOL CreateDownloadFont(PDEV* pdev, FONTOBJ* font, const HGLYPH* glyphs, ULONG count, FontDownloadRecord* record,
                        GlyphPageRecord* page, BOOL outline) {
  if (!pdev || !font || !record) return FALSE;
  if (TurnedBitmaps(font, outline)) return FALSE;
  DownloadChannel channel(pdev);
  if (!channel.Ok()) return FALSE;
  if (IsPostScriptJob(pdev)) {
    SendPostScriptHeader(pdev, font, record, page, outline);
  } else if (!SendPclHeader(pdev, font, glyphs, count, record, page)) {
    return FALSE;
  }
  (page ? page->headerSent : record->headerSent) = 1;
  return TRUE;
}

BOOL DownloadGlyphs(PDEV* pdev, FONTOBJ* font, const HGLYPH* glyphs, const DWORD* codes, ULONG count,
                    FontDownloadRecord* record, GlyphPageRecord* page, BOOL outline) {
  if (!pdev || !font || !glyphs || !codes || !record) return FALSE;
  if (count == 0) return TRUE;
  if (TurnedBitmaps(font, outline)) return FALSE;
  DownloadChannel channel(pdev);
  if (!channel.Ok()) return FALSE;
  const char* name = NameOf(record, page);
  if (IsPostScriptJob(pdev)) {
    for (ULONG i = 0; i < count; ++i) {
      const bool sent = outline ? SendPostScriptOutlineGlyph(pdev, font, glyphs[i], codes[i], name)
                                : SendPostScriptBitmapGlyph(pdev, font, glyphs[i], codes[i], name);
      if (!sent) return FALSE;
    }
  } else {
    const IFIMETRICS* ifi = FONTOBJ_pifi(font);
    const int points = GetFontPointSize(pdev, font) > 0 ? GetFontPointSize(pdev, font) : 0;
    const bool cjk = ifi && CjkCharset(ifi->jWinCharSet);
    const int perPoint = cjk ? (points < 37 ? 130 : 280) : (points < 29 ? 60 : 100);
    pdev->carried.vmEstimate += static_cast<DWORD>(count) * static_cast<DWORD>(points * perPoint);
    pagesetup::LeaveHpgl(pdev);
    Format(pdev, "\x1b*c%uD", static_cast<unsigned>(IdOf(record, page)));
    for (ULONG i = 0; i < count; ++i) {
      if (!SendPclGlyph(pdev, font, glyphs[i], codes[i])) return FALSE;
    }
  }
  if (page) page->slotsUsed = static_cast<SHORT>(page->slotsUsed + static_cast<SHORT>(count));
  return TRUE;
}
