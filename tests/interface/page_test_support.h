// The settings pages as a user drives them: a printer of a shipped model, its
// default document settings in a chosen printer language, the sheet opened over
// them and a script of user actions played into it (platform/ui/ui_script.h).
// What the sheet hands back on OK, the boxes it showed and the script's faults
// are there to check.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/xdevmode.h"
#include "interface/devmode/default_devmode.h"
#include "interface/devmode/validate_merge.h"
#include "interface/pages/settings_sheet.h"
#include "model/model_cache.h"
#include "platform/ui/ui_script.h"
#include "tests/interface/records_test_support.h"

namespace pagetest {

struct Model {
  const char* file;
  const char* printer;
};
constexpr Model kColour{"nardo-c5545.ini", "Nardo C"};
constexpr Model kMono{"nardo-m3020.ini", "Nardo M"};

constexpr WORD kPostScript = 0x103;
constexpr WORD kPcl5 = 0x0C;
constexpr WORD kPclXl = 0x4000;

struct SheetRun {
  int result = -1;  // RunPropertiesSheet's answer
  XDEVMODE out{};
  std::string error;               // the script's fault, empty when it played through
  std::vector<std::string> boxes;  // "caption: text" in UTF-8
};

class PageTest : public recordstest::RecordsTest {
 protected:
  HANDLE Printer(const Model& model) {
    HANDLE printer = Install(model.file, model.printer);
    FreeModelRecords(model.printer);
    return printer;
  }
  // The printer's default document settings for a job in `pdl`, merged once as
  // the document properties hand them over.
  XDEVMODE Settings(HANDLE printer, const Model& model, WORD pdl) {
    XDEVMODE settings{};
    const ModelRecord* record = GetModelRecord(printer, model.printer, kModelReloadWhenMissing);
    EXPECT_NE(record, nullptr);
    EXPECT_EQ(BuildDefaultDevmode(&settings, printer, record, model.printer, pdl), 1);
    const XDEVMODE incoming = settings;
    ValidateMergeDevmode(printer, &settings, &incoming.dmPublic, record);
    settings.dmPrivate._nPDL = pdl;
    return settings;
  }
  // Opens the document sheet over `in` and plays the script (UTF-8) into it.
  SheetRun Run(HANDLE printer, const XDEVMODE& in, const std::string& script, BOOL restricted = FALSE) {
    SheetRun run;
    platform::ui::UiScript user;
    EXPECT_TRUE(user.Load("session", script)) << user.error();
    user.Install();
    run.result = RunPropertiesSheet(printer, 0, &in, &run.out, restricted, TRUE);
    user.Uninstall();
    user.Finish();
    if (user.failed()) run.error = user.error();
    for (const std::string& box : user.boxes()) run.boxes.push_back(box);
    return run;
  }
};

}  // namespace pagetest
