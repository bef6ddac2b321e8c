// Engine fonts: faces found by the names applications use, glyph metrics,
// bitmaps and outlines for a Latin and a Japanese face.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/gdi/engine.h"

namespace {

using namespace platform::gdi;

LOGFONTW MakeLogFont(const std::u16string& face, LONG height, LONG escapement = 0) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfEscapement = escapement;
  lf.lfWeight = FW_NORMAL;
  face.copy(lf.lfFaceName, 31);
  return lf;
}

std::u16string FamilyOf(IFIMETRICS* ifi) {
  return std::u16string(reinterpret_cast<const char16_t*>(reinterpret_cast<const BYTE*>(ifi) + ifi->dpwszFamilyName));
}

struct FaceCase {
  const char* name;
  std::u16string face;
  char16_t sample;
  bool japanese;
};

class GdiFont : public ::testing::TestWithParam<FaceCase> {};

TEST_P(GdiFont, ReportsTheAskedFamilyWithMetricsOutlinesAndBitmaps) {
  const FaceCase& c = GetParam();
  auto font = Font::Open(MakeLogFont(c.face, -100));
  ASSERT_NE(font, nullptr) << "no face for the request";
  IFIMETRICS* ifi = FONTOBJ_pifi(font.get());
  ASSERT_NE(ifi, nullptr);
  EXPECT_EQ(FamilyOf(ifi), c.face);
  EXPECT_GT(ifi->fwdUnitsPerEm, 0);
  EXPECT_GT(ifi->fwdWinAscender, 0);
  EXPECT_NE(font->flFontType & TRUETYPE_FONTTYPE, 0u);
  EXPECT_EQ((font->flFontType & FO_DBCS_FONT) != 0, c.japanese);
  EXPECT_EQ(ifi->jWinCharSet, c.japanese ? SHIFTJIS_CHARSET : ANSI_CHARSET);
  EXPECT_EQ((ifi->flInfo & FM_INFO_TECH_CFF) != 0, font->IsCff());

  // The transform maps an em (notional units) to 100 pixels.
  XFORMOBJ* pxo = FONTOBJ_pxoGetXform(font.get());
  ASSERT_NE(pxo, nullptr);
  POINTL em{0, ifi->fwdUnitsPerEm}, device{};
  ASSERT_TRUE(XFORMOBJ_bApplyXform(pxo, XF_LTOL, 1, &em, &device));
  EXPECT_EQ(device.x, 0);
  EXPECT_EQ(device.y, 100);

  HGLYPH hg = font->GlyphForChar(c.sample);
  ASSERT_NE(hg, 0u);
  PVOID pv = nullptr;
  ASSERT_EQ(FONTOBJ_cGetGlyphs(font.get(), FO_GLYPHBITS, 1, &hg, &pv), 1u);
  auto* bitsData = static_cast<GLYPHDATA*>(pv);
  EXPECT_EQ(bitsData->hg, hg);
  EXPECT_GT(bitsData->fxD, 16 * 20);  // a visible advance of a 100-pixel glyph
  EXPECT_LT(bitsData->fxD, 16 * 110);
  const GLYPHBITS* bits = bitsData->gdf.pgb;
  ASSERT_NE(bits, nullptr);
  EXPECT_GT(bits->sizlBitmap.cx, 20);
  EXPECT_GT(bits->sizlBitmap.cy, 20);
  EXPECT_LT(bits->ptlOrigin.y, 0);  // the bitmap starts above the baseline
  size_t ink = 0;
  const size_t rowBytes = (bits->sizlBitmap.cx + 7) / 8;
  for (size_t i = 0; i < rowBytes * bits->sizlBitmap.cy; ++i) ink += __builtin_popcount(bits->aj[i]);
  EXPECT_GT(ink, 100u);

  ASSERT_EQ(FONTOBJ_cGetGlyphs(font.get(), FO_PATHOBJ, 1, &hg, &pv), 1u);
  PATHOBJ* outline = static_cast<GLYPHDATA*>(pv)->gdf.ppo;
  ASSERT_NE(outline, nullptr);
  RECTFX box{};
  PATHOBJ_vGetBounds(outline, &box);
  // Outline and bitmap agree on where the ink is (28.4 against pixels).
  EXPECT_NEAR(box.yTop / 16.0, bits->ptlOrigin.y, 2.0);
  EXPECT_NEAR((box.xRight - box.xLeft) / 16.0, bits->sizlBitmap.cx, 2.0);
  PATHOBJ_vEnumStart(outline);
  PATHDATA data{};
  int figures = 0;
  BOOL more;
  do {
    more = PATHOBJ_bEnum(outline, &data);
    if (data.flags & PD_BEGINSUBPATH) ++figures;
    if (data.flags & PD_BEZIERS) {
      const ULONG controlPoints = (data.flags & PD_BEGINSUBPATH) ? data.count - 1 : data.count;
      EXPECT_EQ(controlPoints % 3, 0u);
    }
  } while (more);
  EXPECT_GE(figures, 1);

  const ULONG count = FONTOBJ_cGetAllGlyphHandles(font.get(), nullptr);
  EXPECT_GT(count, c.japanese ? 5000u : 200u);
  std::vector<HGLYPH> handles(count);
  EXPECT_EQ(FONTOBJ_cGetAllGlyphHandles(font.get(), handles.data()), count);
  EXPECT_NE(std::find(handles.begin(), handles.end(), hg), handles.end());

  FONTINFO info{};
  FONTOBJ_vGetInfo(font.get(), sizeof(info), &info);
  EXPECT_EQ(info.cGlyphsSupported, count);
}

INSTANTIATE_TEST_SUITE_P(Faces, GdiFont,
                         ::testing::Values(FaceCase{"Arial", u"Arial", u'H', false},
                                           FaceCase{"TimesNewRoman", u"Times New Roman", u'g', false},
                                           FaceCase{"MsGothic", u"ＭＳ ゴシック", u'漢', true},
                                           FaceCase{"MsMincho", u"ＭＳ 明朝", u'あ', true}),
                         [](const ::testing::TestParamInfo<FaceCase>& param) { return std::string(param.param.name); });

TEST(GdiFontFaces, MetricCompatibleSubstitutesAndAnOutlineKind) {
  EXPECT_NE(MatchFaceFile(u"Arial", false, false).find("LiberationSans"), std::string::npos);
  EXPECT_NE(MatchFaceFile(u"Courier New", false, false).find("LiberationMono"), std::string::npos);
  EXPECT_NE(MatchFaceFile(u"ＭＳ ゴシック", false, false).find("gothic"), std::string::npos);
  // A face with CFF outlines is told apart from a TrueType one.
  auto cff = Font::Open(MakeLogFont(u"Nimbus Sans", -20));
  ASSERT_NE(cff, nullptr);
  EXPECT_TRUE(cff->IsCff());
  EXPECT_NE(cff->flFontType & FO_CFF, 0u);
  auto tt = Font::Open(MakeLogFont(u"Arial", -20));
  EXPECT_FALSE(tt->IsCff());
}

TEST(GdiFontFaces, EscapementRotatesTheAdvanceCounterClockwise) {
  auto font = Font::Open(MakeLogFont(u"Arial", -64, 900));
  ASSERT_NE(font, nullptr);
  HGLYPH hg = font->GlyphForChar(u'M');
  PVOID pv = nullptr;
  ASSERT_EQ(FONTOBJ_cGetGlyphs(font.get(), FO_GLYPHBITS, 1, &hg, &pv), 1u);
  const auto* gd = static_cast<GLYPHDATA*>(pv);
  // Up the page: x unchanged, y decreasing (device y points down).
  EXPECT_NEAR(static_cast<double>(gd->ptqD.x) / 68719476736.0, 0.0, 0.01);
  EXPECT_LT(gd->ptqD.y, 0);
}

// Glyph handles are remembered per font: threads asking at once for the same
// and for new characters, repeated asks, and characters the face lacks or that
// lie beyond the first plane all answer what the face itself says.
TEST(GdiFontFaces, GlyphHandlesAgreeWithTheFaceAcrossThreads) {
  auto reference = Font::Open(MakeLogFont(u"ＭＳ ゴシック", -40));
  auto font = Font::Open(MakeLogFont(u"ＭＳ ゴシック", -40));
  ASSERT_NE(reference, nullptr);
  ASSERT_NE(font, nullptr);
  std::vector<char32_t> chars;
  for (char32_t c = 0; c < 0x800; ++c) chars.push_back(c);
  for (char32_t c : {U'\u3042', U'\u30FB', U'\u4E00', U'\uFFFF', U'\U00010000', U'\U0001F600', U'\U00020B9F'})
    chars.push_back(c);
  std::vector<HGLYPH> expected;
  for (char32_t c : chars) expected.push_back(reference->GlyphForChar(c));
  EXPECT_NE(expected[u'A'], 0u);
  EXPECT_NE(expected[chars.size() - 7], 0u);  // a kana the face has
  EXPECT_EQ(expected[chars.size() - 3], 0u);  // an emoji it lacks

  std::vector<std::thread> threads;
  std::vector<int> mismatches(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; ++round)
        for (size_t i = 0; i < chars.size(); ++i) {
          size_t k = (i * 7 + static_cast<size_t>(t) * 131) % chars.size();
          if (font->GlyphForChar(chars[k]) != expected[k]) ++mismatches[t];
        }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < 8; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

// Glyph data is loaded once per glyph and mode however many threads ask at
// once: every thread gets the one entry, and it holds what a font of its own
// (asked from one thread) says of the glyph.
TEST(GdiFontFaces, GlyphDataIsOneEntryPerGlyphAcrossThreads) {
  auto reference = Font::Open(MakeLogFont(u"Arial", -48));
  auto font = Font::Open(MakeLogFont(u"Arial", -48));
  ASSERT_NE(reference, nullptr);
  ASSERT_NE(font, nullptr);
  std::vector<HGLYPH> handles;
  for (char16_t c = u' '; c < u'\x7f'; ++c) handles.push_back(font->GlyphForChar(c));
  const ULONG modes[] = {FO_HGLYPHS, FO_GLYPHBITS, FO_PATHOBJ};
  constexpr int kThreads = 8;
  std::vector<std::vector<GLYPHDATA*>> seen(kThreads, std::vector<GLYPHDATA*>(handles.size() * 3, nullptr));
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (size_t n = 0; n < seen[t].size(); ++n) {
        const size_t k = (n * 7 + static_cast<size_t>(t) * 53) % seen[t].size();
        seen[t][k] = font->Glyph(handles[k / 3], modes[k % 3]);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (size_t k = 0; k < seen[0].size(); ++k) {
    GLYPHDATA* expected = reference->Glyph(handles[k / 3], modes[k % 3]);
    ASSERT_NE(expected, nullptr) << "glyph " << k / 3 << " mode " << k % 3;
    ASSERT_NE(seen[0][k], nullptr) << "glyph " << k / 3 << " mode " << k % 3;
    for (int t = 1; t < kThreads; ++t) EXPECT_EQ(seen[t][k], seen[0][k]) << "thread " << t << " glyph " << k / 3;
    EXPECT_EQ(seen[0][k]->fxD, expected->fxD);
    EXPECT_EQ(seen[0][k]->ptqD.x, expected->ptqD.x);
    EXPECT_EQ(seen[0][k]->rclInk.left, expected->rclInk.left);
    EXPECT_EQ(seen[0][k]->rclInk.bottom, expected->rclInk.bottom);
  }
}

// The services know a font only while it lives, also on a thread that found it
// before it went.
TEST(GdiFontFaces, ServicesForgetAFontThatHasGone) {
  auto font = Font::Open(MakeLogFont(u"Arial", -48));
  ASSERT_NE(font, nullptr);
  FONTOBJ* handle = font.get();
  auto found = [&] { return FONTOBJ_pifi(handle) != nullptr; };
  auto other = Font::Open(MakeLogFont(u"Arial", -40));  // alive throughout
  ASSERT_NE(other, nullptr);
  std::promise<void> looked, gone;
  bool foundBefore = false, foundAfter = true;
  std::thread asker([&] {
    foundBefore = found() && found();
    looked.set_value();
    gone.get_future().wait();
    foundAfter = found();
  });
  looked.get_future().wait();
  EXPECT_TRUE(found());
  EXPECT_TRUE(found());
  font.reset();
  EXPECT_FALSE(found());
  gone.set_value();
  asker.join();
  EXPECT_TRUE(foundBefore);
  EXPECT_FALSE(foundAfter);
  EXPECT_NE(FONTOBJ_pifi(other.get()), nullptr);
}

TEST(GdiFontFaces, OutlineFacesExistByTheirOwnOrTheirWindowsNames) {
  struct Case {
    std::u16string family;
    bool exists;
  };
  for (const Case& c : {Case{u"Arial", true}, Case{u"ＭＳ 明朝", true}, Case{u"明朝", true}, Case{u"DejaVu Sans", true},
                        Case{u"No Such Face 42", false}, Case{u"", false}}) {
    EXPECT_EQ(HostFaceExists(c.family), c.exists) << std::string(c.family.begin(), c.family.end());
  }
  const std::vector<std::u16string> families = HostFontFamilies();
  ASSERT_GE(families.size(), 3u);
  EXPECT_EQ(families[0], u"Arial");  // the Windows names first
  EXPECT_NE(std::find(families.begin(), families.end(), u"ＭＳ ゴシック"), families.end());
  EXPECT_NE(std::find(families.begin(), families.end(), u"DejaVu Sans"), families.end());
}

// A device font's glyphs come from its source; the engine adds nothing of its own.
class FakeSource : public DeviceGlyphSource {
 public:
  HGLYPH GlyphForChar(char32_t ch) override { return ch == U'A' ? 7 : 1; }
  std::vector<HGLYPH> AllGlyphHandles() override { return {1, 7}; }
  std::vector<FIX> Advances(FONTOBJ*, const std::vector<HGLYPH>& handles) override {
    asked.push_back(handles);
    return std::vector<FIX>(handles.size(), 320);
  }
  bool Bitmap(FONTOBJ*, HGLYPH hg, std::vector<unsigned char>* bits) override {
    if (hg != 7) return false;
    bits->assign(offsetof(GLYPHBITS, aj) + 2, 0);
    auto* gb = reinterpret_cast<GLYPHBITS*>(bits->data());
    gb->ptlOrigin = POINTL{0, -2};
    gb->sizlBitmap = SIZEL{2, 2};
    gb->aj[0] = 0xC0;
    return true;
  }
  std::vector<std::vector<HGLYPH>> asked;
};

TEST(GdiFontFaces, DeviceFontsAnswerTheServicesFromTheDriver) {
  IFIMETRICS ifi{};
  ifi.cjThis = sizeof ifi;
  ifi.fwdUnitsPerEm = 1000;
  ifi.fwdMaxCharInc = 600;
  auto source = std::make_shared<FakeSource>();
  const XFORML turned{0, -0.02f, 0.02f, 0, 0, 0};  // 20 pixels an em, a quarter turn
  auto font = Font::Device(3, &ifi, turned, source);
  ASSERT_NE(font, nullptr);
  EXPECT_TRUE(font->IsDevice());
  EXPECT_EQ(font->iFace, 3u);
  EXPECT_EQ(font->flFontType & DEVICE_FONTTYPE, DEVICE_FONTTYPE);
  EXPECT_EQ(FONTOBJ_pifi(font.get()), &ifi) << "the driver's own block";
  EXPECT_EQ(font->GlyphForChar(U'A'), 7u);

  // Advances are asked once for all glyphs of a run, then kept.
  font->PrepareAdvances({7, 1, 7});
  ASSERT_EQ(source->asked.size(), 1u);
  EXPECT_EQ(source->asked[0], (std::vector<HGLYPH>{7, 1}));
  GLYPHDATA* gd = font->Glyph(7, FO_HGLYPHS);
  ASSERT_NE(gd, nullptr);
  EXPECT_EQ(gd->fxD, 320);
  // Along the turned baseline: straight up the page.
  EXPECT_EQ(gd->ptqD.x, 0);
  EXPECT_NEAR(static_cast<double>(gd->ptqD.y) / 68719476736.0, -20.0, 1e-6);
  EXPECT_EQ(source->asked.size(), 1u);

  HGLYPH hg = 7;
  PVOID pv = nullptr;
  ASSERT_EQ(FONTOBJ_cGetGlyphs(font.get(), FO_GLYPHBITS, 1, &hg, &pv), 1u);
  const GLYPHBITS* bits = static_cast<GLYPHDATA*>(pv)->gdf.pgb;
  ASSERT_NE(bits, nullptr);
  EXPECT_EQ(bits->sizlBitmap.cx, 2);
  EXPECT_EQ(bits->aj[0], 0xC0);
  hg = 1;  // the source refuses its bitmap
  EXPECT_EQ(FONTOBJ_cGetGlyphs(font.get(), FO_GLYPHBITS, 1, &hg, &pv), 0u);
  EXPECT_EQ(FONTOBJ_cGetGlyphs(font.get(), FO_PATHOBJ, 1, &hg, &pv), 0u) << "no outlines of a device font";
  EXPECT_EQ(FONTOBJ_cGetAllGlyphHandles(font.get(), nullptr), 2u);
}

}  // namespace
