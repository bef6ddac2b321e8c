// Ground for the text writer's tests: printer fonts built from font metrics
// records as the printer's font list holds them, engine fonts (device fonts
// and TrueType faces) with their transforms, and glyph runs.
#pragma once

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/installed_font_record.h"
#include "graphics/core/pdev.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "graphics/output/fonts/device_fonts.h"
#include "platform/gdi/engine.h"
#include "tests/graphics_text/fake_text_services.h"

namespace graphicstest {

// A printer font's record: scalable, an em of 1000 units, widths of 500.
inline fontrecord::MetricsBlock PrinterFontRecord(const char* face, const char* selection, bool fixed = false,
                                                  BYTE charsetCode = 0) {
  namespace field = fontrecord::offset;
  fontrecord::MetricsBlock record = fontrecord::MetricsBlock::Blank();
  record.SetFaceName(face);
  record.SetSelectionName(selection);
  record.SetU8(field::kFlags,
               static_cast<uint8_t>(fontrecord::kFlagScalable | (fixed ? fontrecord::kFlagFixedPitch : 0)));
  record.SetU16(field::kHeight, 1000);
  record.SetI16(field::kAscent, 750);
  record.SetU16(field::kDescent, 250);
  record.SetU16(field::kLineGap, 1200);
  record.SetU16(field::kCapHeight, 700);
  record.SetU16(field::kXHeight, 500);
  record.SetU16(field::kWeight, 400);
  record.SetU16(field::kAverageWidth, 500);
  record.SetU16(field::kMaximumWidth, 1000);
  record.SetU8(field::kFirstChar, 32);
  record.SetU8(field::kLastChar, 255);
  record.SetU8(field::kCharSetClass, charsetCode);
  for (int c = 0; c < 256; ++c) record.SetWidth(static_cast<uint8_t>(c), 500);
  return record;
}

// The PDEV's device-font list, built from records. The PDEV points to it while
// both live; the PDEV never owns or frees it, so either may go first (a PDEV
// freed first is not touched again).
class PrinterFonts {
 public:
  PrinterFonts(PDEV* pdev, const std::vector<fontrecord::MetricsBlock>& records, int resolution = 600) {
    for (const auto& record : records)
      blocks_.emplace_back(BuildModelFontMetrics(record.data(), record.size(), resolution));
    entries_.resize(blocks_.size());
    for (size_t i = 0; i < blocks_.size(); ++i) {
      entries_[i].kind = kDeviceFontResident;
      entries_[i].metrics = blocks_[i].get();
    }
    list_.count = static_cast<DWORD>(entries_.size());
    list_.entries = entries_.data();
    pdev->carried.deviceFonts = &list_;
  }
  ~PrinterFonts() = default;
  PrinterFonts(const PrinterFonts&) = delete;
  PrinterFonts& operator=(const PrinterFonts&) = delete;

  DeviceFontEntry& Entry(size_t i) { return entries_[i]; }
  IFIMETRICS* Metrics(size_t i) { return blocks_[i].get(); }

  // Device font iFace (1-based) drawn `pixels` high: the em through a scale.
  std::unique_ptr<platform::gdi::Font> Font(ULONG iFace, float pixels, float turnDegrees = 0) {
    const float scale = pixels / 1000.0f;
    const float radians = turnDegrees * 3.14159265f / 180.0f;
    // Quarter turns exactly, as the engine gives them.
    const float c = std::round(std::cos(radians) * 1e6f) / 1e6f * scale;
    const float s = std::round(std::sin(radians) * 1e6f) / 1e6f * scale;
    // The baseline turns counter-clockwise on the page (y points down).
    const XFORML m{c, -s, s, c, 0, 0};
    return platform::gdi::Font::Device(iFace, blocks_[iFace - 1].get(), m);
  }

 private:
  struct Free {
    void operator()(IFIMETRICS* p) const { std::free(p); }
  };
  std::vector<std::unique_ptr<IFIMETRICS, Free>> blocks_;
  std::vector<DeviceFontEntry> entries_;
  DeviceFontList list_{};
};

// A TrueType face of the host, `pixels` em high.
inline std::unique_ptr<platform::gdi::Font> TrueTypeFont(const char16_t* face, LONG pixels) {
  LOGFONTW lf{};
  lf.lfHeight = -pixels;
  lf.lfWeight = 400;
  std::u16string name(face);
  for (size_t i = 0; i < name.size() && i < 31; ++i) lf.lfFaceName[i] = name[i];
  return platform::gdi::Font::Open(lf);
}

// A run of `text` on the baseline y from x, `advance` pixels apart; glyph
// handles from the font where it has them, else the characters themselves.
inline std::unique_ptr<platform::gdi::TextRun> MakeRun(const std::u16string& text, LONG x, LONG y, LONG advance,
                                                       platform::gdi::Font* font = nullptr, bool positioned = false,
                                                       LONG rise = 0) {
  std::vector<GLYPHPOS> glyphs;
  for (size_t i = 0; i < text.size(); ++i) {
    GLYPHPOS g{};
    g.hg = font && !font->IsDevice() ? font->GlyphForChar(text[i]) : text[i];
    g.ptl = POINTL{x + static_cast<LONG>(i) * advance, y + static_cast<LONG>(i) * rise};
    glyphs.push_back(g);
  }
  const RECTL bounds{x, y - 50, x + advance * static_cast<LONG>(text.size()), y + 20};
  return std::make_unique<platform::gdi::TextRun>(glyphs, text, 0, positioned ? 0 : SO_FLAG_DEFAULT_PLACEMENT, bounds);
}

// A clip rectangle, or none.
inline CLIPOBJ RectClip(const RECTL& r) {
  CLIPOBJ clip{};
  clip.iDComplexity = DC_RECT;
  clip.rclBounds = r;
  return clip;
}

}  // namespace graphicstest
