// The cache of PCL font lists: one node per printer name (without regard to case)
// and language word, freed one by one or all at once.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/pdl_kind.h"
#include "interface/pages/pcl_font_cache.h"
#include "tests/interface/ui_test_support.h"

namespace uitest {
namespace {

class PclFontCacheTest : public UiCoreTest {};

TEST_F(PclFontCacheTest, OneNodePerPrinterNameAndLanguageWord) {
  int found = -1;
  PclFontList* pcl = FindPclFontList("Office Printer", kPdlPcl5si, &found);
  ASSERT_NE(pcl, nullptr);
  EXPECT_EQ(found, 0);
  EXPECT_STREQ(pcl->printerName, "Office Printer");
  EXPECT_EQ(pcl->pdl, kPdlPcl5si);
  EXPECT_EQ(pcl->count, 0u);
  EXPECT_EQ(pcl->entries, nullptr);

  EXPECT_EQ(FindPclFontList("OFFICE printer", kPdlPcl5si, &found), pcl);
  EXPECT_EQ(found, 1);
  PclFontList* ps = FindPclFontList("Office Printer", kPdlPs3, &found);
  EXPECT_NE(ps, pcl) << "each language has a list of its own";
  EXPECT_EQ(found, 0);

  // Case is folded on whole characters only: "ア" (0x83 0x41) and "ヂ" (0x83 0x61)
  // differ in a trail byte that looks like an ASCII letter.
  PclFontList* a = FindPclFontList(A("プリンタア").c_str(), kPdlPcl5si, &found);
  PclFontList* di = FindPclFontList(A("プリンタヂ").c_str(), kPdlPcl5si, &found);
  EXPECT_NE(a, di);
  EXPECT_EQ(found, 0);
  EXPECT_EQ(CountPclFontLists(), 4u);

  EXPECT_EQ(FindPclFontList(nullptr, kPdlPcl5si, &found), nullptr);
  EXPECT_EQ(found, 0);
  const std::string tooLong(260, 'p');
  EXPECT_EQ(FindPclFontList(tooLong.c_str(), kPdlPcl5si, &found), nullptr)
      << "a name cut to the node's field would never be found again";
  const std::string longest(259, 'p');
  EXPECT_NE(FindPclFontList(longest.c_str(), kPdlPcl5si, &found), nullptr);
  EXPECT_EQ(FindPclFontList(longest.c_str(), kPdlPcl5si, &found),
            FindPclFontList(longest.c_str(), kPdlPcl5si, nullptr));
  EXPECT_EQ(found, 1);
}

TEST_F(PclFontCacheTest, FreeingTakesTheMatchingNodeOrAll) {
  int found = 0;
  PclFontList* first = FindPclFontList("First", kPdlPcl5si, &found);
  ASSERT_TRUE(AllocatePclFontEntries(first, 3));
  EXPECT_EQ(first->count, 3u);
  FindPclFontList("First", kPdlPs3, &found);
  FindPclFontList("Second", kPdlPcl5si, &found);

  // Another language word is another node.
  EXPECT_EQ(FreePclFontLists("first", kPdlPcl5e), 0);
  EXPECT_EQ(CountPclFontLists(), 3u);
  EXPECT_EQ(FreePclFontLists("FIRST", kPdlPcl5si), 0);
  EXPECT_EQ(CountPclFontLists(), 2u);
  FindPclFontList("First", kPdlPcl5si, &found);
  EXPECT_EQ(found, 0) << "a freed list is built again";
  FindPclFontList("First", kPdlPs3, &found);
  EXPECT_EQ(found, 1);

  EXPECT_EQ(FreePclFontLists(nullptr, 0), 0);
  EXPECT_EQ(CountPclFontLists(), 0u);
  FindPclFontList("Second", kPdlPcl5si, &found);
  EXPECT_EQ(found, 0);
}

TEST_F(PclFontCacheTest, FaceNamesAreFoundWithoutRegardToCase) {
  int found = 0;
  PclFontList* list = FindPclFontList("Fonts", kPdlPcl5si, &found);
  ASSERT_TRUE(AllocatePclFontEntries(list, 3));
  const char* faces[] = {"Courier", "CG Times", "Univers"};
  for (int i = 0; i < 3; ++i)
    std::strcpy(reinterpret_cast<char*>(list->entries[i].metrics + kPclMetricsFaceOffset), faces[i]);
  // A face that fills its whole field has no NUL there.
  std::memset(list->entries[2].metrics + kPclMetricsFaceOffset, 'U', kPclMetricsFaceSize);

  EXPECT_EQ(FindFontFace("cg times", list), 1);
  EXPECT_EQ(FindFontFace("COURIER", list), 0);
  EXPECT_EQ(FindFontFace(std::string(kPclMetricsFaceSize, 'u').c_str(), list), 2);
  EXPECT_EQ(FindFontFace("Arial", list), -1);
  EXPECT_EQ(FindFontFace(nullptr, list), -1);
  EXPECT_EQ(FindFontFace("Courier", nullptr), -1);
}

}  // namespace
}  // namespace uitest
