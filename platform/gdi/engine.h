// How the engine's own code (the device context, the print path) builds the
// objects it hands a graphics driver.
//
// Every class here derives from the public driver-interface struct, so a pointer
// to it IS the SURFOBJ*/PATHOBJ*/CLIPOBJ*... the driver receives; the services in
// eng_services.h find the engine's private state again from that pointer. The
// caller owns each object (a std::unique_ptr from the factory) and keeps it alive
// for the length of the driver call it is passed to; objects are neither copied
// nor moved, because the driver holds their addresses. Coordinates are device
// pixels unless a name says FIX (28.4, 16 to a pixel).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/eng_services.h"

namespace platform::gdi {

// ---- Devices ---------------------------------------------------------------
// The engine's record of one enabled PDEV: the driver functions the engine calls
// back from its services (EngBitBlt/EngStretchBlt read and write a device surface
// through DrvCopyBits; brushes are realised through DrvRealizeBrush) and the
// halftone format GDIINFO announced. Create it before DrvEnablePDEV (its handle is
// the hdev the driver receives), then tell it the dhpdev the driver answered.
struct DriverCallbacks {
  PFN_DrvCopyBits copyBits = nullptr;
  PFN_DrvRealizeBrush realizeBrush = nullptr;
};
HDEV CreateDevice(const DriverCallbacks& callbacks, ULONG halftoneFormat = HT_FORMAT_1BPP);
bool SetDevicePdev(HDEV hdev, DHPDEV dhpdev);
bool SetDeviceHalftoneFormat(HDEV hdev, ULONG halftoneFormat);
bool DeleteDevice(HDEV hdev);

// The hooks EngAssociateSurface recorded for a surface (0 for an unknown one).
FLONG SurfaceHooks(const SURFOBJ* pso);
// A surface's SURFOBJ by handle, valid until EngDeleteSurface (nullptr if none).
SURFOBJ* SurfaceObject(HSURF hsurf);

// ---- Paths -----------------------------------------------------------------
// Figures of lines and cubic Béziers in 28.4 device coordinates. Enumeration
// (PATHOBJ_bEnum) gives one batch per run of lines or Béziers: the first batch
// of a figure starts with its start point and carries PD_BEGINSUBPATH, the last
// carries PD_ENDSUBPATH (and PD_CLOSEFIGURE for a closed figure); a Bézier batch
// holds whole triples of control points after that start point.
class Path : public PATHOBJ {
 public:
  Path();
  ~Path();
  Path(const Path&) = delete;
  Path& operator=(const Path&) = delete;

  void MoveTo(POINTFIX point);  // starts a new figure
  void LineTo(POINTFIX point);  // a figure with no start begins at (0,0)
  void BezierTo(POINTFIX c1, POINTFIX c2, POINTFIX end);
  void CloseFigure();                    // closes the current figure
  void AddRectangle(const RECTL& rect);  // a closed figure, in pixels

  bool Empty() const { return figures_.empty(); }
  RECTFX Bounds() const;  // of all control points; zero when empty
  // A copy with every Bézier replaced by line segments no further than
  // `toleranceFix` from the curve (for a driver that refuses curves).
  std::unique_ptr<Path> Flattened(FIX toleranceFix = 4) const;

  // Enumeration state (PATHOBJ_vEnumStart / PATHOBJ_bEnum).
  void EnumStart();
  bool Enum(PATHDATA* data);

  struct Run {
    bool bezier = false;
    std::vector<POINTFIX> points;  // lines: one per segment; Béziers: triples
  };
  struct Figure {
    POINTFIX start{};
    std::vector<Run> runs;
    bool closed = false;
  };
  const std::vector<Figure>& figures() const { return figures_; }

 private:
  void AddPoints(bool bezier, const POINTFIX* points, size_t count);
  void Refresh();

  std::vector<Figure> figures_;
  bool figureOpen_ = false;
  size_t enumFigure_ = 0;
  size_t enumRun_ = 0;
  std::vector<POINTFIX> batch_;
};

// ---- Clipping --------------------------------------------------------------
// A clip region as non-overlapping rectangles in bands (top to bottom, left to
// right within a band). DC_TRIVIAL means "nothing clipped" (rclBounds is the
// surface); DC_RECT one rectangle; DC_COMPLEX several, enumerated with
// CLIPOBJ_cEnumStart/CLIPOBJ_bEnum or given as an outline by CLIPOBJ_ppoGetPath.
class Clip : public CLIPOBJ {
 public:
  static std::unique_ptr<Clip> Trivial(const RECTL& surfaceBounds);
  static std::unique_ptr<Clip> Rectangle(const RECTL& rect);
  // The union of `rects` (overlaps allowed); collapses to DC_RECT when the union
  // is one rectangle. An empty union gives a DC_RECT clip with empty bounds.
  static std::unique_ptr<Clip> Region(const std::vector<RECTL>& rects);
  ~Clip();
  Clip(const Clip&) = delete;
  Clip& operator=(const Clip&) = delete;

  const std::vector<RECTL>& Rects() const { return rects_; }
  // This region cut to `rect`, as a new clip.
  std::unique_ptr<Clip> Intersect(const RECTL& rect) const;

  ULONG EnumStart(ULONG direction, ULONG limit);
  bool Enum(ULONG cj, ULONG* out);

 private:
  Clip();
  void Finish();

  std::vector<RECTL> rects_;
  std::vector<RECTL> order_;
  size_t next_ = 0;
};

// Rectangles of any CLIPOBJ (the engine's, or a plain one a driver built): the
// region for DC_COMPLEX, rclBounds otherwise; `trivialBounds` for DC_TRIVIAL.
std::vector<RECTL> ClipRects(const CLIPOBJ* pco, const RECTL& trivialBounds);

// ---- Colour translation ----------------------------------------------------
// XO_TRIVIAL (no translation), or XO_TABLE: source index -> 0x00BBGGRR, the
// table doubling as the source palette XLATEOBJ_piVector answers.
class Xlate : public XLATEOBJ {
 public:
  static std::unique_ptr<Xlate> Trivial();
  static std::unique_ptr<Xlate> Table(std::vector<ULONG> indexToRgb);
  ~Xlate();
  Xlate(const Xlate&) = delete;
  Xlate& operator=(const Xlate&) = delete;

 private:
  Xlate();
  std::vector<ULONG> table_;
};

// ---- Brushes ---------------------------------------------------------------
// A solid brush answers its colour (0x00BBGGRR) in iSolidColor. A hatch or
// pattern brush has iSolidColor 0xFFFFFFFF and is realised on first
// BRUSHOBJ_pvGetRbrush through the target device's DrvRealizeBrush (once; a
// refusal is remembered), with the pattern as a 1 bpp or colour bitmap.
class Brush : public BRUSHOBJ {
 public:
  static std::unique_ptr<Brush> Solid(ULONG rgb);
  // A standard hatch (HS_HORIZONTAL..HS_DIAGCROSS): 8x8 1 bpp, bit 0 foreground.
  static std::unique_ptr<Brush> Hatch(ULONG style, ULONG foregroundRgb, ULONG backgroundRgb, SURFOBJ* target);
  // A pattern bitmap (copied), with its colour table for indexed formats.
  static std::unique_ptr<Brush> Pattern(const SURFOBJ* pattern, std::vector<ULONG> palette, SURFOBJ* target);
  ~Brush();
  Brush(const Brush&) = delete;
  Brush& operator=(const Brush&) = delete;

  PVOID Allocate(ULONG cj);
  PVOID Realized();
  ULONG hatch() const { return hatch_; }
  // The pattern bitmap and its colour table (nullptr for a solid brush).
  const SURFOBJ* PatternSurface() const { return pattern_ != 0 ? SurfaceObject(pattern_) : nullptr; }
  const XLATEOBJ* PatternXlate() const { return xlate_.get(); }

 private:
  Brush();

  ULONG hatch_ = HS_DDI_MAX;
  SURFOBJ* target_ = nullptr;
  HSURF pattern_ = 0;
  std::unique_ptr<Xlate> xlate_;
  std::unique_ptr<unsigned char[]> realization_;
  bool tried_ = false;
};

// ---- Transforms ------------------------------------------------------------
// An affine transform out = (x*eM11 + y*eM21 + eDx, x*eM12 + y*eM22 + eDy),
// computed in double precision and rounded half away from zero.
class Xform : public XFORMOBJ {
 public:
  explicit Xform(const XFORML& m);
  static std::unique_ptr<Xform> Identity();
  ~Xform();
  Xform(const Xform&) = delete;
  Xform& operator=(const Xform&) = delete;

  const XFORML& matrix() const { return m_; }
  ULONG Kind() const;
  bool Apply(ULONG mode, ULONG count, const void* in, void* out) const;

 private:
  XFORML m_;
};

// ---- Fonts -----------------------------------------------------------------
// Where a device font's glyphs come from: a device font (one of the printer's
// own, described by DrvQueryFont) has no face here, so its glyph handles,
// advances and bitmaps are the graphics driver's (platform/gdi/device_font.h
// builds the source that asks it).
class DeviceGlyphSource {
 public:
  virtual ~DeviceGlyphSource() = default;
  // The glyph for a character through the driver's glyph set; the default
  // character's glyph when the set lacks it.
  virtual HGLYPH GlyphForChar(char32_t ch) = 0;
  virtual std::vector<HGLYPH> AllGlyphHandles() = 0;
  // Advance lengths along the baseline in 28.4 device units for `handles`, asked
  // of the driver in one go where it can; -1 for a glyph it gave none.
  virtual std::vector<FIX> Advances(FONTOBJ* font, const std::vector<HGLYPH>& handles) = 0;
  // The glyph's bitmap as the driver draws it: a GLYPHBITS block in `bits`
  // (left empty for a glyph without ink). False when the driver refuses.
  virtual bool Bitmap(FONTOBJ* font, HGLYPH hg, std::vector<unsigned char>* bits) = 0;
};

// An engine font from the host's faces (fontconfig, FreeType): the face the
// application asked for, or its metric-compatible stand-in, reported under the
// asked-for family name. Glyph handles are the face's glyph indices. The font's
// notional space is the face's design units with y pointing down; its transform
// maps that to device pixels (scale, rotation by lfEscapement counter-clockwise
// on the page, then `worldToDevice`). Or a device font, whose glyphs come from a
// DeviceGlyphSource.
class Font : public FONTOBJ {
 public:
  // Negative lfHeight is the em height, positive the cell height, 0 a 12-pixel em.
  // nullptr when no face can be opened.
  static std::unique_ptr<Font> Open(const LOGFONTW& logFont, const XFORML* worldToDevice = nullptr,
                                    SIZE resolutionDpi = {600, 600});
  // A device font the driver described with DrvQueryFont: the engine hands back
  // the driver's own IFIMETRICS and the given transform (notional units, y down,
  // to device pixels); glyphs come from `source` (none: no glyphs at all).
  static std::unique_ptr<Font> Device(ULONG iFace, IFIMETRICS* driverMetrics, const XFORML& notionalToDevice,
                                      std::shared_ptr<DeviceGlyphSource> source = nullptr,
                                      SIZE resolutionDpi = {600, 600});
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // The file fontconfig chose, and whether its outlines are CFF (not TrueType).
  const std::string& FilePath() const;
  bool IsCff() const;
  // The glyph for a character (0 = the face's missing glyph).
  HGLYPH GlyphForChar(char32_t ch) const;
  // Glyph data by mode (FO_HGLYPHS, FO_GLYPHBITS, FO_PATHOBJ); kept until the font goes.
  // A device font has advances and bitmaps only (no outlines).
  GLYPHDATA* Glyph(HGLYPH hg, ULONG mode);
  // Asks the advances of `handles` ahead of Glyph(FO_HGLYPHS), in one driver call
  // for a device font; nothing to do for an engine font.
  void PrepareAdvances(const std::vector<HGLYPH>& handles);
  bool IsDevice() const;
  std::vector<HGLYPH> AllGlyphHandles() const;
  IFIMETRICS* Metrics() const;
  Xform* Transform() const;
  void GetInfo(FONTINFO* info);

  struct Impl;

 private:
  Font();
  std::unique_ptr<Impl> impl_;
};

// The face fontconfig gives for a family name, after the substitutions Windows
// faces need (the Japanese faces by their meaning). Empty when none is found.
std::string MatchFaceFile(const std::u16string& family, bool bold, bool italic, int* faceIndex = nullptr);
// Whether the host has an outline face that answers to `family` itself (by its
// own name, or as the Windows face it stands in for), not just a fallback face.
bool HostFaceExists(const std::u16string& family);
// The outline families a font enumeration lists: the Windows faces that have a
// stand-in here (under their Windows names), then the host's own families.
std::vector<std::u16string> HostFontFamilies();

// ---- Text runs -------------------------------------------------------------
// One ExtTextOut run: glyph handles with their device origins, the wide text
// and its code page (0 when unknown). All positions are known up front, so
// pgp points at them and STROBJ_bEnum answers them in one batch.
class TextRun : public STROBJ {
 public:
  TextRun(std::vector<GLYPHPOS> glyphs, std::u16string text, DWORD codePage, FLONG accel, const RECTL& background,
          ULONG charInc = 0);
  ~TextRun();
  TextRun(const TextRun&) = delete;
  TextRun& operator=(const TextRun&) = delete;

  DWORD codePage() const { return codePage_; }
  void EnumStart() { enumerated_ = false; }
  bool Enum(ULONG* count, GLYPHPOS** glyphs);

 private:
  std::vector<GLYPHPOS> glyphs_;
  std::u16string text_;
  DWORD codePage_;
  bool enumerated_ = false;
};

}  // namespace platform::gdi
