// The class library's application object as a library's module entry drives it,
// and the answers of message boxes nobody is there to see.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/modules.h"
#include "platform/ui/message_box.h"
#include "platform/ui/winapp.h"

namespace {

class RecordingApp : public CWinApp {
 public:
  explicit RecordingApp(LPCSTR name, BOOL startAnswer) : CWinApp(name), startAnswer_(startAnswer) {}
  BOOL InitInstance() override {
    events.push_back("init " + std::to_string(m_hInstance));
    return startAnswer_;
  }
  int ExitInstance() override {
    events.push_back("exit");
    return CWinApp::ExitInstance();
  }
  std::vector<std::string> events;

 private:
  BOOL startAnswer_;
};

TEST(UiAppTest, StartAtAttachExitAtDetachAndNoExitAfterAFailedStart) {
  RecordingApp app("drvcore.dll", TRUE);
  EXPECT_STREQ(app.m_pszAppName, "drvcore.dll");
  EXPECT_TRUE(platform::ui::RunLibraryApp(app, 42, DLL_PROCESS_ATTACH));
  EXPECT_EQ(app.m_hInstance, 42u);
  EXPECT_TRUE(platform::ui::RunLibraryApp(app, 42, DLL_THREAD_ATTACH));
  EXPECT_TRUE(platform::ui::RunLibraryApp(app, 42, DLL_PROCESS_DETACH));
  EXPECT_TRUE(platform::ui::RunLibraryApp(app, 42, DLL_PROCESS_DETACH));
  // A module the dynamic linker kept mapped starts again on its next load.
  EXPECT_TRUE(platform::ui::RunLibraryApp(app, 43, DLL_PROCESS_ATTACH));
  EXPECT_TRUE(platform::ui::RunLibraryApp(app, 43, DLL_PROCESS_DETACH));
  EXPECT_EQ(app.events, (std::vector<std::string>{"init 42", "exit", "init 43", "exit"}));

  // The loader tells a module that refused to start that it is leaving: the object
  // set up nothing, so there is nothing to take down.
  RecordingApp refusing("refusing", FALSE);
  EXPECT_FALSE(platform::ui::RunLibraryApp(refusing, 7, DLL_PROCESS_ATTACH));
  EXPECT_TRUE(platform::ui::RunLibraryApp(refusing, 7, DLL_PROCESS_DETACH));
  EXPECT_EQ(refusing.events, std::vector<std::string>{"init 7"});
}

TEST(UiAppTest, AnUnnamedAppTakesItsModulesFileTitle) {
  RecordingApp app(nullptr, TRUE);
  EXPECT_EQ(app.m_pszAppName, nullptr);
  ASSERT_TRUE(platform::ui::RunLibraryApp(app, GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH));
  EXPECT_STREQ(app.m_pszAppName, "platform_tests");
  platform::ui::RunLibraryApp(app, GetModuleHandleA(nullptr), DLL_PROCESS_DETACH);
}

TEST(UiAppTest, MessageBoxesGoToTheHandlerOrAnswerTheirDefaultButton) {
  struct Case {
    UINT type;
    int answer;
    // clang-format off
  } cases[] = {{MB_OK | MB_ICONERROR, IDOK},          {MB_OKCANCEL, IDOK},
               {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL}, {MB_YESNO | MB_ICONQUESTION, IDYES},
               {MB_YESNO | MB_DEFBUTTON2, IDNO},        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
               {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY}, {MB_RETRYCANCEL, IDRETRY}};
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(MessageBoxA(0, "text", "caption", c.type), c.answer) << c.type;

  platform::SetAnsiCodePage(932);
  std::vector<platform::MessageBoxRequest> shown;
  platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest& request) {
    shown.push_back(request);
    return IDNO;
  });
  EXPECT_EQ(MessageBoxA(5, "\x95\x5C\x8E\xA6", nullptr, MB_YESNO), IDNO);  // "表示" in code page 932
  EXPECT_EQ(MessageBoxW(0, u"wide", u"Caption", MB_OK), IDNO);
  platform::SetMessageBoxHandler(nullptr);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].owner, 5u);
  EXPECT_EQ(shown[0].text, "表示");
  EXPECT_EQ(shown[0].caption, "Error") << "a box without caption is captioned Error";
  EXPECT_EQ(shown[0].type, MB_YESNO);
  EXPECT_EQ(shown[1].text, "wide");
  EXPECT_EQ(shown[1].caption, "Caption");
}

}  // namespace
