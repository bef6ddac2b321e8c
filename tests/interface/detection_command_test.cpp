// The detection program's command line: the program beside the library, the
// printer's name, the settings library in quotes and the notify flag.
#include <gtest/gtest.h>

#include "interface/util/detection_command.h"
#include "tests/interface/ui_test_support.h"

namespace {

class DetectionCommandTest : public uitest::UiCoreTest {};

TEST_F(DetectionCommandTest, NamesTheProgramBesideTheLibraryAndThePrinter) {
  const std::string library = uitest::AnsiWindowsPath(uitest::BuiltModule("zeluid5.dll"));
  const std::string folder = library.substr(0, library.find_last_of('\\') + 1);
  EXPECT_EQ(DetectionCommandLine(library_, "Office A"), "\"" + folder + "scopeod5.exe\" Office A\"zeldb5.dll\"1");
  EXPECT_EQ(DetectionProgramPath(library_), folder + "scopeod5.exe");
  EXPECT_EQ(DetectionCommandLine(static_cast<HMODULE>(0x7FFF), "Office A"), "");
}

}  // namespace
