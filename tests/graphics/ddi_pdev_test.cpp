// A device context's PDEV made by DrvEnablePDEV: the caller's device mode, the
// settings binding, the application quirks, what DEVINFO says of fonts and how
// much of GDIINFO and DEVINFO is copied out, and the PDEV check of every entry.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "graphics/ddi/device_info.h"
#include "graphics/ddi/driver_library.h"
#include "graphics/ddi/settings_binding.h"
#include "graphics/output/fonts/device_fonts.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"
#include "tests/graphics/ddi_fixture.h"

namespace graphicstest {
namespace {

class DdiPdevTest : public DdiPrinterTest {};

// The mono model prints at 600 and 300 dots per inch, the colour model at 600
// and 1200. The caller's device mode is the application's: whatever the PDEV
// settles, the block handed in is not written.
TEST_F(DdiPdevTest, ResolutionAndScaleAreSettledOnTheCopyNeverInTheCallersDeviceMode) {
  HANDLE mono = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  struct Case {
    SHORT dpi;
    SHORT scale;
    SHORT settledDpi;
    SHORT settledScale;
    ULONG logPixels;
  } cases[] = {
      {1200, 100, 600, 100, 600},                            // not a resolution of the model: its first
      {0, 100, 600, 100, 600},    {-3, 100, 600, 100, 600},  // a draft-quality code, not a resolution
      {300, 100, 300, 100, 300},  {600, 0, 600, 100, 600},   // no scale: the page is not scaled
      {600, 1000, 600, 100, 600}, {600, 50, 600, 50, 300},  {300, 400, 300, 400, 1200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "dpi " << c.dpi << " scale " << c.scale);
    XDEVMODE dm = DriverLayout(kPdlPcl5e);
    dm.dmPublic.dmPrintQuality = c.dpi;
    dm.dmPublic.dmScale = c.scale;
    const XDEVMODE before = dm;
    GDIINFO gdi{};
    EnabledPdev pdev = Enable(mono, &dm, &gdi);
    ASSERT_NE(pdev, nullptr) << GetLastError();
    EXPECT_EQ(std::memcmp(&dm, &before, sizeof dm), 0) << "the caller's device mode was written";
    EXPECT_EQ(pdev->devmode.dmPublic.dmPrintQuality, c.settledDpi);
    EXPECT_EQ(pdev->resolution, WORD(c.settledDpi));
    EXPECT_EQ(pdev->devmode.dmPublic.dmScale, c.settledScale);
    EXPECT_EQ(gdi.ulLogPixelsX, c.logPixels);
    EXPECT_EQ(gdi.ulLogPixelsY, c.logPixels);
    EXPECT_EQ(gdi.ulDevicePelsDPI, ULONG(c.settledDpi));
    EXPECT_GT(gdi.ulHorzRes, 0u);
  }
}

TEST_F(DdiPdevTest, ApplicationQuirksFollowTheProgramsFileName) {
  HANDLE printer = Install(kColourModel, "Colour", kPdlPs3, 1);
  struct Case {
    const char* path;
    WORD acrobat;
    WORD pageMaker;
  } cases[] = {
      {"C:\\Program Files\\Reader\\ACRORD32.EXE", 9, 0},
      {"C:\\Acrobat\\AcroEx32.exe", 9, 0},
      {"acrobat.EXE", 9, 0},
      {"D:\\PM\\PM70J.EXE", 0, 9},
      {"pm6.exe", 0, 9},
      {"C:\\apps\\Pm65", 0, 9},
      {"C:\\tools\\acrobat7.exe", 0, 0},
      {"C:\\pm65j\\notes.exe", 0, 0},  // the folder is not the program
      // "表" ends in the byte of a backslash: it is no separator, so the file
      // name is "表pm6", no program of the list.
      {"C:\\\x95\\pm6.exe", 0, 0},
      {"", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    XDEVMODE dm = DriverLayout(kPdlPs3);
    std::strncpy(dm.dmPrivate.applicationPath, c.path, sizeof dm.dmPrivate.applicationPath - 1);
    dm.dmPrivate.applicationMajorVersion = 9;
    EnabledPdev pdev = Enable(printer, &dm);
    ASSERT_NE(pdev, nullptr);
    EXPECT_EQ(pdev->carried.acrobatVersion, c.acrobat);
    EXPECT_EQ(pdev->carried.pageMakerVersion, c.pageMaker);
  }
}

// Without device fonts the engine is told of none, and the three default fonts
// stay empty.
TEST_F(DdiPdevTest, NoDeviceFontsMeansNoFontsAndEmptyDefaultFonts) {
  HANDLE mono = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  HANDLE colour = Install(kColourModel, "Colour", kPdlPs3, 1);
  struct Case {
    HANDLE printer;
    WORD pdl;
    DWORD advanced;
    FLONG caps;
  } cases[] = {
      {mono, kPdlPcl5e, 0, 0x201F},
      {colour, kPdlPs3, 0, 0x201F},
      {colour, kPdlPs3, kAdvEmfSpooling, 0x001F},  // spooled as EMF: the engine may journal
  };
  for (const Case& c : cases) {
    XDEVMODE dm = DriverLayout(c.pdl);
    dm.dmPrivate._dwAdvSettings = c.advanced;
    DEVINFO dev;
    std::memset(&dev, 0xCD, sizeof dev);
    GDIINFO gdi{};
    DHPDEV dhpdev = DrvEnablePDEV(&dm, nullptr, 0, nullptr, sizeof gdi, reinterpret_cast<ULONG*>(&gdi), sizeof dev,
                                  &dev, 0, nullptr, c.printer);
    EnabledPdev pdev(reinterpret_cast<PDEV*>(dhpdev));
    ASSERT_NE(pdev, nullptr);
    EXPECT_EQ(dev.flGraphicsCaps, c.caps);
    EXPECT_EQ(dev.cFonts, 0u);
    const BYTE* fonts = reinterpret_cast<const BYTE*>(&dev.lfDefaultFont);
    EXPECT_TRUE(std::all_of(fonts, fonts + 3 * sizeof(LOGFONTW), [](BYTE b) { return b == 0; }));
    EXPECT_EQ(dev.iDitherFormat, ULONG(BMF_24BPP));
    EXPECT_EQ(dev.cxDither, 0);
    EXPECT_EQ(dev.cyDither, 0);
    EXPECT_NE(dev.hpalDefault, 0u);
    EXPECT_EQ(dev.hpalDefault, pdev->palette);
    EXPECT_EQ(dev.flGraphicsCaps2, 0u);
  }
}

// A block larger than the structure receives the structure and nothing more; a
// smaller one exactly its size.
TEST_F(DdiPdevTest, GdiInfoAndDevInfoAreCopiedUpToTheSizeAsked) {
  HANDLE printer = Install(kColourModel, "Colour", kPdlPs3, 1);
  XDEVMODE dm = DriverLayout(kPdlPs3);
  GDIINFO fullGdi{};
  DEVINFO fullDev{};
  EnabledPdev reference = Enable(printer, &dm, &fullGdi, &fullDev);
  ASSERT_NE(reference, nullptr);

  for (ULONG size : {400u, 304u, 300u, 100u, 4u, 0u}) {
    SCOPED_TRACE(size);
    std::vector<BYTE> caps(400, 0xAB);
    std::vector<BYTE> info(400, 0xAB);
    XDEVMODE copy = DriverLayout(kPdlPs3);
    DHPDEV dhpdev = DrvEnablePDEV(&copy, nullptr, 0, nullptr, size, reinterpret_cast<ULONG*>(caps.data()), size,
                                  reinterpret_cast<DEVINFO*>(info.data()), 0, nullptr, printer);
    EnabledPdev pdev(reinterpret_cast<PDEV*>(dhpdev));
    ASSERT_NE(pdev, nullptr);
    const size_t gdiCopied = std::min<size_t>(size, sizeof(GDIINFO));
    const size_t devCopied = std::min<size_t>(size, sizeof(DEVINFO));
    EXPECT_EQ(std::memcmp(caps.data(), &fullGdi, gdiCopied), 0);
    EXPECT_TRUE(std::all_of(caps.begin() + gdiCopied, caps.end(), [](BYTE b) { return b == 0xAB; }));
    // The palette is each PDEV's own: compare DEVINFO around it.
    DEVINFO expected = fullDev;
    expected.hpalDefault = pdev->palette;
    EXPECT_EQ(std::memcmp(info.data(), &expected, devCopied), 0);
    EXPECT_TRUE(std::all_of(info.begin() + devCopied, info.end(), [](BYTE b) { return b == 0xAB; }));
  }
}

// With device fonts, three 10-point fonts at the printer's resolution: the
// default one in the character set of the ANSI code page, and the two named
// ones in the Latin set.
TEST_F(DdiPdevTest, DefaultFontsAreTenPointsAtTheResolution) {
  HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  XDEVMODE dm = DriverLayout(kPdlPcl5e);
  EnabledPdev pdev = Enable(printer, &dm);
  ASSERT_NE(pdev, nullptr);
  DeviceFontList fonts{};
  fonts.count = 3;
  pdev->carried.deviceFonts = &fonts;

  struct Case {
    SHORT dpi;
    UINT codePage;
    LONG height;
    BYTE charset;
  } cases[] = {
      {600, 932, -83, SHIFTJIS_CHARSET}, {300, 932, -42, SHIFTJIS_CHARSET}, {1200, 932, -167, SHIFTJIS_CHARSET},
      {600, 1252, -83, ANSI_CHARSET},    {600, CP_UTF8, -83, ANSI_CHARSET},  // no character set of its own
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dpi << " dpi, code page " << c.codePage);
    ASSERT_TRUE(platform::SetAnsiCodePage(c.codePage));
    pdev->devmode.dmPublic.dmPrintQuality = c.dpi;
    DEVINFO dev{};
    ASSERT_TRUE(FillDevInfo(pdev.get(), sizeof dev, &dev));
    EXPECT_EQ(dev.cFonts, 3u);
    struct Font {
      const LOGFONTW& font;
      BYTE charset;
      BYTE pitchAndFamily;
      std::u16string face;
    } expected[] = {
        {dev.lfDefaultFont, c.charset, 0x11, u""},
        {dev.lfAnsiVarFont, ANSI_CHARSET, 0x22, u"Helvetica"},
        {dev.lfAnsiFixFont, ANSI_CHARSET, 0x31, u"Courier"},
    };
    for (const Font& f : expected) {
      EXPECT_EQ(f.font.lfHeight, c.height);
      EXPECT_EQ(f.font.lfWidth, 0);
      EXPECT_EQ(f.font.lfEscapement, 0);
      EXPECT_EQ(f.font.lfWeight, FW_NORMAL);
      EXPECT_EQ(f.font.lfItalic | f.font.lfUnderline | f.font.lfStrikeOut, 0);
      EXPECT_EQ(f.font.lfCharSet, f.charset);
      EXPECT_EQ(f.font.lfOutPrecision | f.font.lfClipPrecision | f.font.lfQuality, 0);
      EXPECT_EQ(f.font.lfPitchAndFamily, f.pitchAndFamily);
      EXPECT_EQ(std::u16string(f.font.lfFaceName), f.face);
    }
  }
  platform::SetAnsiCodePage(932);
  pdev->carried.deviceFonts = nullptr;
}

bool MapsFileUnder(const std::string& folder) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find(folder) != std::string::npos) return true;
  }
  return false;
}

// All seven read functions are required; a settings library of another build
// is not kept, and the next device context tries again.
TEST_F(DdiPdevTest, ASettingsLibraryWithoutGetShortMakesEveryPdevFail) {
  HANDLE partial = Install(kMonoModel, "Partial", kPdlPcl5e, 0, TestModulePath("without_getshort/zelkerd5.dll"));
  XDEVMODE dm = DriverLayout(kPdlPcl5e);
  for (int attempt = 0; attempt < 2; ++attempt) {
    SetLastError(0);
    EXPECT_EQ(Enable(partial, &dm), nullptr) << "attempt " << attempt;
    EXPECT_FALSE(GraphicsSettingsBound());
    EXPECT_FALSE(MapsFileUnder(std::string(ZEL_TEST_MODULE_DIR) + "/without_getshort/"))
        << "the incomplete library stays loaded";
  }
  EXPECT_EQ(Enable(partial, nullptr), nullptr);

  // The driver folder's own library binds, and from then on serves every PDEV.
  HANDLE whole = Install(kColourModel, "Whole", kPdlPs3, 1);
  XDEVMODE ps = DriverLayout(kPdlPs3);
  EnabledPdev pdev = Enable(whole, &ps);
  EXPECT_NE(pdev, nullptr);
  EXPECT_TRUE(GraphicsSettingsBound());
}

// Several device contexts created at once bind the settings library once and
// all get their PDEV.
TEST_F(DdiPdevTest, PdevsCreatedAtOnceBindTheSettingsOnce) {
  Install(kColourModel, "Colour", kPdlPs3, 1);
  constexpr int kThreads = 6;
  std::vector<HANDLE> handles(kThreads, 0);
  for (HANDLE& handle : handles) {
    char name[] = "Colour";
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    ASSERT_TRUE(OpenPrinterA(name, &handle, &defaults));
  }
  std::vector<PDEV*> made(kThreads, nullptr);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      XDEVMODE dm = DriverLayout(kPdlPs3);
      GDIINFO gdi{};
      DEVINFO dev{};
      made[i] =
          reinterpret_cast<PDEV*>(DrvEnablePDEV(&dm, nullptr, 0, nullptr, sizeof gdi, reinterpret_cast<ULONG*>(&gdi),
                                                sizeof dev, &dev, 0, nullptr, handles[i]));
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int i = 0; i < kThreads; ++i) {
    EXPECT_NE(made[i], nullptr) << "thread " << i;
    EnabledPdev release(made[i]);
    ClosePrinter(handles[i]);
  }
  EXPECT_TRUE(GraphicsSettingsBound());
}

TEST_F(DdiPdevTest, ALibraryWithoutItsModuleMakesNoPdev) {
  HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  SetGraphicsModule(0);
  XDEVMODE dm = DriverLayout(kPdlPcl5e);
  EXPECT_EQ(Enable(printer, &dm), nullptr);
}

TEST_F(DdiPdevTest, CompletePdevKeepsTheEnginesDeviceHandle) {
  HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  XDEVMODE dm = DriverLayout(kPdlPcl5e);
  EnabledPdev pdev = Enable(printer, &dm);
  ASSERT_NE(pdev, nullptr);
  EXPECT_EQ(pdev->printer, printer);
  EXPECT_STREQ(pdev->carried.printerName, "Mono");
  EXPECT_NE(pdev->module, 0u);
  EXPECT_NE(pdev->model, nullptr);
  DrvCompletePDEV(reinterpret_cast<DHPDEV>(pdev.get()), 0x1234);
  EXPECT_EQ(pdev->engineDevice, 0x1234u);
}

// Every entry that gets a PDEV refuses one that is not this library's, with
// ERROR_INVALID_PARAMETER, and touches nothing.
TEST_F(DdiPdevTest, EveryEntryRefusesAForeignPdev) {
  HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  XDEVMODE dm = DriverLayout(kPdlPcl5e);
  EnabledPdev good = Enable(printer, &dm);
  ASSERT_NE(good, nullptr);
  PdevPtr unfilled(AllocPdev());  // allocated, never filled: no signature
  ASSERT_NE(unfilled, nullptr);

  for (PDEV* bad : {static_cast<PDEV*>(nullptr), unfilled.get()}) {
    const DHPDEV dh = reinterpret_cast<DHPDEV>(bad);
    SURFOBJ surface = SurfaceOf(bad);
    SURFOBJ* pso = bad ? &surface : nullptr;
    const DHPDEV goodDh = reinterpret_cast<DHPDEV>(good.get());
    POINTL point{};
    ULONG_PTR id = 7;
    FONTOBJ font{};
    font.iFace = 1;
    font.flFontType = DEVICE_FONTTYPE;
    HGLYPH glyph = 65;
    USHORT width = 0;
    DWORD asked = GETFACENAME;
    char name[64] = {};
    const std::vector<std::pair<const char*, std::function<bool()>>> entries = {
        {"DrvResetPDEV old", [&] { return !DrvResetPDEV(dh, goodDh); }},
        {"DrvResetPDEV new", [&] { return !DrvResetPDEV(goodDh, dh); }},
        {"DrvEnableSurface", [&] { return DrvEnableSurface(dh) == 0; }},
        {"DrvStartDoc", [&] { return !DrvStartDoc(pso, nullptr, 1); }},
        {"DrvEndDoc", [&] { return !DrvEndDoc(pso, 0); }},
        {"DrvStartPage", [&] { return !DrvStartPage(pso); }},
        {"DrvSendPage", [&] { return !DrvSendPage(pso); }},
        {"DrvStartBanding", [&] { return !DrvStartBanding(pso, &point); }},
        {"DrvNextBand", [&] { return !DrvNextBand(pso, &point); }},
        {"DrvCopyBits", [&] { return !DrvCopyBits(pso, nullptr, nullptr, nullptr, nullptr, nullptr); }},
        {"DrvTextOut",
         [&] { return !DrvTextOut(pso, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0); }},
        {"DrvStrokePath", [&] { return !DrvStrokePath(pso, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0); }},
        {"DrvFillPath", [&] { return !DrvFillPath(pso, nullptr, nullptr, nullptr, nullptr, 0, 0); }},
        {"DrvStrokeAndFillPath",
         [&] {
           return !DrvStrokeAndFillPath(pso, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0);
         }},
        {"DrvBitBlt",
         [&] {
           return !DrvBitBlt(pso, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             0xCCCC);
         }},
        {"DrvStretchBlt",
         [&] {
           return !DrvStretchBlt(pso, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 HALFTONE);
         }},
        {"DrvRealizeBrush", [&] { return !DrvRealizeBrush(nullptr, pso, nullptr, nullptr, nullptr, 0); }},
        {"DrvDitherColor", [&] { return DrvDitherColor(dh, 0, 0, nullptr) == DCR_SOLID; }},
        {"DrvEscape", [&] { return DrvEscape(pso, QUERYESCSUPPORT, 0, nullptr, 0, nullptr) == 0; }},
        {"DrvQueryFont", [&] { return DrvQueryFont(dh, 0, 1, &id) == nullptr && id == 7; }},
        {"DrvQueryFontTree", [&] { return DrvQueryFontTree(dh, 0, 1, QFT_GLYPHSET, &id) == nullptr && id == 7; }},
        {"DrvQueryFontData",
         [&] { return DrvQueryFontData(dh, &font, QFD_MAXEXTENTS, 0, nullptr, nullptr, 0) == LONG(FD_ERROR); }},
        {"DrvQueryAdvanceWidths",
         [&] { return !DrvQueryAdvanceWidths(dh, &font, QAW_GETWIDTHS, &glyph, &width, 1) && width == 0; }},
        {"DrvFontManagement",
         [&] { return DrvFontManagement(pso, &font, GETFACENAME, sizeof asked, &asked, sizeof name, name) == 0; }},
    };
    for (const auto& [entry, refused] : entries) {
      SetLastError(0);
      EXPECT_TRUE(refused()) << entry << (bad ? " (unfilled PDEV)" : " (null)");
      EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER)) << entry;
    }
    // The entries without a result leave the record alone.
    DrvCompletePDEV(dh, 0x99);
    DrvDisableSurface(dh);
    DrvDisablePDEV(dh);
    if (bad) {
      EXPECT_EQ(bad->engineDevice, 0u);
    }
  }
  // The glyph mode and the font-escape query need no PDEV.
  EXPECT_EQ(DrvGetGlyphMode(nullptr, nullptr), ULONG(FO_GLYPHBITS));
  DWORD asked = GETFACENAME;
  EXPECT_EQ(DrvFontManagement(nullptr, nullptr, QUERYESCSUPPORT, sizeof asked, &asked, 0, nullptr), 1u);
}

}  // namespace
}  // namespace graphicstest
