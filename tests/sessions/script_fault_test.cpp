// A script that goes wrong stops the print host: the message names the file
// and line, the exit code is not zero and nothing is printed.
#include "tests/sessions/printhost_session.h"

namespace {

TEST(ScriptFaultTest, AFaultyScriptNamesItsLineAndTheHostPrintsNothing) {
  const struct {
    const char* name;
    const char* script;
    std::vector<std::string> options;
    const char* said;
  } faults[] = {
      {"unreadable line", "# the user\nclick \"OK\n", {}, "session.txt:2: a quoted text is not closed"},
      {"no dialog opened", "\n\nok\n", {}, "session.txt:3: no dialog is open"},
  };
  for (const auto& fault : faults) {
    SCOPED_TRACE(fault.name);
    const sessions::HostRun run =
        sessions::RunHost(sessions::TestFolder(), "nardo-c5545.ini", fault.script, fault.options);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.said.find(fault.said), std::string::npos) << run.said;
    EXPECT_TRUE(run.job.empty());
  }
}

TEST(ScriptFaultTest, AMissingScriptFileIsRefusedBeforeAnythingPrints) {
  const sessions::HostRun run =
      sessions::RunHost(sessions::TestFolder(), "nardo-c5545.ini", "", {"--ui-script", "no-such-script.txt"});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.said.find("no-such-script.txt: cannot be read"), std::string::npos) << run.said;
  EXPECT_TRUE(run.job.empty());
}

}  // namespace
