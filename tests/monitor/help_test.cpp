// Help for the monitor's dialogs: the model description names the help file;
// compiled help goes to the viewer with the dialog's page, the older kind to
// WinHelp with the dialog's topic. Nothing is started on this machine: the
// platform records what a Windows machine would have opened.
#include <gtest/gtest.h>

#include "monitor/monitor_help.h"
#include "platform/ui/help.h"
#include "tests/monitor/monitor_fixture.h"

namespace monitortest {
namespace {

class Help : public MonitorTest, public ::testing::WithParamInterface<const char*> {
 protected:
  std::string ModelGeneral() const override { return std::string("ModelName=Nardo 24\nModelID=50\n") + GetParam(); }
};

TEST_P(Help, TheModelsFileOpensAtTheDialogsTopic) {
  const std::string line = GetParam();
  ShowMonitorHelp(kPrinter, 165);
  ShowMonitorHelp(kPrinter, 999);
  const auto records = platform::ReadHelpRecords();
  ASSERT_EQ(records.size(), 2u);
  if (line.find("CHM") != std::string::npos) {
    EXPECT_EQ(records[0].viewer, "hh.exe");
    EXPECT_NE(records[0].commandLine.find("PM HELP.CHM::/dir/idh_monitor_settings.htm"), std::string::npos)
        << records[0].commandLine;
    EXPECT_NE(records[1].commandLine.find("::/dir/idh_main_dialog.htm"), std::string::npos);
  } else {
    EXPECT_EQ(records[0].viewer, "WinHelp");
    EXPECT_EQ(records[0].command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(records[0].data, 41u);
    EXPECT_EQ(records[1].data, 37u);
    const std::string expected = line.empty() ? "vigilod5.hlp" : "monitor.hlp";
    EXPECT_EQ(records[0].file.substr(records[0].file.size() - expected.size()), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, Help,
                         ::testing::Values("PrinterMonitorHelp=PM HELP.CHM\n", "PrinterMonitorHelp=monitor.hlp\n", ""));

TEST(HelpPath, SplitsAtTheLastSeparator) {
  struct Case {
    const char* path;
    const char* folder;
    const char* file;
  };
  for (const Case& c : {Case{"C:\\Program Files\\D5\\vigilod5.exe", "C:\\Program Files\\D5\\", "vigilod5.exe"},
                        Case{"vigilod5.exe", "", "vigilod5.exe"}, Case{"C:help.chm", "C:", "help.chm"}}) {
    std::string folder, file;
    SplitHelpPath(&folder, &file, c.path);
    EXPECT_EQ(folder, c.folder);
    EXPECT_EQ(file, c.file);
  }
}

TEST_F(MonitorTest, APrinterThatCannotBeOpenedStartsNoHelp) {
  EXPECT_EQ(ShowMonitorHelp("No such printer", 102), 0);
  EXPECT_TRUE(platform::ReadHelpRecords().empty());
}

}  // namespace
}  // namespace monitortest
