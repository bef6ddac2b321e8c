// Glyph sets, code-page conversions, memory and semaphores for the driver.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "platform/base/codepage.h"
#include "platform/gdi/engine.h"

namespace {

HGLYPH HandleOf(const FD_GLYPHSET* set, WCHAR wc) {
  const WCRUN* runs = set->awcrun;
  for (ULONG r = 0; r < set->cRuns; ++r)
    if (wc >= runs[r].wcLow && wc < runs[r].wcLow + runs[r].cGlyphs) return runs[r].phg[wc - runs[r].wcLow];
  return HGLYPH_INVALID;
}

TEST(GdiServices, GlyphSetMapsSingleByteCodesOfTheCodePage) {
  ASSERT_TRUE(platform::SetAnsiCodePage(932));
  FD_GLYPHSET* set = EngComputeGlyphSet(0, 0, 256);
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(HandleOf(set, u'A'), 0x41u);
  EXPECT_EQ(HandleOf(set, u'\uFF71'), 0xB1u);           // half-width katakana A
  EXPECT_EQ(HandleOf(set, u'\u0081'), HGLYPH_INVALID);  // 0x81 is a lead byte, not a character
  ULONG total = 0;
  for (ULONG r = 0; r < set->cRuns; ++r) total += set->awcrun[r].cGlyphs;
  EXPECT_EQ(total, set->cGlyphsSupported);
  EngFreeMem(set);

  ASSERT_TRUE(platform::SetAnsiCodePage(1252));
  set = EngComputeGlyphSet(0, 0x20, 0xE0);
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(HandleOf(set, u'\u20AC'), 0x80u);  // the euro sign
  EXPECT_EQ(HandleOf(set, u'\u00E9'), 0xE9u);
  EngFreeMem(set);
  EXPECT_EQ(EngComputeGlyphSet(0, 200, 100), nullptr);
  platform::SetAnsiCodePage(932);
}

TEST(GdiServices, ConversionsCountBytesAndNeverSplitACharacter) {
  ASSERT_TRUE(platform::SetAnsiCodePage(932));
  char16_t wide[] = u"A漢B";
  char out[8] = {};
  ULONG written = 0;
  EngUnicodeToMultiByteN(out, 2, &written, reinterpret_cast<PWSTR>(wide), 6);
  EXPECT_EQ(written, 1u);  // "A" and not half of the kanji
  EngUnicodeToMultiByteN(out, sizeof(out), &written, reinterpret_cast<PWSTR>(wide), 6);
  EXPECT_EQ(written, 4u);

  WCHAR back[8] = {};
  EngMultiByteToUnicodeN(back, sizeof(back), &written, out, 4);
  EXPECT_EQ(written, 6u);
  EXPECT_EQ(std::u16string(back, 3), u"A漢B");
  EngMultiByteToUnicodeN(back, 2, &written, out, 4);
  EXPECT_EQ(written, 2u);

  EXPECT_EQ(EngWideCharToMultiByte(932, reinterpret_cast<LPWSTR>(wide), 6, out, sizeof(out)), 4);
  USHORT oem = 0, ansi = 0;
  EngGetCurrentCodePage(&oem, &ansi);
  EXPECT_EQ(ansi, 932);
}

TEST(GdiServices, SemaphoresAreRecursiveAndExclude) {
  HSEMAPHORE sem = EngCreateSemaphore();
  ASSERT_NE(sem, 0u);
  EngAcquireSemaphore(sem);
  EngAcquireSemaphore(sem);  // the owner may take it again
  int shared = 0;
  std::thread other([&] {
    EngAcquireSemaphore(sem);
    shared = 2;
    EngReleaseSemaphore(sem);
  });
  shared = 1;
  EngReleaseSemaphore(sem);
  EXPECT_EQ(shared, 1);
  EngReleaseSemaphore(sem);
  other.join();
  EXPECT_EQ(shared, 2);
  EngDeleteSemaphore(sem);

  auto* zeroed = static_cast<BYTE*>(EngAllocMem(FL_ZERO_MEMORY, 64, 0x206C657A));
  ASSERT_NE(zeroed, nullptr);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(zeroed[i], 0);
  EngFreeMem(zeroed);
}

}  // namespace
