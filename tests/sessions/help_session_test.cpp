// A user asks for help while choosing the settings of a print job: the Help
// button of the settings dialog opens the topic of the page in front, the one
// of the profiles dialog the profiles topic, in the help file the model names.
// The machine records each help viewer it would have started.
#include <string>
#include <vector>

#include "platform/base/processes.h"
#include "tests/sessions/printhost_session.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

TEST(HelpSessionTest, HelpOnTwoPagesAndTheProfilesOpensTheirTopics) {
  for (const char* model : {"nardo-c5545.ini", "nardo-m3020.ini"}) {
    SCOPED_TRACE(model);
    const sessions::fs::path folder = sessions::TestFolder() / model;
    sessions::fs::create_directories(folder);
    const sessions::HostRun run = sessions::RunHost(folder, model, R"(click 200
  click 9                      # Help on the first page, the document page
  page "ｲﾝﾌｫﾒｰｼｮﾝ"
  click ヘルプ
  click 4
    click 9                    # Help in the profiles dialog
    click 1450
  cancel
cancel
)",
                                                    {"--properties"});
    EXPECT_EQ(run.exitCode, 1) << run.said;
    EXPECT_NE(run.said.find("the document settings were cancelled"), std::string::npos) << run.said;

    const std::vector<std::string> records = Lines(sessions::ReadAll(folder / "root" / "records" / "help.txt"));
    const std::vector<std::string> pages = {"nardo5.chm::/dir/idh_document.htm", "nardo5.chm::/dir/idh_general.htm",
                                            "nardo5.chm::/dir/idh_profiles.htm"};
    ASSERT_EQ(records.size(), pages.size());
    for (size_t i = 0; i < pages.size(); ++i) {
      SCOPED_TRACE(records[i]);
      ASSERT_EQ(records[i].rfind("hh.exe\t", 0), 0u);
      // The compiled help viewer gets the driver folder's help page as one argument.
      const std::vector<std::string> words = platform::SplitCommandLine(records[i].substr(7));
      ASSERT_EQ(words.size(), 2u);
      EXPECT_EQ(words[0], "hh.exe");
      const std::string& page = words[1];
      ASSERT_GT(page.size(), pages[i].size());
      EXPECT_EQ(page.substr(page.size() - pages[i].size() - 1), "\\" + pages[i]);
    }
  }
}

}  // namespace
