// A fresh machine, the display at 96 dots per inch and no scripted user, shell
// or message-box answers left over from another test.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/screen.h"
#include "platform/shell/shell_execute.h"
#include "platform/ui/afx.h"
#include "tests/support/machine_fixture.h"

class ControlsTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    platform::gdi::SetDisplayDpi(96, 96);
    platform::SetDialogHandler(nullptr);
    platform::SetShellHandler(nullptr);
    platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& box) {
      boxes.push_back(box.text);
      return platform::DefaultMessageBoxButton(box.type);
    });
  }
  void TearDown() override {
    platform::SetDialogHandler(nullptr);
    platform::SetShellHandler(nullptr);
    platform::SetMessageBoxHandler(nullptr);
    platform::gdi::SetDisplayDpi(96, 96);
    FreshMachine::TearDown();
  }

  static std::string FaceOf(HFONT font) {
    LOGFONTA description{};
    if (GetObjectA(font, sizeof description, &description) != sizeof description) return "";
    return description.lfFaceName;
  }
  static std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
  }
  static LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

  std::vector<std::string> boxes;
};
