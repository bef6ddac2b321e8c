// Pictures of the driver's document sheet as a user sees it, for both shipped
// models in Japanese and in English: text must be drawn in the caption band and
// on the buttons (ink where it belongs, not pixel equality).
#include <gtest/gtest.h>

#if __has_include("platform/ui/window_picture.h")

#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/machine.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/window_picture.h"
#include "tests/sessions/png_picture.h"
#include "tests/sessions/printhost_session.h"
#include "tests/support/machine_fixture.h"
#include "tools/machinesetup/printer_install.h"

namespace {

struct Shot {
  bool taken = false;
  RECT client{};              // the client area, in its own coordinates
  std::vector<RECT> buttons;  // OK and Cancel, in client coordinates
};

RECT InClient(HWND dialog, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  return RECT{r.left - origin.x, r.top - origin.y, r.right - origin.x, r.bottom - origin.y};
}

class SheetPictureTest : public testsupport::FreshMachine {
 protected:
  void TearDown() override {
    platform::SetDialogHandler(nullptr);
    platform::SetUiLanguage(platform::UiLanguage::Japanese);
    FreshMachine::TearDown();
  }
};

TEST_F(SheetPictureTest, TheDocumentSheetShowsReadableTextForEachModelAndLanguage) {
  const struct {
    const char* model;
    platform::UiLanguage language;
    const char* tag;
  } cases[] = {
      {"nardo-c5545.ini", platform::UiLanguage::Japanese, "c5545-ja"},
      {"nardo-c5545.ini", platform::UiLanguage::English, "c5545-en"},
      {"nardo-m3020.ini", platform::UiLanguage::Japanese, "m3020-ja"},
      {"nardo-m3020.ini", platform::UiLanguage::English, "m3020-en"},
  };
  const std::filesystem::path folder = sessions::TestFolder();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    platform::SetUiLanguage(c.language);
    machinesetup::PrinterSpec spec;
    spec.printerName = std::string("Sheet ") + c.tag;
    spec.modelDescription = std::filesystem::path(ZEL_SOURCE_DIR) / "data" / "models" / c.model;
    spec.driverFolder = machinesetup::BuiltDriverFolder();
    std::string error;
    ASSERT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
    std::string name = spec.printerName;
    const LONG size = DocumentPropertiesA(0, 0, name.data(), nullptr, nullptr, 0);
    ASSERT_GT(size, 0);
    std::vector<BYTE> in(static_cast<size_t>(size)), out(static_cast<size_t>(size));
    ASSERT_EQ(DocumentPropertiesA(0, 0, name.data(), reinterpret_cast<DEVMODEA*>(in.data()), nullptr, DM_OUT_BUFFER),
              1);

    const std::string path = (folder / (std::string(c.tag) + ".png")).string();
    Shot shot;
    platform::SetDialogHandler([&](const platform::DialogRequest& request) {
      if (shot.taken) return;
      shot.taken = platform::ui::SaveWindowPicture(request.dialog, path);
      GetClientRect(request.dialog, &shot.client);
      for (int id : {IDOK, IDCANCEL}) {
        if (HWND button = GetDlgItem(request.dialog, id)) shot.buttons.push_back(InClient(request.dialog, button));
      }
    });
    EXPECT_EQ(DocumentPropertiesA(0, 0, name.data(), reinterpret_cast<DEVMODEA*>(out.data()),
                                  reinterpret_cast<DEVMODEA*>(in.data()), DM_IN_PROMPT | DM_IN_BUFFER | DM_OUT_BUFFER),
              IDCANCEL);
    platform::SetDialogHandler(nullptr);
    ASSERT_TRUE(shot.taken);

    sessions::Picture picture;
    ASSERT_TRUE(sessions::ReadPicture(path, &picture));
    // The client area sits in the frame: equal borders left, right and below,
    // the caption band above.
    const int border = (picture.width - shot.client.right) / 2;
    const int clientTop = picture.height - shot.client.bottom - border;
    ASSERT_GE(border, 0);
    ASSERT_GT(clientTop, border + 8);
    // The title: the caption band without its edges and the right end (where
    // the close box is).
    EXPECT_GT(picture.Ink(border + 2, border + 1, picture.width * 2 / 3, clientTop - 1), 40);
    ASSERT_EQ(shot.buttons.size(), 2u);
    for (const RECT& button : shot.buttons) {
      // The button's face inside its edges: only its text draws there.
      EXPECT_GT(picture.Ink(border + button.left + 4, clientTop + button.top + 4, border + button.right - 4,
                            clientTop + button.bottom - 4),
                15)
          << "button at " << button.left << "," << button.top;
    }
  }
}

// The same through the print host's own script, as the README shows it.
TEST(SheetPictureHostTest, TheHostsScriptSavesAPictureOfTheSheet) {
  const std::filesystem::path folder = sessions::TestFolder();
  for (const char* language : {"ja", "en"}) {
    SCOPED_TRACE(language);
    const std::string picture = std::string("sheet-") + language + ".png";
    const sessions::HostRun run = sessions::RunHost(folder, "nardo-c5545.ini", "png \"" + picture + "\"\ncancel\n",
                                                    {"--properties"}, std::string("ZEL_LANGUAGE=") + language);
    EXPECT_EQ(run.exitCode, 1) << run.said;
    EXPECT_NE(run.said.find("cancelled; nothing printed"), std::string::npos) << run.said;
    EXPECT_TRUE(run.job.empty());
    sessions::Picture shot;
    ASSERT_TRUE(sessions::ReadPicture((folder / picture).string(), &shot));
    EXPECT_GT(shot.Ink(6, 3, shot.width * 2 / 3, 20), 40);
  }
}

}  // namespace

#endif
