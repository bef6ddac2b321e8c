// The watermark page as a user drives it: watermarks added, renamed, deleted and
// edited land in the right stored record; a name another watermark has is
// refused; the shade, outline and EMF rules; the preview's drawing.
#include "interface/pages/watermark_page.h"

#include <gtest/gtest.h>

#include <cstring>

#include "interface/pages/watermark_values.h"
#include "interface/records/hex_names.h"
#include "interface/records/watermark_store.h"
#include "platform/gdi/screen.h"
#include "tests/interface/sheet_page_driver.h"

namespace pagetest {
namespace {

using recordstest::A;

constexpr UINT kWatermarkPage = 138;
constexpr const char* kPs = "nardo-c5545.ini";
constexpr const char* kPcl = "nardo-m3020.ini";

TEST(WatermarkValuesTest, ShadeColourOffsetAndSizeRules) {
  const struct {
    int shade;
    DWORD colour;
  } shades[] = {{0, 0xFFFFFF}, {50, 0x7F7F7F}, {100, 0}, {150, 0}, {-20, 0xFFFFFF}};
  for (const auto& c : shades) EXPECT_EQ(ColourOfShade(c.shade), c.colour) << c.shade;
  for (int shade : {0, 10, 50, 90, 100}) EXPECT_NEAR(ShadeOfColour(ColourOfShade(shade)), shade, 1) << shade;

  const struct {
    const char* text;
    bool accepted;
    LONG tenths;
  } offsets[] = {{"12.5", true, 125}, {"-2540", true, -25400}, {"2540", true, 25400}, {"-2540.1", false, 0},
                 {"2541", false, 0},  {"1-2", false, 0},       {"1..2", false, 0},    {"12a", false, 0},
                 {"", false, 0},      {"-", false, 0},         {".5", true, 5}};
  for (const auto& c : offsets) {
    LONG tenths = 0;
    EXPECT_EQ(ParseOffsetText(c.text, &tenths), c.accepted) << c.text;
    if (c.accepted) {
      EXPECT_EQ(tenths, c.tenths) << c.text;
    }
  }
  EXPECT_EQ(OffsetText(-125), "-12.5");
  EXPECT_EQ(SizeFromText("5", 72), 7);
  EXPECT_EQ(SizeFromText("999", 72), 300);
  EXPECT_EQ(SizeFromText("abc", 72), 72);

  // A4 portrait fed short edge first is tall: the sheet stands in a square of its length.
  const WatermarkSheet tall = WatermarkSheetOf(8268, 11693, true, 1, false);
  EXPECT_EQ(tall.side, 1169);
  EXPECT_EQ(tall.sheet.right - tall.sheet.left, 826);
  EXPECT_EQ(tall.sheet.bottom - tall.sheet.top, 1169);
  const WatermarkSheet wide = WatermarkSheetOf(8268, 11693, false, 1, false);
  EXPECT_EQ(wide.side, 1169);
  EXPECT_EQ(wide.sheet.bottom - wide.sheet.top, 826);
  // A portrait sheet fed long edge first still stands inside its square.
  for (int feed : {0, 2}) {
    const WatermarkSheet fed = WatermarkSheetOf(8268, 11693, true, feed, false);
    EXPECT_EQ(fed.side, 1169) << feed;
    EXPECT_GE(fed.sheet.top, 0) << feed;
    EXPECT_LE(fed.sheet.bottom, fed.side) << feed;
  }

  // Unturned, centred text starts half its extent left and up of the centre.
  const POINT origin = WatermarkTextOrigin(1000, 200, 100, 0, 0, 0);
  EXPECT_EQ(origin.x, 400);
  EXPECT_EQ(origin.y, 450);
  const POINT moved = WatermarkTextOrigin(1000, 200, 100, 0, 254, 254);  // an inch right and up
  EXPECT_EQ(moved.x, 500);
  EXPECT_EQ(moved.y, 350);
}

class WatermarkPageTest : public SheetPageTest {
 protected:
  void ClearWatermarks(HANDLE printer) {
    for (const std::string& key : Keys(printer, kStoreUser, kWatermarksSection))
      Store().DeleteData(printer, kStoreUser, kWatermarksSection, key.c_str());
  }
  std::string Stored(HANDLE printer, const std::string& text) {
    return GetString(printer, kStoreUser, kWatermarksSection, records::HexName(text)).value_or("missing");
  }
};

TEST_F(WatermarkPageTest, AfterADeleteTheRemainingItemsEditTheirOwnRecords) {
  HANDLE printer = InstallModel(kPs, "Marks");
  ClearWatermarks(printer);
  XDEVMODE settings = Default(printer, "Marks", kPdlPs3);
  EXPECT_EQ(RunPage(printer, &settings, kWatermarkPage,
                    [&](HWND page, OrbaMainDlg* sheet) {
                      Click(page, 1161);
                      Type(page, 1159, "First", 1155);
                      Click(page, 1161);
                      Type(page, 1159, "Second", 1155);
                      Click(page, 1161);
                      Type(page, 1159, "Third", 1155);
                      ASSERT_TRUE(Pick(page, 1155, "First", false));
                      Click(page, 1047);
                      ASSERT_EQ(sheet->m_watermarkCount, 2);
                      // The item of "Third" must now reach the record at index 1.
                      ASSERT_TRUE(Pick(page, 1155, "Third", false));
                      EXPECT_EQ(ItemText(page, 1159), "Third");
                      Type(page, 1713, "120", 1155);
                      ASSERT_TRUE(Pick(page, 1155, "Second", false));
                      Type(page, 1168, "30", 1155);
                      EXPECT_TRUE(boxes_.empty());
                    }),
            1);
  EXPECT_EQ(Keys(printer, kStoreUser, kWatermarksSection).size(), 2u);
  EXPECT_EQ(Stored(printer, "First"), "missing");
  WatermarkRecord second{}, third{};
  ASSERT_TRUE(LoadWatermarkByName(printer, "Second", &second));
  ASSERT_TRUE(LoadWatermarkByName(printer, "Third", &third));
  EXPECT_EQ(second.size, 72);
  EXPECT_EQ(second.angle, 30);
  EXPECT_EQ(third.size, 120);
  EXPECT_EQ(third.angle, 45);
  // The watermark last chosen travels in the settings, whole.
  EXPECT_STREQ(settings.dmPrivate._wmCurrent.text, "Second");
  EXPECT_EQ(settings.dmPrivate._wmCurrent.angle, 30);
}

TEST_F(WatermarkPageTest, ANameAnotherWatermarkHasIsRefused) {
  HANDLE printer = InstallModel(kPs, "Marks");
  ClearWatermarks(printer);
  XDEVMODE settings = Default(printer, "Marks", kPdlPs3);
  RunPage(printer, &settings, kWatermarkPage, [&](HWND page, OrbaMainDlg*) {
    Click(page, 1161);
    Type(page, 1159, "Draft", 1155);
    Click(page, 1161);
    Type(page, 1159, "Draft", 1155);  // focus leaves the edit: refused
    EXPECT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(ItemText(page, 1159), A("<新規>"));
    // A second new watermark while "<新規>" is still unnamed is refused too.
    Click(page, 1161);
    EXPECT_EQ(boxes_.size(), 2u);
    const std::vector<std::string> items = Entries(page, 1155, false);
    EXPECT_EQ(std::count(items.begin(), items.end(), "Draft"), 1);
  });
  EXPECT_EQ(Keys(printer, kStoreUser, kWatermarksSection).size(), 2u);
  EXPECT_NE(Stored(printer, "Draft"), "missing");
  EXPECT_NE(Stored(printer, A("<新規>")), "missing");
}

TEST_F(WatermarkPageTest, ShadeOutlineNoneAndEmfRules) {
  HANDLE printer = InstallModel(kPs, "Marks");
  XDEVMODE settings = Default(printer, "Marks", kPdlPs3);
  RunPage(printer, &settings, kWatermarkPage, [&](HWND page, OrbaMainDlg* sheet) {
    ASSERT_TRUE(Pick(page, 1155, A("社外秘"), false));
    EXPECT_TRUE(Enabled(page, 1159));
    Type(page, 1172, "150", 1155);
    EXPECT_EQ(sheet->m_workingSettings.dmPrivate._wmCurrent.colour, 0u) << "150 is black, not a wrapped grey";
    // Outline only for a printer font of a PostScript job.
    ASSERT_TRUE(Visible(page, 1191));
    ASSERT_TRUE(Pick(page, 1147, "Helvetica", true));
    EXPECT_TRUE(Enabled(page, 1191));
    ASSERT_TRUE(Pick(page, 1147, A("ＭＳ ゴシック"), true));
    EXPECT_FALSE(Enabled(page, 1191));
    EXPECT_EQ(Entries(page, 1153, true).size(), 4u) << "a Japanese face offers the four styles";
    // "[なし]" prints no watermark.
    ASSERT_TRUE(Pick(page, 1155, A("[なし]"), false));
    EXPECT_FALSE(Enabled(page, 1159));
    WatermarkRecord zero{};
    EXPECT_EQ(std::memcmp(&sheet->m_workingSettings.dmPrivate._wmCurrent, &zero, sizeof zero), 0);
  });
  WatermarkRecord stored{};
  ASSERT_TRUE(LoadWatermarkByName(printer, A("社外秘").c_str(), &stored));
  EXPECT_EQ(stored.colour, 0u);

  XDEVMODE emf = Default(printer, "Marks", kPdlPs3);
  emf.dmPrivate._dwAdvSettings |= kAdvEmfSpooling;
  RunPage(printer, &emf, kWatermarkPage, [&](HWND page, OrbaMainDlg*) {
    EXPECT_FALSE(Enabled(page, 1155));
    EXPECT_FALSE(Enabled(page, 1161));
  });

  HANDLE pcl = InstallModel(kPcl, "Marks PCL");
  XDEVMODE pclSettings = Default(pcl, "Marks PCL", 0x8);
  RunPage(pcl, &pclSettings, kWatermarkPage, [&](HWND page, OrbaMainDlg*) {
    ASSERT_TRUE(Pick(page, 1155, A("社外秘"), false));
    EXPECT_FALSE(Visible(page, 1191));
  });
}

// The preview's ink: where the text is drawn follows its angle.
TEST_F(WatermarkPageTest, PreviewTurnsTheTextByItsAngle) {
  HANDLE printer = InstallModel(kPs, "Marks");
  XDEVMODE settings = Default(printer, "Marks", kPdlPs3);
  RunPage(printer, &settings, kWatermarkPage, [&](HWND page, OrbaMainDlg*) {
    auto* wmark = dynamic_cast<WmarkDlg*>(CWnd::FromHandlePermanent(page));
    ASSERT_NE(wmark, nullptr);
    WatermarkRecord record = NewWatermarkRecord("WWWWWW", "x");
    std::strcpy(record.faceName, "Arial");
    record.colour = 0x0000FF;  // red: apart from the sheet's black edge
    for (int angle : {0, 90}) {
      record.angle = static_cast<WORD>(angle);
      int side = 0;
      HBITMAP bitmap = wmark->DrawPreview(record, &side);
      ASSERT_NE(bitmap, 0u);
      auto surface = platform::gdi::SurfaceOfBitmap(bitmap);
      ASSERT_TRUE(surface);
      int left = side, right = 0, top = side, bottom = 0;
      for (int y = 0; y < surface->height; ++y)
        for (int x = 0; x < surface->width; ++x)
          if (const COLORREF c = surface->At(x, y); (c & 0xFF) > 0x80 && ((c >> 8) & 0xFF) < 0x60) {
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
          }
      ASSERT_LT(left, right) << angle;
      const int width = right - left, height = bottom - top;
      if (angle == 0) {
        EXPECT_GT(width, 2 * height);
        EXPECT_NEAR((top + bottom) / 2, side / 2, side / 20);
      } else {
        EXPECT_GT(height, 2 * width);
        EXPECT_NEAR((left + right) / 2, side / 2, side / 20);
      }
      DeleteObject(bitmap);
    }
  });
}

}  // namespace
}  // namespace pagetest
