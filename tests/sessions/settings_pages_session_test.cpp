// A user sets up a job on the document and image pages of the driver's sheet in
// an application's Print dialog and prints: A5 landscape, several pages on a
// sheet with borders, three collated copies and (PostScript) 200 % scale. The
// job must carry those settings, and Ghostscript must show the pages in their
// cells. Then a picture of every settings page of both models.
#include <string>

#include "tests/sessions/png_picture.h"
#include "tests/sessions/printhost_session.h"
#include "tests/support/ghostscript_run.h"

namespace {

// The PostScript between the PJL language switch and the closing UEL.
std::string PostScriptOf(const std::string& job) {
  const size_t enter = job.find("@PJL ENTER LANGUAGE=POSTSCRIPT");
  const size_t start = enter == std::string::npos ? 0 : job.find('\n', enter) + 1;
  const size_t end = job.find("\x1b%-12345X", start);
  return job.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(SettingsPagesSessionTest, APostScriptJobCarriesTheChosenDocumentAndImageSettings) {
  const sessions::HostRun run = sessions::RunHost(sessions::TestFolder(), "nardo-c5545.ini", R"(click 200
  pick 1052 "A5"
  check 1032 on
  pick 1038 "4"
  check 1124 on
  type 1034 "3" replace
  check 1120 on
  page "イメージ"
  type 1058 "200" replace
  ok
ok
)",
                                                  {"--properties", "--marks", "4"});
  ASSERT_EQ(run.exitCode, 0) << run.said;
  const std::string& job = run.job;
  EXPECT_NE(job.find("/NumCopies          3 put"), std::string::npos);
  EXPECT_NE(job.find("/Collate            true put"), std::string::npos);
  EXPECT_NE(job.find("/PageSize           [420 595] put"), std::string::npos);
  // Four pages turned onto one sheet, and the first page's bar (a quarter by a
  // half inch at 600 dpi) drawn twice its size.
  EXPECT_EQ(Count(job, " rotate 0.352 0.352 scale"), 4u);
  EXPECT_NE(job.find(" np 1200 1200 300 600 "), std::string::npos);

  if (!testsupport::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  const testsupport::GhostscriptRun rendered = testsupport::RunPostScriptJob(PostScriptOf(job), 36);
  ASSERT_TRUE(rendered.Clean()) << rendered.output;
  ASSERT_GE(rendered.pages.size(), 1u);
  // One sheet holds the four pages: each quarter of it has a page's bar.
  const testsupport::RenderedPage& sheet = rendered.pages[0];
  const int w = sheet.width / 2, h = sheet.height / 2;
  for (int cell = 0; cell < 4; ++cell) {
    SCOPED_TRACE(cell);
    EXPECT_GT(sheet.DarkCount((cell % 2) * w, (cell / 2) * h, w, h), 20);
  }
}

TEST(SettingsPagesSessionTest, APclJobCarriesTheChosenDocumentSettings) {
  const sessions::HostRun run = sessions::RunHost(sessions::TestFolder(), "nardo-m3020.ini", R"(click 200
  pick 1052 "A5"
  check 1032 on
  pick 1038 "2"
  check 1124 on
  type 1034 "3" replace
  expect 1120 hidden
  expect 1221 visible
  page "イメージ"
  expect 1058 hidden
  ok
ok
)",
                                                  {"--properties", "--marks", "4"});
  ASSERT_EQ(run.exitCode, 0) << run.said;
  EXPECT_NE(run.job.find("@PJL SET COPIES = 3"), std::string::npos);
  EXPECT_NE(run.job.find("@PJL SET NUP = 2"), std::string::npos);
  EXPECT_NE(run.job.find("\x1b&l25A"), std::string::npos);  // A5
  EXPECT_NE(run.job.find("\x1b&l1O"), std::string::npos);   // landscape
}

// Every settings page this version builds, as a user sees it on each model.
TEST(SettingsPagesSessionTest, EachPageOfEachModelCanBeSeen) {
  const sessions::fs::path base = sessions::TestFolder();
  for (const char* model : {"nardo-c5545", "nardo-m3020"}) {
    SCOPED_TRACE(model);
    const std::string tag = std::string(model).substr(6);
    // A machine of its own for each model: a root keeps the printer it was given first.
    const sessions::fs::path folder = base / tag;
    sessions::fs::create_directories(folder);
    // clang-format off
    const std::string script = "click 200\n"
                               "  png \"" + tag + "-document.png\"\n"
                               "  pick 1028 #1\n  png \"" + tag + "-job-options.png\"\n"
                               "  page \"イメージ\"\n  png \"" + tag + "-image.png\"\n"
                               "  page \"高度な設定\"\n  png \"" + tag + "-advanced.png\"\n"
                               "  cancel\ncancel\n";
    // clang-format on
    const sessions::HostRun run = sessions::RunHost(folder, std::string(model) + ".ini", script, {"--properties"});
    EXPECT_EQ(run.exitCode, 1) << run.said;
    EXPECT_NE(run.said.find("cancelled; nothing printed"), std::string::npos) << run.said;
    for (const char* page : {"document", "job-options", "image", "advanced"}) {
      sessions::Picture picture;
      ASSERT_TRUE(sessions::ReadPicture((folder / (tag + "-" + page + ".png")).string(), &picture)) << page;
      // The page area right of the page list holds the page's labels and controls.
      EXPECT_GT(picture.Ink(picture.width / 4, picture.height / 8, picture.width, picture.height * 7 / 8), 100) << page;
    }
  }
}

}  // namespace
