// PostScript images: the procedure, bit depth and decode array each palette and
// raster operation call for, the pixels of every source depth as grey bytes,
// and the run-length / ASCII85 / binary forms of the data with their ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/output/raster/raster_image.h"
#include "graphics/output/raster/raster_ps_gray.h"
#include "graphics/output/raster/raster_ps_image.h"
#include "tests/graphics_raster/raster_fixture.h"

namespace rastertest {
namespace {

std::string Write(PDEV* pdev, TestImage& image, DWORD rop3, bool grey = false, XLATEOBJ* xlate = nullptr,
                  bool useImageTable = true) {
  ImageDescriptor d;
  d.width = image.width();
  d.height = image.height();
  SURFOBJ* s = image.surface();
  // clang-format off
  d.bitsPerPixel = s->iBitmapFormat == BMF_1BPP ? 1 : s->iBitmapFormat == BMF_4BPP ? 4
                   : s->iBitmapFormat == BMF_8BPP ? 8 : s->iBitmapFormat == BMF_16BPP ? 16
                   : s->iBitmapFormat == BMF_24BPP ? 24 : 32;
  // clang-format on
  d.stride = s->lDelta;
  d.scan0 = static_cast<const BYTE*>(s->pvScan0);
  if (useImageTable && image.xlate()) {
    d.palette = image.xlate()->pulXlate;
    d.paletteCount = image.xlate()->cEntries;
  }
  const ImageRect source{0, 0, image.width(), image.height()};
  const ImageRect dest{10, 20, 2 * image.width(), 2 * image.height()};
  return Output(pdev, [&] {
    const BOOL ok =
        grey ? WritePsImageGray(pdev, &d, &source, &dest, rop3) : WritePsImage(pdev, &d, &source, &dest, xlate, rop3);
    EXPECT_TRUE(ok);
  });
}

// The header line of an image (without its leading line feed).
std::string HeaderOf(const std::string& out) {
  const size_t start = out.find("save ");
  const size_t end = out.find('\n', start);
  return start == std::string::npos ? "" : out.substr(start, end - start);
}

// The data of an image written raw (no run length, binary).
std::string DataOf(const std::string& out) {
  const size_t start = out.find('\n', out.find("save ")) + 1;
  const size_t end = out.rfind("\nrestore\n");
  return out.substr(start, end - start);
}

TEST(RasterPostScriptTest, OneBitImagesTakeTheirFormFromPaletteAndOperation) {
  const std::vector<ULONG> blackWhite{kBlack, kWhite}, whiteBlack{kWhite, kBlack}, colours{0x0000FF, 0xFF0000};
  struct Case {
    const char* name;
    std::vector<ULONG> palette;
    DWORD rop3;
    const char* header;
  } cases[] = {
      {"black-white copy", blackWhite, SRCCOPY, "[0 1] 1 8 2 16 4 10 20 ImGray"},
      {"white-black copy", whiteBlack, SRCCOPY, "[1 0] 1 8 2 16 4 10 20 ImGray"},
      {"white-black and", whiteBlack, SRCAND, "[1 0] 1 8 2 16 4 10 20 ImMask"},
      {"black-white and", blackWhite, SRCAND, "[0 1] 1 8 2 16 4 10 20 ImMask"},
      {"black-white inverted copy", blackWhite, NOTSRCCOPY, "[1 0] 1 8 2 16 4 10 20 ImGray"},
      {"white-black inverted copy", whiteBlack, NOTSRCCOPY, "[0 1] 1 8 2 16 4 10 20 ImGray"},
      {"no palette", {}, SRCCOPY, "[0 1] 1 8 2 16 4 10 20 ImGray"},
      {"colours", colours, SRCCOPY, "[0 1] 8 8 2 16 4 10 20 ImGray"},
      {"colours inverted", colours, NOTSRCCOPY, "[1 0] 8 8 2 16 4 10 20 ImGray"},
      {"colours and (no mask)", colours, SRCAND, "[0 1] 8 8 2 16 4 10 20 ImGray"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PdevPtr pdev = PagePdev(kPdlPs3);
    TestImage image(8, 2, 1, c.palette);
    EXPECT_EQ(HeaderOf(Write(pdev.get(), image, c.rop3)), std::string("save true true [8 0 0 2 0 0]") + c.header);
  }
  // Deeper sources are grey, inverted only for NOTSRCCOPY.
  PdevPtr pdev = PagePdev(kPdlPs3);
  TestImage deep(8, 2, 8, GreyPalette());
  EXPECT_EQ(HeaderOf(Write(pdev.get(), deep, NOTSRCCOPY)), "save true true [8 0 0 2 0 0][1 0] 8 8 2 16 4 10 20 ImGray");
  EXPECT_EQ(HeaderOf(Write(pdev.get(), deep, SRCAND)), "save true true [8 0 0 2 0 0][0 1] 8 8 2 16 4 10 20 ImGray");
  // The grey writer: always 8-bit ImGray.
  TestImage bits(8, 2, 1, whiteBlack);
  EXPECT_EQ(HeaderOf(Write(pdev.get(), bits, SRCAND, true)),
            "save true true [8 0 0 2 0 0][0 1] 8 8 2 16 4 10 20 ImGray");
  EXPECT_EQ(HeaderOf(Write(pdev.get(), bits, NOTSRCCOPY, true)),
            "save true true [8 0 0 2 0 0][1 0] 8 8 2 16 4 10 20 ImGray");
}

TEST(RasterPostScriptTest, PixelsOfEveryDepthBecomeGreyBytes) {
  // Raw data: no run length, binary.
  auto raw = [] { return PagePdev(kPdlPs3, 600, kImageCompressionNone, kAdvBinaryData); };
  PdevPtr pdev = raw();

  // 1 bit, moved to the front and the bits past the width cleared.
  TestImage bits(10, 1, 1);
  bits.Row(0)[0] = 0xA5;
  bits.Row(0)[1] = 0xFF;
  EXPECT_EQ(DataOf(Write(pdev.get(), bits, SRCCOPY)), std::string("\xA5\xC0", 2));
  // 1 bit with a colour palette: the palette's greys.
  TestImage coloured(4, 1, 1, {0x0000FF, 0x00FF00});
  coloured.Row(0)[0] = 0x50;  // 0 1 0 1
  EXPECT_EQ(DataOf(Write(pdev.get(), coloured, SRCCOPY)), std::string("\x4C\x96\x4C\x96", 4));
  // 4 bits: through the palette, or 16 x index without one.
  TestImage nibbles(4, 1, 4, {kBlack, 0x808080, kWhite});
  nibbles.Row(0)[0] = 0x01;
  nibbles.Row(0)[1] = 0x2F;
  EXPECT_EQ(DataOf(Write(pdev.get(), nibbles, SRCCOPY)), std::string("\x00\x80\xFF\xF0", 4));
  EXPECT_EQ(DataOf(Write(pdev.get(), nibbles, SRCCOPY, false, nullptr, false)), std::string("\x00\x10\x20\xF0", 4));
  // 8 bits: the palette, or the index itself.
  TestImage bytes(3, 1, 8, {0x0000FF});
  bytes.Row(0)[0] = 0;
  bytes.Row(0)[1] = 7;
  bytes.Row(0)[2] = 200;
  EXPECT_EQ(DataOf(Write(pdev.get(), bytes, SRCCOPY)), std::string("\x4C\x07\xC8", 3));
  // 16 bits (5-5-5), 24 and 32 (blue, green, red) by the grey rule.
  for (DWORD depth : {16u, 24u, 32u}) {
    SCOPED_TRACE(depth);
    TestImage colour(3, 1, depth);
    colour.Set(0, 0, 0xFFFFFF);
    colour.Set(1, 0, 0xFF0000);  // red
    colour.Set(2, 0, 0x0000FF);  // blue
    EXPECT_EQ(DataOf(Write(pdev.get(), colour, SRCCOPY)), std::string("\xFF\x4C\x1C", 3));
    // The grey writer reads them the same way.
    EXPECT_EQ(DataOf(Write(pdev.get(), colour, SRCCOPY, true)), std::string("\xFF\x4C\x1C", 3));
  }
  // A translation that leaves the primaries as they are: the bytes are red,
  // green, blue.
  std::unique_ptr<XLATEOBJ> identity(new XLATEOBJ{});
  identity->flXlate = XO_TRIVIAL;
  TestImage rgb(1, 1, 24);
  rgb.Set(0, 0, 0xFF0000);  // stored 00 00 FF: read as blue
  EXPECT_EQ(DataOf(Write(pdev.get(), rgb, SRCCOPY, false, identity.get())), std::string("\x1C", 1));
}

TEST(RasterPostScriptTest, DataFormsAndTheirEnds) {
  TestImage image(40, 3, 8, GreyPalette());
  image.Fill(0x77);
  struct Case {
    const char* name;
    WORD compression;
    DWORD advanced;
    const char* flags;
    const char* end;  // what precedes "\nrestore\n"
  } cases[] = {
      {"run length, ASCII85", 5, 0, "save true true ", "~>\n"},
      {"run length, binary", 5, kAdvBinaryData, "save true false ", "\x80"},
      {"raw, ASCII85", kImageCompressionNone, 0, "save false true ", "~>\n"},
      {"raw, binary", kImageCompressionNone, kAdvBinaryData, "save false false ", "\x77\x77"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PdevPtr pdev = PagePdev(kPdlPs3, 600, c.compression, c.advanced);
    const std::string out = Write(pdev.get(), image, SRCCOPY);
    EXPECT_EQ(out.rfind(std::string("\n") + c.flags, 0), 0u) << out.substr(0, 40);
    const std::string tail = std::string(c.end) + "\nrestore\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
  }
  // Binary run length: each row is one run of 40 (257 - 40 = 217) and the
  // end marker.
  PdevPtr pdev = PagePdev(kPdlPs3, 600, 5, kAdvBinaryData);
  EXPECT_EQ(DataOf(Write(pdev.get(), image, SRCCOPY)), std::string("\xD9\x77\xD9\x77\xD9\x77\x80", 7));
}

TEST(RasterPostScriptTest, MemoryRunningOutFailsTheImage) {
  PdevPtr pdev = PagePdev(kPdlPs3);
  TestImage image(40, 3, 8, GreyPalette());
  ImageDescriptor d;
  d.width = 40;
  d.height = 3;
  d.bitsPerPixel = 8;
  d.stride = image.surface()->lDelta;
  d.scan0 = image.Row(0);
  const ImageRect rect{0, 0, 40, 3};
  FailGraphicsHeapAfter(0);
  const std::string out = Output(pdev.get(), [&] {
    EXPECT_FALSE(WritePsImage(pdev.get(), &d, &rect, &rect, nullptr, SRCCOPY));
    EXPECT_FALSE(WritePsImageGray(pdev.get(), &d, &rect, &rect, SRCCOPY));
  });
  FailGraphicsHeapAfter(-1);
  EXPECT_EQ(out, "");
  // Without room for the run-length buffer the image goes without run length.
  FailGraphicsHeapAfter(1);
  const std::string plain =
      Output(pdev.get(), [&] { EXPECT_TRUE(WritePsImage(pdev.get(), &d, &rect, &rect, nullptr, SRCCOPY)); });
  FailGraphicsHeapAfter(-1);
  EXPECT_EQ(plain.rfind("\nsave false true ", 0), 0u) << plain.substr(0, 30);
}

}  // namespace
}  // namespace rastertest
