// Pictures of the watermark page (with its preview), the fonts page and the
// font substitution table, as a user opens them from an application's Print
// dialog through the real driver, for both shipped models.
#include <gtest/gtest.h>

#include <string>

#include "tests/sessions/png_picture.h"
#include "tests/sessions/printhost_session.h"

namespace {

// How many pixels of the picture have this colour exactly.
int CountColour(const sessions::Picture& picture, uint32_t colour) {
  int count = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) count += picture.At(x, y) == colour;
  return count;
}

TEST(PagesPictureTest, WatermarkFontsAndSubstitutionDialogsOfBothModels) {
  const sessions::fs::path pictures = sessions::TestFolder();
  for (const char* model : {"nardo-c5545", "nardo-m3020"}) {
    SCOPED_TRACE(model);
    const sessions::fs::path folder = pictures / model;
    sessions::fs::create_directories(folder);
    // The sheet behind the Print dialog's button 200; its pages in order:
    // document, job options, watermark, fonts, ...
    const std::string script = R"(click 200
  pick 1028 #2
  pick 1155 "社外秘"
  png "watermark.png"
  pick 1028 #3
  png "fonts.png"
  click 1152
    png "table.png"
    cancel
  cancel
cancel
)";
    const sessions::HostRun run = sessions::RunHost(folder, std::string(model) + ".ini", script, {"--properties"});
    EXPECT_EQ(run.exitCode, 1) << run.said;  // cancelled: nothing printed
    for (const char* name : {"watermark.png", "fonts.png", "table.png"}) {
      SCOPED_TRACE(name);
      sessions::Picture picture;
      ASSERT_TRUE(sessions::ReadPicture((folder / name).string(), &picture));
      EXPECT_GT(picture.Ink(0, 0, picture.width, picture.height), 2000);
    }
    sessions::Picture watermark;
    ASSERT_TRUE(sessions::ReadPicture((folder / "watermark.png").string(), &watermark));
    // The preview: the grey square around the white sheet.
    EXPECT_GT(CountColour(watermark, 0x808080), 1000);
  }
}

}  // namespace
