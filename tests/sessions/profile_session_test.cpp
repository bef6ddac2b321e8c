// A user keeps the settings of a duplex 4-up job as a profile and picks it for a
// later job in the application's Print dialog: the later job, printed from the
// printer's plain settings, must come out duplex with four pages on a sheet,
// just as the job whose settings were saved.
#include <regex>
#include <string>
#include <vector>

#include "tests/sessions/printhost_session.h"

namespace {

// What the job says about duplex and where its pages sit on the sheets.
struct JobLayout {
  bool duplex = false;
  int cells = 0;  // pages placed as reduced cells of a sheet
  std::vector<std::string> lines;
};

JobLayout LayoutOf(const std::string& job) {
  JobLayout layout;
  static const std::regex duplex(R"(/Duplex +true)");
  static const std::regex cell(R"(^[0-9.]+ [0-9.]+ translate (90|270) rotate [0-9.]+ [0-9.]+ scale$)");
  std::istringstream lines(job);
  std::string line;
  while (std::getline(lines, line)) {
    if (std::regex_search(line, duplex)) layout.duplex = true;
    if (std::regex_match(line, cell)) ++layout.cells, layout.lines.push_back(line);
  }
  return layout;
}

TEST(ProfileSessionTest, AProfileSavedWithDuplexAndFourUpPrintsWithBoth) {
  const sessions::fs::path folder = sessions::TestFolder();
  // The settings dialog sits behind the document page's push button (200).
  const sessions::HostRun saved = sessions::RunHost(folder, "nardo-c5545.ini", R"(click 200
  click 4                      # Profiles...
    type 1442 "Duplex 4-up"
    click 1643                 # Add
    expect 1440 selected "Duplex 4-up"
    click 1450                 # Close
  ok
ok
)",
                                                    {"--properties", "--duplex", "long", "--nup", "4", "--marks", "4"});
  ASSERT_EQ(saved.exitCode, 0) << saved.said;
  const JobLayout reference = LayoutOf(saved.job);
  ASSERT_TRUE(reference.duplex);
  ASSERT_EQ(reference.cells, 4);

  const sessions::HostRun plain = sessions::RunHost(folder, "nardo-c5545.ini", "", {"--marks", "4"});
  ASSERT_EQ(plain.exitCode, 0) << plain.said;
  EXPECT_FALSE(LayoutOf(plain.job).duplex);
  EXPECT_EQ(LayoutOf(plain.job).cells, 0);

  const sessions::HostRun picked = sessions::RunHost(folder, "nardo-c5545.ini", R"(click 200
  pick 1490 "Duplex 4-up"
  ok
ok
)",
                                                     {"--properties", "--marks", "4"});
  ASSERT_EQ(picked.exitCode, 0) << picked.said;
  const JobLayout layout = LayoutOf(picked.job);
  EXPECT_TRUE(layout.duplex);
  EXPECT_EQ(layout.cells, 4);
  EXPECT_EQ(layout.lines, reference.lines);
}

TEST(ProfileSessionTest, CancellingTheSheetPrintsNothing) {
  const sessions::HostRun run =
      sessions::RunHost(sessions::TestFolder(), "nardo-c5545.ini", "cancel\n", {"--properties", "--duplex", "long"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.said.find("the document settings were cancelled; nothing printed"), std::string::npos) << run.said;
  EXPECT_TRUE(run.job.empty());
}

TEST(ProfileSessionTest, AFaultInsideTheSheetNamesItsLineAndPrintsNothing) {
  const sessions::HostRun run =
      sessions::RunHost(sessions::TestFolder(), "nardo-c5545.ini",
                        "click 200\n  pick 1490 \"No such profile\"\n  ok\nok\n", {"--properties"});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.said.find("session.txt:2: \"1490\" has no entry \"No such profile\""), std::string::npos) << run.said;
  EXPECT_TRUE(run.job.empty());
}

}  // namespace
