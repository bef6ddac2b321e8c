// The print host takes only what it understands: an unknown option, a missing
// or bad value and a finishing unit the model does not have are named on
// standard error and nothing prints; the options people use keep printing.
#include "tests/sessions/printhost_session.h"

namespace {

struct ArgumentCase {
  const char* model;
  std::vector<std::string> options;
  const char* said;  // nullptr: the job prints
};

TEST(PrintHostArguments, BadArgumentsAreNamedAndNothingPrints) {
  const ArgumentCase cases[] = {
      {"nardo-c5545.ini", {"--copeis", "3"}, "unknown option --copeis"},
      {"nardo-c5545.ini", {"--blank", "1", "-x"}, "unknown option -x"},
      {"nardo-c5545.ini", {"--blank", "1", "stray"}, "unexpected argument stray"},
      {"nardo-c5545.ini", {"--blank"}, "--blank needs a value"},
      {"nardo-c5545.ini", {"--duplex", "banana"}, "--duplex banana: takes none|long|short"},
      {"nardo-c5545.ini", {"--collate", "maybe"}, "--collate maybe: takes on|off"},
      {"nardo-c5545.ini", {"--language", "klingon"}, "--language klingon"},
      {"nardo-c5545.ini", {"--copies", "0"}, "--copies 0: takes a number from 1"},
      {"nardo-c5545.ini", {"--copies", "3x"}, "--copies 3x"},
      {"nardo-c5545.ini", {"--nup", "17"}, "--nup 17"},
      {"nardo-c5545.ini", {"--staple", "5"}, "--staple 5: the model has staple 0 to 4"},
      {"nardo-c5545.ini", {"--punch", "4"}, "--punch 4: the model has punch 0 to 3"},
      {"nardo-c5545.ini", {"--fold", "3"}, "--fold 3: the model has fold 0 to 2"},
      {"nardo-c5545.ini", {"--fold", "-1"}, "--fold -1"},
      {"nardo-c5545.ini", {"--blank", "1", "--face", "Courier"}, "--face Courier: sets the face of a --text file"},
      {"nardo-m3020.ini", {"--staple", "1"}, "--staple 1: the model has no staple unit"},
      {"nardo-m3020.ini", {"--punch", "2"}, "--punch 2: the model has no punch unit"},
  };
  for (const ArgumentCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.options));
    const sessions::HostRun run = sessions::RunHost(sessions::TestFolder(), c.model, "", c.options);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.said.find(c.said), std::string::npos) << run.said;
    EXPECT_TRUE(run.job.empty());
  }
}

TEST(PrintHostArguments, GoodArgumentsPrint) {
  const ArgumentCase cases[] = {
      {"nardo-c5545.ini", {"--blank", "1", "--copies", "2", "--duplex", "short", "--collate", "off"}, nullptr},
      {"nardo-c5545.ini", {"--blank", "1", "--landscape", "--staple", "4", "--punch", "3", "--fold", "2"}, nullptr},
      {"nardo-c5545.ini", {"--blank", "1", "--staple", "0", "--nup", "2", "--scale", "50", "--mirror"}, nullptr},
      {"nardo-m3020.ini", {"--blank", "1", "--portrait", "--paper", "9", "--tray", "257", "--bin", "257"}, nullptr},
      {"nardo-m3020.ini", {"--blank", "1", "--staple", "0", "--punch", "0", "--fold", "0"}, nullptr},
  };
  for (const ArgumentCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.options));
    const sessions::HostRun run = sessions::RunHost(sessions::TestFolder(), c.model, "", c.options);
    EXPECT_EQ(run.exitCode, 0) << run.said;
    EXPECT_FALSE(run.job.empty());
  }
}

}  // namespace
