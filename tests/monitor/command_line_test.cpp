// The monitor's command line: printer, verb and job arguments.
#include <gtest/gtest.h>

#include "monitor/command_line.h"

namespace {

struct LineCase {
  const char* line;
  const char* printer;
  MonitorCommand command;
  std::vector<std::string> arguments;
};

TEST(MonitorCommandLine, PrinterVerbAndArguments) {
  const LineCase cases[] = {
      {"anything _(Laser 1)_ NORMAL", "Laser 1", kCommandNormal, {}},
      {"_{Laser 1}_ NORMAL", "Laser 1", kCommandNormal, {}},
      {"\"C:\\d\\vigilod5.exe\" _(Laser 1)_   JOB_STARTED 17 My report.doc",
       "Laser 1",
       kCommandJobStarted,
       {"17", "My report.doc"}},
      {"x _(P)_ JOB_DELETE 9 a  b ", "P", kCommandJobDelete, {"9", "a  b "}},
      {"x _(P)_ NORMALIZE", "P", kCommandNormal, {}},
      {"x _(P)_ FOO", "P", kCommandNone, {}},
      {"x _(P)_    ", "P", kCommandNone, {}},
      {"x _(Laser 1 NORMAL", "", kCommandNone, {}},
      {"x )_ _(P NORMAL", "", kCommandNone, {}},
      {"_(P)_ ADD_NEW_PM", "P", kCommandAddNewPm, {}},
      {"_(P)_ DELETE", "P", kCommandDelete, {}},
      {"_(P)_ QUEUE_CHANGED", "P", kCommandQueueChanged, {}},
      {"_(P)_ PORT_CHANGED", "P", kCommandPortChanged, {}},
      {"_(P)_ NEW_PRINTMONITOR_VERSION", "P", kCommandNewVersion, {}},
      // A job id without a blank after it gives no arguments.
      {"_(P)_ JOB_STARTED 17", "P", kCommandJobStarted, {}},
      {"_(P)_ JOB_STARTED", "P", kCommandJobStarted, {}},
      // A path and a printer that hold a verb do not move the arguments.
      {"C:\\JOB_STARTED\\m.exe _(JOB_STARTED 5 x)_ JOB_STARTED 17 doc",
       "JOB_STARTED 5 x",
       kCommandJobStarted,
       {"17", "doc"}},
      // A name may hold the other kind of closing mark, or the same kind when
      // no verb follows it; a quoted path may hold marks of its own.
      {"\"C:\\m.exe\" _{Sales )_ Floor}_ JOB_STARTED 3 d", "Sales )_ Floor", kCommandJobStarted, {"3", "d"}},
      {"\"C:\\m.exe\" _(Sales }_ Floor)_ JOB_DELETE 3 d", "Sales }_ Floor", kCommandJobDelete, {"3", "d"}},
      {"\"C:\\m.exe\" _{a )_ b }_ c}_ NORMAL", "a )_ b }_ c", kCommandNormal, {}},
      {"\"C:\\a_(b)_\\m.exe\" _(P)_ DELETE", "P", kCommandDelete, {}},
      {"_(P)_ JOB_STARTED 3 x )_ DELETE", "P", kCommandJobStarted, {"3", "x )_ DELETE"}},
  };
  for (const LineCase& c : cases) {
    PM_CCommandLine line(c.line);
    EXPECT_EQ(line.GetPrinterName(), c.printer) << c.line;
    EXPECT_EQ(line.GetCommand(), c.command) << c.line;
    EXPECT_EQ(line.GetJobArguments(), c.arguments) << c.line;
  }
}

}  // namespace
