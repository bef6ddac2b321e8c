// The pieces of the job-time decorations that stand alone: which insert-sheet
// rows become tabs, the status monitor's command line, and the macro-file
// dialog's refusal of the driver's own macro folder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "interface/app/library_state.h"
#include "interface/decorations/page_decorations.h"
#include "interface/job/status_monitor_launch.h"
#include "monitor/command_line.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/message_box.h"
#include "tests/interface/ui_test_support.h"

namespace uitest {
namespace {

PageTicketRow Row(int page, int tab, const char* text = "") {
  PageTicketRow row{};
  row.pageNumber = page;
  row.tabFlag = tab;
  std::strncpy(row.tabText, text, sizeof row.tabText - 1);
  return row;
}

TEST(TabChoice, RowsBecomeTabsAfterThePagesTheyName) {
  struct Case {
    const char* what;
    std::vector<PageTicketRow> rows;
    int pages;
    bool duplex;
    std::vector<int> tabPages;
  };
  const Case cases[] = {
      // clang-format off
      {"simplex: every tab row of a page the job has", {Row(1, 1, "a"), Row(3, 1, "b"), Row(9, 1, "c")}, 5, false,
       // clang-format on
       {1, 3}},
      {"duplex: an odd page's row is passed over", {Row(3, 1, "a"), Row(4, 1, "b")}, 6, true, {4}},
      {"duplex: the last page of an odd job ends a sheet", {Row(2, 1, "a"), Row(5, 1, "b")}, 5, true, {2, 5}},
      {"rows before page 1", {Row(0, 1, "front"), Row(0, 1, "second"), Row(2, 1, "b")}, 4, false, {0, 0, 2}},
      {"a row without text or tab flag is passed over", {Row(1, 1, ""), Row(2, 0, "x"), Row(3, 1, "c")}, 3, false, {3}},
      {"no pages", {Row(1, 1, "a")}, 0, false, {}},
  };
  for (const Case& c : cases) {
    std::vector<TabEntry> entries(10);
    const int count = ChooseTabEntries(c.rows.data(), static_cast<int>(c.rows.size()), c.pages, c.duplex,
                                       entries.data(), static_cast<int>(entries.size()));
    std::vector<int> pages;
    for (int i = 0; i < count; ++i) {
      pages.push_back(entries[i].page);
      EXPECT_EQ(entries[i].mode, kTabModeText) << c.what;
    }
    EXPECT_EQ(pages, c.tabPages) << c.what;
  }
  // Never more entries than the caller has room for.
  const std::vector<PageTicketRow> many = {Row(1, 1, "a"), Row(2, 1, "b"), Row(3, 1, "c")};
  TabEntry two[2];
  EXPECT_EQ(ChooseTabEntries(many.data(), 3, 3, false, two, 2), 2);
}

TEST(StatusMonitorLine, NamesProgramPrinterJobAndDocument) {
  char line[1024];
  FormatMonitorCommandLine(line, sizeof line, "C:\\Program Files\\Driver\\vigilod5.exe", "Office (2F)",
                           MonitorVerb::JobStarted, 42, "Q3 report.doc");
  EXPECT_STREQ(line, "\"C:\\Program Files\\Driver\\vigilod5.exe\" _(Office (2F))_ JOB_STARTED 42 Q3 report.doc");
  FormatMonitorCommandLine(line, sizeof line, "C:\\D\\vigilod5.exe", "P", MonitorVerb::JobDelete, 7, "");
  EXPECT_STREQ(line, "\"C:\\D\\vigilod5.exe\" _(P)_ JOB_DELETE 7 ");
  // A line longer than the buffer is cut, terminated.
  char small[16];
  FormatMonitorCommandLine(small, sizeof small, "C:\\D\\vigilod5.exe", "P", MonitorVerb::JobDelete, 7, "doc");
  EXPECT_EQ(std::strlen(small), sizeof small - 1);
}

// What the library writes, the monitor reads back: any printer name, with any
// path and document, gives the same printer, verb and job arguments.
TEST(StatusMonitorLine, MonitorReadsBackAnyPrinterName) {
  const char* const names[] = {
      "Sales )_ Floor", "Sales }_ Floor", "a )_ b }_ c",    "a_(b",        "x_{y}_z", ")_", "}_",
      "_(P)_ NORMAL",   "Office (2F)",    "JOB_DELETE 3 x", "a )_ }_ JOB", "P",
  };
  const char* const paths[] = {"C:\\Program Files\\Driver\\vigilod5.exe", "C:\\a_(b)_\\c_{d}_\\vigilod5.exe"};
  for (const char* name : names) {
    for (const char* path : paths) {
      for (const MonitorVerb verb : {MonitorVerb::JobStarted, MonitorVerb::JobDelete}) {
        char line[1024];
        FormatMonitorCommandLine(line, sizeof line, path, name, verb, 42, "Q3 )_ }_ JOB_DELETE 1 report.doc");
        PM_CCommandLine read(line);
        EXPECT_EQ(read.GetPrinterName(), name) << line;
        EXPECT_EQ(read.GetCommand(), verb == MonitorVerb::JobStarted ? kCommandJobStarted : kCommandJobDelete) << line;
        const std::vector<std::string> expected = {"42", "Q3 )_ }_ JOB_DELETE 1 report.doc"};
        EXPECT_EQ(read.GetJobArguments(), expected) << line;
      }
    }
  }
}

class MacroFileDialogTest : public UiCoreTest {
 protected:
  void TearDown() override {
    platform::SetFileDialogHandler(nullptr);
    platform::SetMessageBoxHandler(nullptr);
    UiCoreTest::TearDown();
  }
};

TEST_F(MacroFileDialogTest, TheDriversMacroFolderIsRefusedAndTheUserAskedAgain) {
  char macroFolder[MAX_PATH] = {};
  ASSERT_EQ(LibrarySettings().GetPath(6, macroFolder, sizeof macroFolder), 0u);
  std::string inMacroFolder = std::string(macroFolder);
  if (inMacroFolder.back() != '\\') inMacroFolder += '\\';
  // The same folder written in other letters is still the driver's.
  for (char& c : inMacroFolder) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  inMacroFolder += "mine.pcl";
  std::vector<int> attempts;
  platform::SetFileDialogHandler([&](const platform::FileDialogRequest& request, std::string* chosen) {
    attempts.push_back(request.attempt);
    *chosen = request.attempt == 0 ? platform::Utf8FromAnsi(inMacroFolder) : "C:\\Users\\macros\\mine";
    return true;
  });
  std::vector<std::string> boxes;
  platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest& box) {
    boxes.push_back(box.caption);
    return IDOK;
  });
  char file[MAX_PATH] = "*.pcl";
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof file;
  dialog.lpstrTitle = "Specify Macro File";
  dialog.lpstrDefExt = "pcl";
  dialog.Flags = OFN_ENABLEHOOK | OFN_EXPLORER;
  dialog.lpfnHook = SaveMacroFileHook;
  ASSERT_TRUE(GetSaveFileNameA(&dialog));
  EXPECT_EQ(attempts, (std::vector<int>{0, 1}));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Specify Macro File");
  EXPECT_STREQ(file, "C:\\Users\\macros\\mine.pcl");
  EXPECT_EQ(dialog.nFileOffset, std::strlen("C:\\Users\\macros\\"));
}

}  // namespace
}  // namespace uitest
