// The drawing entries in the test's process on an engine device: the mix and
// ROP tables, the PDEV and application-ignore gates of every entry, the brush
// realisation through the engine, blits routed to the writers, to the engine
// and through its halftoning, paths cut into batches, and text.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/raster_ops.h"
#include "graphics/ddi/realized_brush.h"
#include "graphics/dispatch/path_dispatch.h"
#include "graphics/output/vector/vector_path.h"
#include "platform/gdi/drawing.h"
#include "platform/gdi/eng_services.h"
#include "tests/graphics/drawing_fixture.h"

namespace graphicstest {
namespace {

using platform::gdi::Brush;
using platform::gdi::Clip;
using platform::gdi::Path;
using platform::gdi::Xform;
using platform::gdi::Xlate;

constexpr MIX kCopyPenMix = 0x0D0D;
constexpr DWORD kRed = 0x0000FF;
constexpr DWORD kBlue = 0xFF0000;
constexpr DWORD kYellow = 0x00FFFF;
constexpr DWORD kWhite = 0xFFFFFF;

// ---- Mixes and ROPs -------------------------------------------------------------

TEST(RasterOps, MixToRop4GivesEachR2CodeItsRopByte) {
  // R2_BLACK .. R2_WHITE (1-16), foreground and background alike.
  const BYTE expected[17] = {0,    0x00, 0x05, 0x0A, 0x0F, 0x50, 0x55, 0x5A, 0x5F,
                             0xA0, 0xA5, 0xAA, 0xAF, 0xF0, 0xF5, 0xFA, 0xFF};
  for (MIX r2 = 1; r2 <= 16; ++r2) {
    SCOPED_TRACE(r2);
    EXPECT_EQ(MixToRop4(r2 << 8 | r2), static_cast<ROP4>(expected[r2] << 8 | expected[r2]));
  }
  EXPECT_EQ(MixToRop4(0x0D0B), 0xF0AAu);  // copy pen where the mask is set, no-op elsewhere
  EXPECT_EQ(MixToRop4(0x0B0D), 0xAAF0u);
}

TEST(RasterOps, Rop4ToRop3FollowsTheTableAndTheLanguage) {
  struct Row {
    ROP4 rop4;
    DWORD postScript;
    DWORD pcl;
  };
  constexpr DWORD kDefault = 0x12345678;
  const Row rows[] = {
      // clang-format off
      {0x0000, BLACKNESS, BLACKNESS},   {0x00AA, BLACKNESS, BLACKNESS},   {0x3333, NOTSRCCOPY, NOTSRCCOPY},
      {0x33AA, NOTSRCCOPY, NOTSRCCOPY}, {0x5A5A, PATINVERT, PATINVERT},   {0x5AAA, PATINVERT, PATINVERT},
      {0x8888, SRCAND, SRCAND},         {0x88AA, SRCAND, SRCAND},         {0xAAAA, 0xAA0029, 0xAA0029},
      {0xAAF0, PATCOPY, PATCOPY},       {0xF0AA, PATCOPY, PATCOPY},       {0xF0F0, PATCOPY, PATCOPY},
      {0xCCAA, SRCCOPY, SRCCOPY},       {0xCCCC, SRCCOPY, SRCCOPY},       {0xFFAA, WHITENESS, WHITENESS},
      // clang-format on
      {0xFFFF, WHITENESS, WHITENESS},
      // Not in the table: PostScript takes the default, PCL sends the code byte
      // unless the background leaves the page alone.
      {0x5555, kDefault, 0x555500},
      {0x6666, kDefault, 0x666600},
      {0xAA55, kDefault, kDefault},
      {0xEEEE, kDefault, 0xEEEE00},
      // Pattern AND page: painted as the brush on PostScript, sent as it is on PCL.
      {0xA0A0, PATCOPY, 0xA0A000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << row.rop4);
    EXPECT_EQ(Rop4ToRop3(row.rop4, true, kDefault), row.postScript);
    EXPECT_EQ(Rop4ToRop3(row.rop4, false, kDefault), row.pcl);
  }
}

// ---- Gates ----------------------------------------------------------------------

// One call of each drawing entry on a surface, with harmless arguments.
struct EntryCall {
  const char* name;
  std::function<BOOL(SURFOBJ*)> call;
};

std::vector<EntryCall> DrawingCalls() {
  static RECTL rect{10, 10, 20, 20};
  static POINTL origin{0, 0};
  static Path path;
  if (path.Empty()) {
    path.MoveTo({160, 160});
    path.LineTo({320, 160});
    path.LineTo({320, 320});
    path.CloseFigure();
  }
  static LINEATTRS line{};
  static std::unique_ptr<Brush> brush = Brush::Solid(0);
  static std::unique_ptr<Xform> xform = Xform::Identity();
  static Bitmap source(4, 4, BMF_24BPP);
  return {
      {"DrvBitBlt",
       [](SURFOBJ* s) {
         return DrvBitBlt(s, nullptr, nullptr, nullptr, nullptr, &rect, nullptr, nullptr, brush.get(), &origin, 0xF0F0);
       }},
      {"DrvStretchBlt",
       [](SURFOBJ* s) {
         RECTL from{0, 0, 4, 4};
         return DrvStretchBlt(s, source.get(), nullptr, nullptr, nullptr, nullptr, nullptr, &rect, &from, nullptr,
                              HALFTONE);
       }},
      {"DrvCopyBits", [](SURFOBJ* s) { return DrvCopyBits(s, source.get(), nullptr, nullptr, &rect, &origin); }},
      {"DrvTextOut",
       [](SURFOBJ* s) {
         return DrvTextOut(s, nullptr, nullptr, nullptr, nullptr, &rect, brush.get(), brush.get(), &origin,
                           kCopyPenMix);
       }},
      {"DrvStrokePath",
       [](SURFOBJ* s) {
         path.EnumStart();
         return DrvStrokePath(s, &path, nullptr, xform.get(), brush.get(), &origin, &line, kCopyPenMix);
       }},
      {"DrvFillPath",
       [](SURFOBJ* s) {
         path.EnumStart();
         return DrvFillPath(s, &path, nullptr, brush.get(), &origin, kCopyPenMix, FP_ALTERNATEMODE);
       }},
      {"DrvStrokeAndFillPath",
       [](SURFOBJ* s) {
         path.EnumStart();
         return DrvStrokeAndFillPath(s, &path, nullptr, xform.get(), brush.get(), &line, brush.get(), &origin,
                                     kCopyPenMix, FP_ALTERNATEMODE);
       }},
  };
}

TEST_F(DrawingTest, EveryEntryRefusesASurfaceWithoutThisLibrarysPdev) {
  Open(true);
  PDEV forged = *pdev();
  forged.signature = 0;
  SURFOBJ wrong = *surface();
  for (DHPDEV bad : {DHPDEV(nullptr), reinterpret_cast<DHPDEV>(&forged)}) {
    wrong.dhpdev = bad;
    for (const EntryCall& entry : DrawingCalls()) {
      SCOPED_TRACE(entry.name);
      SetLastError(0);
      EXPECT_FALSE(entry.call(&wrong));
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    SetLastError(0);
    EXPECT_FALSE(DrvRealizeBrush(Solid(0).get(), &wrong, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(DrvQueryFont(bad, 0, 1, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(DrvQueryFontTree(bad, 0, 1, QFT_GLYPHSET, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(static_cast<ULONG>(DrvQueryFontData(bad, nullptr, QFD_MAXEXTENTS, 0, nullptr, nullptr, 0)), FD_ERROR);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  EXPECT_EQ(Written(), "");
  EXPECT_TRUE(FakeRasterWriter().images.empty());
}

TEST_F(DrawingTest, WhileTheApplicationIsIgnoredEveryEntryDrawsNothing) {
  for (bool postScript : {true, false}) {
    SCOPED_TRACE(postScript ? "PostScript" : "PCL");
    Open(postScript);
    pdev()->job.applicationIgnore = 1;
    for (const EntryCall& entry : DrawingCalls()) {
      SCOPED_TRACE(entry.name);
      EXPECT_TRUE(entry.call(surface()));
    }
    EXPECT_TRUE(FakeRasterWriter().images.empty());
    EXPECT_TRUE(FakeTextWriter().runs.empty());
    EXPECT_EQ(Written(), "");
    TearDown();
    SetUp();
  }
}

// ---- Brushes --------------------------------------------------------------------

const RealizedBrush* Realized(BRUSHOBJ* brush) {
  return static_cast<const RealizedBrush*>(BRUSHOBJ_pvGetRbrush(brush));
}

TEST_F(DrawingTest, HatchBrushesAreRealisedAs32By8PatternsInTheirColours) {
  Open(false);
  for (ULONG style = HS_HORIZONTAL; style <= HS_DIAGCROSS; ++style) {
    SCOPED_TRACE(style);
    auto brush = Hatch(style, kRed, kYellow);
    const RealizedBrush* realized = Realized(brush.get());
    ASSERT_NE(realized, nullptr);
    EXPECT_EQ(realized->kind, kBrushKindHatch);
    EXPECT_EQ(realized->hatchStyle, style);
    EXPECT_EQ(realized->width, 32u);
    EXPECT_EQ(realized->height, 8u);
    // The hatch lines are the brush's colour, the gaps its background.
    EXPECT_EQ(realized->foreground, kRed);
    EXPECT_EQ(realized->background, kYellow);
  }
}

TEST_F(DrawingTest, SolidBrushesAreRealisedAsTheirColourOnWhite) {
  Open(true);
  auto brush = Solid(0x123456);
  ASSERT_TRUE(DrvRealizeBrush(brush.get(), surface(), nullptr, nullptr, nullptr, HS_DDI_MAX));
  const auto* realized = static_cast<const RealizedBrush*>(brush->pvRbrush);
  ASSERT_NE(realized, nullptr);
  EXPECT_EQ(realized->kind, kBrushKindSolid);
  EXPECT_EQ(realized->foreground, 0x123456u);
  EXPECT_EQ(realized->background, kWhite);
}

// A 10 x 3 1-bit pattern, rows 0b1100110011, 0b0011001100, 0b1111100000.
void DrawMonoPattern(const Bitmap& bitmap) {
  const BYTE rows[3][2] = {{0xCC, 0xC0}, {0x33, 0x00}, {0xF8, 0x00}};
  for (LONG y = 0; y < 3; ++y) std::memcpy(bitmap.Row(y), rows[y], 2);
}

TEST_F(DrawingTest, OneBitPatternsKeepTheirRowsTopDownWhateverTheBitmapsOrder) {
  Open(true);
  const BYTE expected[6] = {0xCC, 0xC0, 0x33, 0x00, 0xF8, 0x00};
  // Through the engine: it realises a pattern brush on first use.
  Bitmap topDown(10, 3, BMF_1BPP, true);
  DrawMonoPattern(topDown);
  auto brush = Brush::Pattern(topDown.get(), {kBlue, kYellow}, surface());
  const RealizedBrush* realized = Realized(brush.get());
  ASSERT_NE(realized, nullptr);
  EXPECT_EQ(realized->kind, kBrushKindPattern);
  EXPECT_EQ(realized->width, 10u);
  EXPECT_EQ(realized->height, 3u);
  EXPECT_EQ(std::memcmp(realized->bits, expected, sizeof expected), 0);
  EXPECT_EQ(realized->foreground, kBlue);  // index 0
  EXPECT_EQ(realized->background, kYellow);

  // A bottom-up bitmap handed in as it is, without a colour table.
  Bitmap bottomUp(10, 3, BMF_1BPP, false);
  ASSERT_LT(bottomUp.get()->lDelta, 0);
  DrawMonoPattern(bottomUp);
  auto holder = Solid(0);
  holder->iSolidColor = SOLID_COLOR_NONE;
  ASSERT_TRUE(DrvRealizeBrush(holder.get(), surface(), bottomUp.get(), nullptr, nullptr, HS_DDI_MAX));
  realized = static_cast<const RealizedBrush*>(holder->pvRbrush);
  EXPECT_EQ(std::memcmp(realized->bits, expected, sizeof expected), 0);
  EXPECT_EQ(realized->foreground, 0u);
  EXPECT_EQ(realized->background, kWhite);
}

TEST_F(DrawingTest, ColourPatternsAreDitheredAlikeInEveryDepth) {
  Open(true);
  // An 8 x 8 pattern: the left half a mid grey-blue, the right half white.
  const BYTE blue = 200, green = 120, red = 40;
  Bitmap deep(8, 8, BMF_24BPP), wide(8, 8, BMF_32BPP), indexed(8, 8, BMF_8BPP);
  for (LONG y = 0; y < 8; ++y) {
    for (LONG x = 0; x < 8; ++x) {
      const bool left = x < 4;
      BYTE* p24 = deep.Row(y) + 3 * x;
      BYTE* p32 = wide.Row(y) + 4 * x;
      p24[0] = p32[0] = left ? blue : 255;
      p24[1] = p32[1] = left ? green : 255;
      p24[2] = p32[2] = left ? red : 255;
      p32[3] = 0;
      indexed.Row(y)[x] = left ? 1 : 0;
    }
  }
  const ULONG palette[2] = {kWhite, static_cast<ULONG>(red | green << 8 | blue << 16)};
  std::vector<std::vector<BYTE>> results;
  std::pair<Bitmap*, std::vector<ULONG>> cases[] = {{&deep, {}}, {&wide, {}}, {&indexed, {palette[0], palette[1]}}};
  for (auto& [bitmap, colours] : cases) {
    auto brush = Brush::Pattern(bitmap->get(), colours, surface());
    const RealizedBrush* realized = Realized(brush.get());
    ASSERT_NE(realized, nullptr) << bitmap->get()->iBitmapFormat;
    EXPECT_EQ(realized->kind, kBrushKindPattern);
    EXPECT_EQ(realized->foreground, 0u);
    EXPECT_EQ(realized->background, kWhite);
    results.emplace_back(realized->bits, realized->bits + 8);
  }
  EXPECT_EQ(results[0], results[1]) << "32-bit pixels are blue, green, red like 24-bit ones";
  EXPECT_EQ(results[0], results[2]);
  // White stays paper (1 bits), the grey gets ink somewhere.
  int ink = 0;
  for (BYTE row : results[0]) {
    EXPECT_EQ(row & 0x0F, 0x0F);
    ink += 4 - __builtin_popcount(row >> 4);
  }
  EXPECT_GT(ink, 0);
}

TEST_F(DrawingTest, AnIndexedPatternWithoutAPaletteIsNotRealised) {
  Open(true);
  Bitmap indexed(8, 8, BMF_8BPP);
  auto brush = Brush::Pattern(indexed.get(), {}, surface());
  EXPECT_EQ(Realized(brush.get()), nullptr);
}

// ---- Blits: pattern fills -------------------------------------------------------

TEST_F(DrawingTest, APatternBlitIsOneRectangleIn28Point4WithTheClipsBounds) {
  Open(true);
  auto brush = Solid(kRed);
  RECTL target{-5, 10, 40, 30};
  POINTL origin{0, 0};
  auto clip = Clip::Rectangle(RECTL{0, 0, 30, 25});
  ASSERT_TRUE(DrvBitBlt(surface(), nullptr, nullptr, clip.get(), nullptr, &target, nullptr, nullptr, brush.get(),
                        &origin, 0xF0F0));
  ASSERT_TRUE(DrvBitBlt(surface(), nullptr, nullptr, nullptr, nullptr, &target, nullptr, nullptr, brush.get(), &origin,
                        0x5A5A));
  const auto& rects = FakeVectorWriter().rectangles;
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[0].rect.left, 0);  // a negative edge starts at the page
  EXPECT_EQ(rects[0].rect.top, 160);
  EXPECT_EQ(rects[0].rect.right, 640);
  EXPECT_EQ(rects[0].rect.bottom, 480);
  EXPECT_EQ(rects[0].fill, brush.get());
  EXPECT_EQ(rects[0].line, nullptr);
  EXPECT_EQ(rects[0].lineRgb, 0u);
  EXPECT_EQ(rects[0].rop3, static_cast<DWORD>(PATCOPY));
  ASSERT_TRUE(rects[0].clip.has_value());
  EXPECT_EQ(rects[0].clip->right, 30);
  EXPECT_EQ(rects[0].clip->bottom, 25);
  EXPECT_TRUE(rects[0].reportFailure);
  EXPECT_FALSE(rects[0].noPaint);
  EXPECT_FALSE(rects[1].clip.has_value());
  EXPECT_EQ(rects[1].rop3, static_cast<DWORD>(PATINVERT));
  EXPECT_TRUE(FakeRasterWriter().images.empty());
}

TEST_F(DrawingTest, ANoOpBlitDrawsNothing) {
  Open(false);
  RECTL target{0, 0, 10, 10};
  auto brush = Solid(0);
  EXPECT_TRUE(DrvBitBlt(surface(), nullptr, nullptr, nullptr, nullptr, &target, nullptr, nullptr, brush.get(), nullptr,
                        0xAAAA));
  // Nor anything while a banner is captured.
  pdev()->carried.captureFlags |= kCaptureBanner;
  EXPECT_TRUE(DrvBitBlt(surface(), nullptr, nullptr, nullptr, nullptr, &target, nullptr, nullptr, brush.get(), nullptr,
                        0xF0F0));
  EXPECT_TRUE(FakeVectorWriter().rectangles.empty());
  EXPECT_TRUE(FakeRasterWriter().images.empty());
  EXPECT_EQ(Written(), "");
}

// Two rectangles side by side with a gap: a region the writers cannot clip to.
std::unique_ptr<Clip> TwoRectRegion() { return Clip::Region({RECTL{10, 10, 20, 20}, RECTL{30, 10, 40, 20}}); }

// The squares a test saw filled: rectangles, and paths that are rectangles.
std::vector<RECTL> FilledBoxes(BRUSHOBJ* brush) {
  std::vector<RECTL> boxes;
  for (const auto& r : FakeVectorWriter().rectangles) {
    EXPECT_EQ(r.fill, brush);
    boxes.push_back(r.rect);
  }
  for (const auto& p : FakeVectorWriter().paths) {
    EXPECT_EQ(p.fill, brush);
    RECTL box{};
    if (GetAxisAlignedRect(p.points.data(), static_cast<int>(p.points.size()), &box)) boxes.push_back(box);
  }
  return boxes;
}

TEST_F(DrawingTest, APatternBlitThroughAComplexClipFillsTheRegionsOutline) {
  for (BYTE mode : {BYTE(TC_RECTANGLES), BYTE(TC_PATHOBJ)}) {
    SCOPED_TRACE(int(mode));
    Open(false);
    auto brush = Solid(kRed);
    auto region = TwoRectRegion();
    ASSERT_EQ(region->iDComplexity, DC_COMPLEX);
    region->iMode = mode;  // an engine clip already in path mode is drawn all the same
    RECTL target = region->rclBounds;
    ASSERT_TRUE(DrvBitBlt(surface(), nullptr, nullptr, region.get(), nullptr, &target, nullptr, nullptr, brush.get(),
                          nullptr, 0xF0F0));
    EXPECT_EQ(region->iMode, mode) << "the engine's clip is given back as it came";
    // Both squares of the outline, filled even-odd within the target.
    const std::vector<RECTL> boxes = FilledBoxes(brush.get());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].left, 160);
    EXPECT_EQ(boxes[0].right, 320);
    EXPECT_EQ(boxes[1].left, 480);
    for (const auto& p : FakeVectorWriter().paths) {
      EXPECT_EQ(p.fillRule, kPathFillAlternate);
      ASSERT_TRUE(p.clip.has_value());
      EXPECT_EQ(p.clip->left, 10);
      EXPECT_EQ(p.clip->right, 40);
    }
    TearDown();
    SetUp();
  }
}

// A pattern brush whose realisation the library refuses (an indexed pattern
// without colours): no writer can select it.
struct UnselectableBrush {
  explicit UnselectableBrush(SURFOBJ* target)
      : pattern(8, 8, BMF_8BPP), brush(Brush::Pattern(pattern.get(), {}, target)) {}
  Bitmap pattern;
  std::unique_ptr<Brush> brush;
};

TEST_F(DrawingTest, APatternFillTheWriterCannotSelectIsReportedNotDropped) {
  Open(false);
  UnselectableBrush unselectable(surface());
  auto region = TwoRectRegion();
  RECTL target = region->rclBounds;
  EXPECT_FALSE(DrvBitBlt(surface(), nullptr, nullptr, region.get(), nullptr, &target, nullptr, nullptr,
                         unselectable.brush.get(), nullptr, 0xF0F0));
}

TEST_F(DrawingTest, ABrushThroughAMaskGoesToTheRasterWriterAsAMask) {
  Open(true);
  Bitmap mask(16, 8, BMF_1BPP);
  auto brush = Solid(0);
  RECTL target{100, 50, 116, 58};
  POINTL maskOrigin{0, 0};
  ASSERT_TRUE(DrvBitBlt(surface(), nullptr, mask.get(), nullptr, nullptr, &target, nullptr, &maskOrigin, brush.get(),
                        nullptr, 0xAAF0));
  EXPECT_TRUE(FakeVectorWriter().rectangles.empty()) << "the glyph's box is not painted";
  ASSERT_EQ(FakeRasterWriter().images.size(), 1u);
  const ImageCall& image = FakeRasterWriter().images[0];
  EXPECT_EQ(image.source.pvScan0, mask.get()->pvScan0);
  // The brush goes through the set pixels only (the background is 0xAA).
  EXPECT_EQ(image.placement, kImagePlaceInkWhereSet);
  EXPECT_EQ(image.rop3, static_cast<DWORD>(PATCOPY));
  EXPECT_EQ(image.dest.left, 100);
  EXPECT_EQ(image.sourceRect->right, 16);
}

// ---- Blits: images --------------------------------------------------------------

TEST_F(DrawingTest, APostScriptBlitWritesItsRopCommentAndTheImage) {
  Open(true);
  Bitmap colour(8, 8, BMF_24BPP);
  RECTL target{100, 100, 108, 108};
  POINTL from{0, 0};
  auto clip = Clip::Rectangle(RECTL{0, 0, 104, 200});
  ASSERT_TRUE(DrvBitBlt(surface(), colour.get(), nullptr, clip.get(), nullptr, &target, &from, nullptr, nullptr,
                        nullptr, 0x8888));
  EXPECT_EQ(Written(), "\n%BB[8888]\n");
  ASSERT_EQ(FakeRasterWriter().images.size(), 1u);
  const ImageCall& image = FakeRasterWriter().images[0];
  EXPECT_EQ(image.source.iBitmapFormat, static_cast<ULONG>(BMF_24BPP));
  EXPECT_EQ(image.rop3, static_cast<DWORD>(SRCAND));
  EXPECT_EQ(image.placement, kImagePlaceClipped);
  ASSERT_TRUE(image.clip.has_value());
  EXPECT_EQ(image.clip->right, 104);
}

TEST_F(DrawingTest, APclColourBlitIsHalftonedAndComesBackWithItsRop) {
  Open(false);
  Bitmap colour(8, 8, BMF_24BPP);
  for (LONG y = 0; y < 8; ++y) std::memset(colour.Row(y), 0x80, 24);
  RECTL target{100, 100, 116, 116};
  POINTL from{0, 0};
  ASSERT_TRUE(
      DrvBitBlt(surface(), colour.get(), nullptr, nullptr, nullptr, &target, &from, nullptr, nullptr, nullptr, 0x8888));
  ASSERT_EQ(FakeRasterWriter().images.size(), 1u);
  const ImageCall& image = FakeRasterWriter().images[0];
  // The engine's halftone: 1 bit, black and white, in the announced format.
  EXPECT_EQ(image.source.iBitmapFormat, static_cast<ULONG>(BMF_1BPP));
  EXPECT_EQ(image.colors, (std::vector<ULONG>{0, kWhite}));
  EXPECT_EQ(image.rop3, static_cast<DWORD>(SRCAND));
  EXPECT_EQ(image.bltState, kBltHalftoned);
  EXPECT_EQ(image.dest.left, 100);
  EXPECT_EQ(image.dest.right, 116);
  // Nothing is left pending for the next call.
  EXPECT_EQ(pdev()->drawing.bltState, kBltNone);
  EXPECT_EQ(pdev()->drawing.pendingRop, 0u);
}

TEST_F(DrawingTest, APclOneBitBlitIsDrawnDirectlyOnlyInBlackAndWhite) {
  struct Case {
    std::vector<ULONG> colors;
    bool direct;
  };
  const Case cases[] = {{{kWhite, 0}, true}, {{0, kWhite}, true}, {{kRed, kWhite}, false}};
  Open(false);
  for (const Case& c : cases) {
    FakeRasterWriter().Reset();
    Bitmap mono(16, 4, BMF_1BPP);
    auto xlate = Xlate::Table(c.colors);
    RECTL target{0, 0, 16, 4};
    POINTL from{0, 0};
    ASSERT_TRUE(DrvBitBlt(surface(), mono.get(), nullptr, nullptr, xlate.get(), &target, &from, nullptr, nullptr,
                          nullptr, 0xCCCC));
    ASSERT_EQ(FakeRasterWriter().images.size(), 1u);
    const ImageCall& image = FakeRasterWriter().images[0];
    EXPECT_EQ(image.source.pvScan0 == mono.get()->pvScan0, c.direct);
    EXPECT_EQ(image.colors, c.direct ? c.colors : (std::vector<ULONG>{0, kWhite}));
  }
}

TEST_F(DrawingTest, BlacknessIsRenderedByTheEngineAndComesBackAsBlackBits) {
  Open(false);
  RECTL target{8, 8, 24, 16};
  ASSERT_TRUE(
      DrvBitBlt(surface(), nullptr, nullptr, nullptr, nullptr, &target, nullptr, nullptr, nullptr, nullptr, 0x0000));
  ASSERT_EQ(FakeRasterWriter().images.size(), 1u);
  const ImageCall& image = FakeRasterWriter().images[0];
  EXPECT_EQ(image.source.iBitmapFormat, static_cast<ULONG>(BMF_1BPP));
  ASSERT_EQ(image.rows.size(), 8u);
  for (const auto& row : image.rows) EXPECT_EQ(row[0], 0) << "index 0 is black";
  EXPECT_EQ(image.rop3, static_cast<DWORD>(SRCCOPY));
}

TEST_F(DrawingTest, AFailedImageIsReportedToTheEngine) {
  Open(true);
  FakeRasterWriter().result = FALSE;
  Bitmap colour(8, 8, BMF_24BPP);
  RECTL target{0, 0, 8, 8}, from{0, 0, 8, 8};
  POINTL origin{0, 0};
  EXPECT_FALSE(DrvBitBlt(surface(), colour.get(), nullptr, nullptr, nullptr, &target, &origin, nullptr, nullptr,
                         nullptr, 0xCCCC));
  EXPECT_FALSE(DrvStretchBlt(surface(), colour.get(), nullptr, nullptr, nullptr, nullptr, nullptr, &target, &from,
                             nullptr, HALFTONE));
  EXPECT_FALSE(DrvCopyBits(surface(), colour.get(), nullptr, nullptr, &target, &origin));
}

TEST_F(DrawingTest, ReadingTheDeviceBackGivesBlankPaper) {
  Open(false);
  Bitmap back(16, 4, BMF_24BPP);
  for (LONG y = 0; y < 4; ++y) std::memset(back.Row(y), 0x00, 48);
  RECTL rect{0, 0, 16, 4};
  POINTL from{100, 100};
  ASSERT_TRUE(DrvCopyBits(back.get(), surface(), nullptr, nullptr, &rect, &from));
  for (LONG y = 0; y < 4; ++y)
    for (int b = 0; b < 48; ++b) ASSERT_EQ(back.Row(y)[b], 0xFF);
  // A copy between two bitmaps is no call of this library's.
  Bitmap other(16, 4, BMF_24BPP);
  SetLastError(0);
  EXPECT_FALSE(DrvCopyBits(back.get(), other.get(), nullptr, nullptr, &rect, &from));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DrawingTest, ColourHandedBackByTheEngineIsDrawnAfterOneMoreRound) {
  Open(false);
  // An engine that halftones to colour gives the library colour back: it asks
  // once more and then draws what it gets, instead of asking for ever.
  platform::gdi::SetDeviceHalftoneFormat(device(), HT_FORMAT_24BPP);
  Bitmap colour(8, 8, BMF_24BPP);
  RECTL target{0, 0, 8, 8};
  POINTL from{0, 0};
  ASSERT_TRUE(
      DrvBitBlt(surface(), colour.get(), nullptr, nullptr, nullptr, &target, &from, nullptr, nullptr, nullptr, 0xCCCC));
  ASSERT_EQ(FakeRasterWriter().images.size(), 1u);
  EXPECT_EQ(FakeRasterWriter().images[0].bltState, kBltHalftonedAgain);
  EXPECT_EQ(pdev()->drawing.bltState, kBltNone);
}

TEST_F(DrawingTest, APclCopyThroughAComplexClipXorsPaintsTheRegionAndXorsAgain) {
  Open(false);
  Bitmap mono(64, 32, BMF_1BPP);
  auto xlate = Xlate::Table({0, kWhite});
  auto region = TwoRectRegion();
  RECTL target{10, 10, 40, 20};
  POINTL from{10, 5};
  ASSERT_TRUE(DrvCopyBits(surface(), mono.get(), region.get(), xlate.get(), &target, &from));
  const auto& images = FakeRasterWriter().images;
  ASSERT_EQ(images.size(), 2u);
  for (const ImageCall& image : images) {
    EXPECT_EQ(image.rop3, static_cast<DWORD>(SRCINVERT));
    EXPECT_EQ(image.placement, kImagePlaceGrey);
    EXPECT_FALSE(image.clip.has_value());
    // Two pixels more on each side, the source widened with it (1:1).
    EXPECT_EQ(image.dest.left, 8);
    EXPECT_EQ(image.dest.right, 42);
    EXPECT_EQ(image.sourceRect->left, 8);
    EXPECT_EQ(image.sourceRect->right, 42);
  }
  // Between them the region (its two squares) is painted black, within the
  // widened destination.
  const auto& paths = FakeVectorWriter().paths;
  ASSERT_EQ(paths.size(), 2u);
  for (const auto& p : paths) {
    ASSERT_NE(p.fill, nullptr);
    EXPECT_EQ(p.fill->iSolidColor, 0u);
    EXPECT_FALSE(p.noPaint);
    ASSERT_TRUE(p.clip.has_value());
    EXPECT_EQ(p.clip->left, 8);
    EXPECT_EQ(p.clip->right, 42);
  }
}

TEST_F(DrawingTest, APostScriptCopyThroughAComplexClipClipsToTheRegionsOutline) {
  Open(true);
  Bitmap colour(64, 32, BMF_24BPP);
  auto region = TwoRectRegion();
  RECTL target{10, 10, 40, 20};
  POINTL from{0, 0};
  ASSERT_TRUE(DrvCopyBits(surface(), colour.get(), region.get(), nullptr, &target, &from));
  const std::string out = Written();
  EXPECT_EQ(out.rfind("gs\n", 0), 0u) << out;
  EXPECT_NE(out.find(" eoclip np\n"), std::string::npos);
  EXPECT_EQ(out.substr(out.size() - 3), "gr\n");
  ASSERT_EQ(FakeRasterWriter().images.size(), 1u);
  EXPECT_FALSE(FakeRasterWriter().images[0].clip.has_value());
  EXPECT_EQ(FakeRasterWriter().images[0].rop3, static_cast<DWORD>(SRCCOPY));
  // The outline is written as a path and painted by nothing.
  const auto& paths = FakeVectorWriter().paths;
  ASSERT_EQ(paths.size(), 2u);
  for (const auto& p : paths) {
    EXPECT_TRUE(p.noPaint);
    EXPECT_EQ(p.fill, nullptr);
    EXPECT_EQ(p.line, nullptr);
    EXPECT_FALSE(p.clip.has_value());
  }
}

TEST_F(DrawingTest, AStretchToABottomUpDestinationReadsTheSourceRowsBackwards) {
  Open(true);
  for (bool topDown : {true, false}) {
    SCOPED_TRACE(topDown ? "top-down source" : "bottom-up source");
    FakeRasterWriter().Reset();
    Mark();
    Bitmap source(8, 4, BMF_8BPP, topDown);
    for (LONG y = 0; y < 4; ++y) std::memset(source.Row(y), 10 * (y + 1), 8);
    // The destination given bottom to top; the source's rows 1-2 only.
    RECTL dest{0, 40, 16, 0}, from{0, 1, 8, 3};
    ASSERT_TRUE(DrvStretchBlt(surface(), source.get(), nullptr, nullptr, nullptr, nullptr, nullptr, &dest, &from,
                              nullptr, COLORONCOLOR));
    EXPECT_EQ(Written(), "\n%SB[t>b]\n");
    ASSERT_EQ(FakeRasterWriter().images.size(), 1u);
    const ImageCall& image = FakeRasterWriter().images[0];
    EXPECT_EQ(image.dest.top, 0);
    EXPECT_EQ(image.dest.bottom, 40);
    ASSERT_EQ(image.rows.size(), 2u);
    EXPECT_EQ(image.rows[0][0], 30) << "source row 2 first";
    EXPECT_EQ(image.rows[1][0], 20);
  }
}

TEST_F(DrawingTest, AStretchGoesThroughTheEngineWithAColourAdjustmentOrOnPcl) {
  for (bool postScript : {true, false}) {
    SCOPED_TRACE(postScript ? "PostScript" : "PCL");
    Open(postScript);
    Bitmap colour(8, 8, BMF_24BPP);
    RECTL dest{0, 0, 16, 16}, from{0, 0, 8, 8};
    COLORADJUSTMENT adjustment{};
    adjustment.caSize = sizeof adjustment;
    COLORADJUSTMENT* adjust = postScript ? &adjustment : nullptr;
    ASSERT_TRUE(DrvStretchBlt(surface(), colour.get(), nullptr, nullptr, nullptr, adjust, nullptr, &dest, &from,
                              nullptr, HALFTONE));
    ASSERT_EQ(FakeRasterWriter().images.size(), 1u);
    EXPECT_EQ(FakeRasterWriter().images[0].source.iBitmapFormat, static_cast<ULONG>(BMF_1BPP));
    EXPECT_EQ(FakeRasterWriter().images[0].bltState, postScript ? kBltColorAdjusted : kBltHalftoned);
    EXPECT_EQ(pdev()->drawing.bltState, kBltNone);
    TearDown();
    SetUp();
  }
}

// ---- Paths ----------------------------------------------------------------------

// A figure of two lines and a curve, left open, then a closed triangle.
std::unique_ptr<Path> MixedPath() {
  auto path = std::make_unique<Path>();
  path->MoveTo({0, 0});
  path->LineTo({160, 0});
  path->LineTo({160, 160});
  path->BezierTo({200, 200}, {240, 160}, {320, 320});
  path->MoveTo({400, 400});
  path->LineTo({480, 400});
  path->LineTo({480, 480});
  path->CloseFigure();
  return path;
}

TEST_F(DrawingTest, APathGoesToTheWriterBatchByBatch) {
  Open(false);
  auto path = MixedPath();
  auto pen = Solid(kBlue);
  auto xform = Xform::Identity();
  LINEATTRS line{};
  ASSERT_TRUE(DrvStrokePath(surface(), path.get(), nullptr, xform.get(), pen.get(), nullptr, &line, kCopyPenMix));
  const auto& paths = FakeVectorWriter().paths;
  ASSERT_EQ(paths.size(), 3u);
  // Lines of the first figure: it starts here and goes on.
  EXPECT_EQ(paths[0].batchFlags, kPathBatchFirst | 0);
  EXPECT_EQ(paths[0].points.size(), 3u);
  // The curve goes on from the last point of the lines, and ends the figure.
  EXPECT_EQ(paths[1].batchFlags, 3);
  ASSERT_EQ(paths[1].points.size(), 4u);
  EXPECT_EQ(paths[1].points[0].x, 160);
  EXPECT_EQ(paths[1].points[0].y, 160);
  EXPECT_EQ(paths[1].points[3].x, 320);
  // The triangle, closed, last.
  EXPECT_EQ(paths[2].batchFlags, kPathBatchLast | kPathBatchClosed | 2);
  EXPECT_EQ(pdev()->job.pathKind, 1) << "the last batch has lines only";
  for (const auto& p : paths) {
    EXPECT_EQ(p.line, &line);
    EXPECT_EQ(p.xform, xform.get());
    EXPECT_EQ(p.fill, nullptr);
    EXPECT_EQ(p.lineRgb, kBlue);
    EXPECT_EQ(p.rop3, static_cast<DWORD>(PATCOPY));
    EXPECT_FALSE(p.clip.has_value());
    EXPECT_TRUE(p.reportFailure);
  }
}

TEST_F(DrawingTest, TheBatchOfCurvesIsMarkedForTheWriter) {
  Open(false);
  Path curve;
  curve.MoveTo({0, 0});
  curve.BezierTo({16, 16}, {32, 16}, {48, 0});
  auto pen = Solid(0);
  LINEATTRS line{};
  // The writer reads the path kind while it writes the batch: a path of one
  // curve leaves it at 2.
  ASSERT_TRUE(DrvStrokePath(surface(), &curve, nullptr, nullptr, pen.get(), nullptr, &line, kCopyPenMix));
  EXPECT_EQ(pdev()->job.pathKind, 2);
  ASSERT_EQ(FakeVectorWriter().paths.size(), 1u);
  EXPECT_EQ(FakeVectorWriter().paths[0].batchFlags, kPathBatchFirst | kPathBatchLast | 2);
}

TEST_F(DrawingTest, FillsTakeTheirRuleAndStrokeAndFillBothBrushes) {
  Open(false);
  auto path = MixedPath();
  auto pen = Solid(kBlue);
  auto fill = Solid(kRed);
  auto xform = Xform::Identity();
  LINEATTRS line{};
  auto clip = Clip::Rectangle(RECTL{0, 0, 50, 60});
  ASSERT_TRUE(DrvFillPath(surface(), path.get(), clip.get(), fill.get(), nullptr, kCopyPenMix, FP_WINDINGMODE));
  ASSERT_TRUE(DrvFillPath(surface(), path.get(), nullptr, fill.get(), nullptr, kCopyPenMix, FP_ALTERNATEMODE));
  ASSERT_TRUE(DrvStrokeAndFillPath(surface(), path.get(), nullptr, xform.get(), pen.get(), &line, fill.get(), nullptr,
                                   0x0606, FP_ALTERNATEMODE));
  const auto& paths = FakeVectorWriter().paths;
  ASSERT_EQ(paths.size(), 9u);
  EXPECT_EQ(paths[0].fillRule, kPathFillWinding);
  EXPECT_EQ(paths[0].fill, fill.get());
  EXPECT_EQ(paths[0].line, nullptr);
  EXPECT_EQ(paths[0].lineRgb, kRed);
  ASSERT_TRUE(paths[0].clip.has_value());
  EXPECT_EQ(paths[0].clip->bottom, 60);
  EXPECT_EQ(paths[3].fillRule, kPathFillAlternate);
  EXPECT_EQ(paths[6].line, &line);
  EXPECT_EQ(paths[6].fill, fill.get());
  EXPECT_EQ(paths[6].lineRgb, kBlue);
  EXPECT_EQ(paths[6].rop3, 0x555500u) << "the fill's mix (R2_NOT) on PCL";
}

TEST_F(DrawingTest, AComplexClipIsLeftToTheEngine) {
  Open(true);
  auto path = MixedPath();
  auto brush = Solid(0);
  auto region = TwoRectRegion();
  LINEATTRS line{};
  EXPECT_FALSE(DrvStrokePath(surface(), path.get(), region.get(), nullptr, brush.get(), nullptr, &line, kCopyPenMix));
  EXPECT_FALSE(DrvFillPath(surface(), path.get(), region.get(), brush.get(), nullptr, kCopyPenMix, FP_WINDINGMODE));
  EXPECT_FALSE(DrvStrokeAndFillPath(surface(), path.get(), region.get(), nullptr, brush.get(), &line, brush.get(),
                                    nullptr, kCopyPenMix, FP_WINDINGMODE));
  EXPECT_TRUE(FakeVectorWriter().paths.empty() && FakeVectorWriter().rectangles.empty());
  // Unless a caller asks for the region's bounds to do.
  EXPECT_TRUE(DrvFillPath(surface(), path.get(), region.get(), brush.get(), nullptr, kCopyPenMix, 15));
  ASSERT_FALSE(FakeVectorWriter().paths.empty());
  EXPECT_EQ(FakeVectorWriter().paths[0].clip->right, 40);
}

TEST_F(DrawingTest, ANoOpPathIsSkippedOnPclAndWrittenUnpaintedOnPostScript) {
  constexpr MIX kNop = 0x0B0B;
  for (bool postScript : {false, true}) {
    SCOPED_TRACE(postScript ? "PostScript" : "PCL");
    Open(postScript);
    auto path = MixedPath();
    auto brush = Solid(0);
    ASSERT_TRUE(DrvFillPath(surface(), path.get(), nullptr, brush.get(), nullptr, kNop, FP_WINDINGMODE));
    const auto& log = FakeVectorWriter();
    if (!postScript) {
      EXPECT_TRUE(log.paths.empty() && log.rectangles.empty());
    } else {
      ASSERT_FALSE(log.paths.empty());
      for (const auto& p : log.paths) EXPECT_TRUE(p.noPaint);
    }
    // Inside an application's path the call is part of it.
    FakeVectorWriter().Reset();
    pdev()->job.pathEscapeDepth = 1;
    ASSERT_TRUE(DrvFillPath(surface(), path.get(), nullptr, brush.get(), nullptr, kNop, FP_WINDINGMODE));
    ASSERT_FALSE(log.paths.empty());
    for (const auto& p : log.paths) EXPECT_FALSE(p.noPaint);
    TearDown();
    SetUp();
  }
}

TEST_F(DrawingTest, AWriterThatFailsFailsThePath) {
  Open(false);
  FakeVectorWriter().result = FALSE;
  auto path = MixedPath();
  auto brush = Solid(0);
  EXPECT_FALSE(DrvFillPath(surface(), path.get(), nullptr, brush.get(), nullptr, kCopyPenMix, FP_WINDINGMODE));
  EXPECT_EQ(FakeVectorWriter().paths.size(), 1u) << "nothing more is written after a failed batch";
}

// ---- Text -----------------------------------------------------------------------

TEST_F(DrawingTest, TheOpaqueBoxIsARectangleOnPostScriptAndAClosedPathOnPcl) {
  for (bool postScript : {true, false}) {
    SCOPED_TRACE(postScript ? "PostScript" : "PCL");
    Open(postScript);
    auto fore = Solid(0);
    auto back = Solid(kYellow);
    RECTL opaque{10, 20, 110, 40};
    STROBJ run{};
    ASSERT_TRUE(
        DrvTextOut(surface(), &run, nullptr, nullptr, nullptr, &opaque, fore.get(), back.get(), nullptr, kCopyPenMix));
    const auto& log = FakeVectorWriter();
    if (postScript) {
      ASSERT_EQ(log.rectangles.size(), 1u);
      EXPECT_EQ(log.rectangles[0].rect.left, 160);
      EXPECT_EQ(log.rectangles[0].rect.bottom, 640);
      EXPECT_EQ(log.rectangles[0].fill, back.get());
      EXPECT_EQ(log.rectangles[0].lineRgb, kYellow);
      EXPECT_EQ(log.rectangles[0].rop3, static_cast<DWORD>(PATCOPY));
    } else {
      ASSERT_EQ(log.paths.size(), 1u);
      EXPECT_EQ(log.paths[0].points.size(), 4u);
      EXPECT_EQ(log.paths[0].batchFlags, kPathBatchFirst | kPathBatchLast | kPathBatchClosed | 2);
      EXPECT_EQ(log.paths[0].fillRule, kPathFillAlternate);
      EXPECT_EQ(log.paths[0].fill, back.get());
    }
    ASSERT_EQ(FakeTextWriter().runs.size(), 1u);
    EXPECT_EQ(FakeTextWriter().runs[0].text, &run);
    EXPECT_EQ(FakeTextWriter().runs[0].foreground, fore.get());
    EXPECT_EQ(FakeTextWriter().runs[0].opaque, back.get());
    TearDown();
    SetUp();
  }
}

TEST_F(DrawingTest, ANoOpBackgroundIsDrawnOnlyInsideAnApplicationsPath) {
  Open(true);
  auto brush = Solid(0);
  RECTL opaque{10, 20, 110, 40};
  STROBJ run{};
  ASSERT_TRUE(
      DrvTextOut(surface(), &run, nullptr, nullptr, nullptr, &opaque, brush.get(), brush.get(), nullptr, 0x0B0B));
  EXPECT_TRUE(FakeVectorWriter().rectangles.empty());
  pdev()->job.pathEscapeDepth = 1;
  ASSERT_TRUE(
      DrvTextOut(surface(), &run, nullptr, nullptr, nullptr, &opaque, brush.get(), brush.get(), nullptr, 0x0B0B));
  EXPECT_EQ(FakeVectorWriter().rectangles.size(), 1u);
}

TEST_F(DrawingTest, ADeviceFontOutsideThePdevsListIsRefused) {
  Open(true);
  auto brush = Solid(0);
  STROBJ run{};
  FONTOBJ font{};
  font.flFontType = DEVICE_FONTTYPE;
  for (ULONG face : {0u, 1u, 2u}) {
    SCOPED_TRACE(face);
    font.iFace = face;
    SetLastError(0);
    EXPECT_FALSE(
        DrvTextOut(surface(), &run, &font, nullptr, nullptr, nullptr, brush.get(), brush.get(), nullptr, kCopyPenMix));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  EXPECT_TRUE(FakeTextWriter().runs.empty());
}

TEST_F(DrawingTest, TextTheWriterRefusesIsLeftToTheEngine) {
  Open(true);
  FakeTextWriter().result = FALSE;
  auto brush = Solid(0);
  STROBJ run{};
  EXPECT_FALSE(
      DrvTextOut(surface(), &run, nullptr, nullptr, nullptr, nullptr, brush.get(), brush.get(), nullptr, kCopyPenMix));
}

TEST_F(DrawingTest, UnderlinesOfATextRunAreDrawnInTheTextsBrush) {
  Open(true);
  auto fore = Solid(kBlue);
  STROBJ run{};
  RECTL bars[] = {{10, 50, 90, 52}, {10, 40, 90, 41}, {0, 0, 0, 0}};
  ASSERT_TRUE(DrvTextOut(surface(), &run, nullptr, nullptr, bars, nullptr, fore.get(), nullptr, nullptr, kCopyPenMix));
  const auto& rects = FakeVectorWriter().rectangles;
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[0].fill, fore.get());
  EXPECT_EQ(rects[0].rect.top, 800);
  EXPECT_EQ(rects[1].rect.bottom, 656);
}

TEST_F(DrawingTest, TextInAComplexRegionStaysInsideIt) {
  // PostScript: the region's outline is the clip of the whole run.
  Open(true);
  auto brush = Solid(0);
  STROBJ run{};
  auto region = TwoRectRegion();
  RECTL opaque{0, 0, 50, 30};
  ASSERT_TRUE(DrvTextOut(surface(), &run, nullptr, region.get(), nullptr, &opaque, brush.get(), brush.get(), nullptr,
                         kCopyPenMix));
  std::string out = Written();
  EXPECT_EQ(out.rfind("gs\n", 0), 0u) << out;
  EXPECT_NE(out.find(" eoclip np\n"), std::string::npos) << out;
  EXPECT_EQ(out.substr(out.size() - 3), "gr\n");
  // The background inside the bracket, unclipped there.
  ASSERT_EQ(FakeVectorWriter().rectangles.size(), 1u);
  EXPECT_FALSE(FakeVectorWriter().rectangles[0].clip.has_value());
  ASSERT_EQ(FakeTextWriter().runs.size(), 1u);
  EXPECT_EQ(FakeTextWriter().runs[0].clip->iDComplexity, DC_TRIVIAL);
  TearDown();
  SetUp();

  // PCL: the background cut to the region's rectangles, the glyphs to its bounds.
  Open(false);
  region = TwoRectRegion();
  brush = Solid(0);
  ASSERT_TRUE(DrvTextOut(surface(), &run, nullptr, region.get(), nullptr, &opaque, brush.get(), brush.get(), nullptr,
                         kCopyPenMix));
  const std::vector<RECTL> boxes = FilledBoxes(brush.get());
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].left, 160);
  EXPECT_EQ(boxes[0].right, 320);
  EXPECT_EQ(boxes[1].left, 480);
  ASSERT_EQ(FakeTextWriter().runs.size(), 1u);
  const CLIPOBJ& glyphClip = *FakeTextWriter().runs[0].clip;
  EXPECT_EQ(glyphClip.iDComplexity, DC_RECT);
  EXPECT_EQ(glyphClip.rclBounds.left, 10);
  EXPECT_EQ(glyphClip.rclBounds.right, 40);
}

}  // namespace
}  // namespace graphicstest
