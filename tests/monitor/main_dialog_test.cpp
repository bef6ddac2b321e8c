// The main status dialog with a real engine in the test's process: command
// lines handed over before the engine exists, the rows and the console panel
// as a person sees them, the notification of a printer's alert, the menus, and
// the monitor settings dialog.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "monitor/controls/spin_button.h"
#include "monitor/event_message_box.h"
#include "monitor/event_notification.h"
#include "monitor/event_settings_backup.h"
#include "monitor/instance_registry.h"
#include "monitor/main_status_dialog.h"
#include "monitor/monitor_app.h"
#include "monitor/monitor_utilities.h"
#include "platform/base/codepage.h"
#include "platform/base/machine.h"
#include "platform/gdi/screen.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/dialog.h"
#include "platform/ui/window_finder.h"
#include "platform/ui/window_picture.h"
#include "tests/monitor/monitor_fixture.h"
#include "tests/query/agents.h"

namespace monitortest {
namespace {

std::string Text(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The printer's paper-out alert (location 501, code 808) from its own address.
SnmpTrapRecord PaperOutAlert() {
  SnmpTrapRecord alert{};
  alert.kind = kTrapAlert;
  std::strcpy(alert.sender, "127.0.0.1");
  alert.alertVarBind7 = 501;
  alert.alertVarBind8 = 808;
  return alert;
}

class MainDialog : public MonitorTest {
 protected:
  void SetUp() override {
    MonitorTest::SetUp();
    platform::gdi::SetDisplayDpi(96, 96);
    // Traps on a port of the test's own, so that reception opens.
    setenv("ZEL_SNMP_TRAP_ADDRESS", ("127.0.0.1:" + std::to_string(30000 + getpid() % 20000)).c_str(), 1);
  }
  void TearDown() override {
    if (PM_CEventMessageBox* box = monitor::OpenEventMessage()) box->DestroyWindow();
    // The engine goes first, as in the program: it still asks the dialog for
    // its window while it closes.
    engine.reset();
    dialog.reset();
    platform::SetDialogHandler(nullptr);
    agent_.reset();
    unsetenv("ZEL_SNMP_TRAP_ADDRESS");
    MonitorTest::TearDown();
  }
  // A started engine and its dialog; `open` false leaves the window unmade.
  void Make(bool monitored, bool open = true) {
    if (monitored) {
      // A printer that answers at once: up, ready, with its panel text.
      agent_ = std::make_unique<querytest::ScriptedAgent>();
      agent_->Set("1.3.6.1.2.1.1.3.0", querytest::ScriptedValue{67, 1000, {}});
      agent_->Set("1.3.6.1.2.1.43.16.5.1.2.1.1", querytest::ScriptedValue{4, 0, "READY"});
      agent_->Set("1.3.6.1.2.1.25.3.2.1.5.1", querytest::ScriptedValue{2, 2, {}});
      SetPrinterDword("Monitor", 1);
      SetPrinterText("IP", agent_->Address().c_str());
    }
    engine = std::make_unique<PM_CEngine>(PM_CCommandLine(std::string("x _(") + kPrinter + ")_ NORMAL"));
    ASSERT_EQ(engine->Start(), 1);
    dialog = std::make_unique<PM_CMainStatusDlg>(engine.get());
    if (open) Open();
  }
  void Open() {
    ASSERT_TRUE(dialog->Open());
    dialog->ShowWindow(SW_SHOW);
  }
  LRESULT HandOver(const std::string& line, DWORD size) {
    COPYDATASTRUCT block{};
    block.cbData = size;
    block.lpData = const_cast<char*>(line.data());
    return dialog->OnCopyData(0, reinterpret_cast<LPARAM>(&block));
  }
  void Command(UINT id) { dialog->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  PM_CEventAgent* PaperOut() { return engine->Agents().Category(1)->m_EventAgentsArray[1].get(); }

  std::unique_ptr<querytest::ScriptedAgent> agent_;
  std::unique_ptr<PM_CEngine> engine;
  std::unique_ptr<PM_CMainStatusDlg> dialog;
};

TEST_F(MainDialog, LinesHandedOverBeforeTheEngineWaitAndAreAnswered) {
  Make(false, false);
  const std::string first = std::string("x _(") + kPrinter + ")_ JOB_STARTED 17 My report.doc";
  const std::string second = std::string("x _(") + kPrinter + ")_ JOB_STARTED 18 Budget.xls";
  EXPECT_EQ(HandOver(first, static_cast<DWORD>(first.size() + 1)), MONITOR_COPYDATA_ACK);
  EXPECT_EQ(HandOver(second, static_cast<DWORD>(second.size() + 1)), MONITOR_COPYDATA_ACK);
  EXPECT_EQ(dialog->queuedLines(), 2u);
  Open();
  EXPECT_EQ(dialog->queuedLines(), 0u);
  ASSERT_EQ(engine->Data().GetJobCount(), 2u);
  EXPECT_EQ(engine->Data().GetJob(0)->documentName, "My report.doc");
  EXPECT_EQ(engine->Data().GetJob(1)->documentName, "Budget.xls");
  EXPECT_EQ(::SendMessageA(::GetDlgItem(dialog->m_hWnd, 1000), LB_GETCOUNT, 0, 0), 2);
  // A sender that claims more bytes than the receiver holds, with no end: the
  // line is cut at 1023 bytes and still taken.
  const std::string flood = std::string("x _(") + kPrinter + ")_ JOB_STARTED 19 " + std::string(3000, 'a');
  EXPECT_EQ(HandOver(flood, static_cast<DWORD>(flood.size())), MONITOR_COPYDATA_ACK);
}

TEST_F(MainDialog, ShowsThePrinterTheConsoleAndTheRows) {
  Make(true);
  const std::string job = std::string("x _(") + kPrinter + ")_ JOB_STARTED 21 Quarterly results.doc";
  HandOver(job, static_cast<DWORD>(job.size() + 1));
  const SnmpTrapRecord alert = PaperOutAlert();
  engine->DispatchTrap(alert);
  engine->Data().SetConsoleLines("PAPER OUT", "TRAY 2");
  dialog->Refresh(PM_REFRESH_CONSOLE | PM_REFRESH_EVENTS | PM_REFRESH_JOBS);

  EXPECT_EQ(Text(dialog->m_hWnd), MainWindowTitle(kPrinter));
  EXPECT_NE(Text(::GetDlgItem(dialog->m_hWnd, 1002)).find(kPrinter), std::string::npos);
  EXPECT_EQ(Text(::GetDlgItem(dialog->m_hWnd, 1020)), platform::AnsiFromUtf8("プリンタの操作パネル表示:"));
  EXPECT_EQ(::SendMessageA(::GetDlgItem(dialog->m_hWnd, 1006), LB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(::SendMessageA(::GetDlgItem(dialog->m_hWnd, 1000), LB_GETCOUNT, 0, 0), 1);

  const std::string file = std::string(ZEL_BINARY_DIR) + "/monitor_main_dialog.png";
  ASSERT_TRUE(platform::ui::SaveWindowPicture(dialog->m_hWnd, file));
  auto picture = platform::ui::ComposeWindowPicture(dialog->m_hWnd);
  ASSERT_TRUE(picture);
  // Green console text on the black panel.
  RECT panel{};
  ::GetWindowRect(::GetDlgItem(dialog->m_hWnd, 1021), &panel);
  RECT frame{};
  ::GetWindowRect(dialog->m_hWnd, &frame);
  POINT origin{0, 0};
  ::ClientToScreen(dialog->m_hWnd, &origin);
  const int dx = origin.x - frame.left, dy = origin.y - frame.top;
  int green = 0, black = 0;
  for (int y = panel.top - origin.y + dy + 2; y < panel.bottom - origin.y + dy - 2; ++y) {
    for (int x = panel.left - origin.x + dx + 2; x < panel.right - origin.x + dx - 2; ++x) {
      const COLORREF c = picture->At(x, y) & 0xFFFFFF;
      if (c == 0x00FF00) ++green;
      if (c == 0) ++black;
    }
  }
  EXPECT_GT(green, 40) << "console text";
  EXPECT_GT(black, green) << "panel";
  // The picture buttons show their bitmaps, not a plain face.
  auto colours = [&](int id) {
    RECT r{};
    ::GetWindowRect(::GetDlgItem(dialog->m_hWnd, id), &r);
    std::set<COLORREF> seen;
    for (int y = r.top - origin.y + dy; y < r.bottom - origin.y + dy; ++y) {
      for (int x = r.left - origin.x + dx; x < r.right - origin.x + dx; ++x) seen.insert(picture->At(x, y) & 0xFFFFFF);
    }
    return seen.size();
  };
  EXPECT_GT(colours(1012), 4u) << "printer picture";
  EXPECT_GT(colours(1005), 3u) << "refresh";
  EXPECT_GT(colours(1009), 4u) << "notification settings";

  // With both lines empty on a monitored printer, the status line says so.
  engine->Data().SetConsoleLines("", "");
  dialog->Refresh(PM_REFRESH_CONSOLE);
  EXPECT_EQ(Text(::GetDlgItem(dialog->m_hWnd, 1020)), platform::AnsiFromUtf8("プリンタからの応答がありません。"));
}

// A trap's event reaches the person through the dialog's refresh: the paper-out
// agent brings the monitor to the front by default; asked for, a message box
// shows its title.
TEST_F(MainDialog, APrinterAlertIsNotifiedAsItsAgentSays) {
  Make(true);
  auto* notification =
      static_cast<PM_CEventNotificationWIN311*>(engine->Agents().Category(1)->m_EventAgentsArray[1]->GetNotification());
  notification->SetFlags(notification->Flags() | PM_NOTIFY_MESSAGE);
  dialog->ShowWindow(SW_MINIMIZE);
  ASSERT_TRUE(::IsIconic(dialog->m_hWnd));
  const SnmpTrapRecord alert = PaperOutAlert();
  engine->DispatchTrap(alert);
  platform::ui::PumpMessages();
  EXPECT_EQ(engine->Data().NotificationCount(), 0u);
  ASSERT_TRUE(monitor::IsEventMessageOpen());
  EXPECT_EQ(Text(::GetDlgItem(monitor::OpenEventMessage()->m_hWnd, 1086)), platform::AnsiFromUtf8("用紙切れ"));
  EXPECT_FALSE(::IsIconic(dialog->m_hWnd)) << "brought back";
  EXPECT_EQ(::GetForegroundWindow(), dialog->m_hWnd);

  // A second event replaces the text of the one box, and restarts its timer.
  HWND box = monitor::OpenEventMessage()->m_hWnd;
  engine->DispatchTrap(alert);
  platform::ui::PumpMessages();
  EXPECT_EQ(monitor::OpenEventMessage()->m_hWnd, box);
  EXPECT_EQ(platform::ui::TimerPeriod(box, 10), 5000u);
  ::SendMessageA(box, WM_TIMER, 10, 0);
  EXPECT_FALSE(monitor::IsEventMessageOpen());
}

TEST_F(MainDialog, MenuCommands) {
  struct Case {
    const char* name;
    bool monitored;
    UINT command;
    int answer;           // to every message box
    size_t boxes;         // message boxes shown
    std::string dialogs;  // the modal dialogs opened
    bool ended;
    INT_PTR result;
    bool registered;  // the printer's monitor entry after the command
  };
  const Case cases[] = {
      {"about", true, 32778, IDOK, 0, "#100", false, 0, true},
      {"about from the system menu", true, 16, IDOK, 0, "#100", false, 0, true},
      {"monitor settings", true, 32772, IDOK, 0, "#165", false, 0, true},
      {"exit asks", true, 32782, IDOK, 1, "", true, 1, true},
      {"exit kept", true, 32782, IDCANCEL, 1, "", false, 0, true},
      {"exit unmonitored asks nothing", false, 32782, IDCANCEL, 0, "", true, 1, true},
      {"delete the monitor entry", true, 32779, IDYES, 2, "", true, 0, false},
      {"delete refused", true, 32779, IDNO, 1, "", false, 0, true},
      {"minimise", true, 32781, IDOK, 0, "", false, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    Make(c.monitored);
    std::string opened;
    platform::SetDialogHandler([&](const platform::DialogRequest& request) { opened += request.templateName; });
    platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest& r) {
      boxes.push_back(r);
      return c.answer;
    });
    boxes.clear();
    const std::string archive = DP_ReadProfileString(kPrinter, "IDXFileName", IniPath().c_str());
    if (c.command == 16) {
      dialog->SendMessage(WM_SYSCOMMAND, 16, 0);
    } else {
      Command(c.command);
    }
    EXPECT_EQ(boxes.size(), c.boxes);
    EXPECT_EQ(opened, c.dialogs);
    EXPECT_EQ(dialog->ended(), c.ended);
    if (c.ended) {
      EXPECT_EQ(dialog->result(), c.result);
    }
    EXPECT_EQ(DP_ReadProfileString(kPrinter, "IDXFileName", IniPath().c_str()) != "DP_NONE", c.registered);
    // The entry's archive goes with it (and the ending monitor does not write
    // it again); the printer's queue stays.
    engine.reset();
    EXPECT_EQ(std::filesystem::exists(*platform::HostPathFromWindows(archive)), c.registered) << archive;
    HANDLE queue = 0;
    EXPECT_TRUE(OpenPrinterA(const_cast<char*>(kPrinter), &queue, nullptr));
    if (queue) ClosePrinter(queue);
    if (c.command == 32781) {
      EXPECT_TRUE(::IsIconic(dialog->m_hWnd));
    }
  }
}

// The engine holds the dialog's user-interface object and the dialog holds the
// engine: either may end first, with a message box still open, and what comes
// after (a trap, a refresh, a command, the box's close) reaches nothing freed.
TEST_F(MainDialog, EngineAndDialogMayEndInEitherOrder) {
  for (const bool engineFirst : {true, false}) {
    SCOPED_TRACE(engineFirst ? "engine first" : "dialog first");
    TearDown();
    SetUp();
    Make(true);
    auto* notification = static_cast<PM_CEventNotificationWIN311*>(
        engine->Agents().Category(1)->m_EventAgentsArray[1]->GetNotification());
    notification->SetFlags(notification->Flags() | PM_NOTIFY_MESSAGE);
    const SnmpTrapRecord alert = PaperOutAlert();
    engine->DispatchTrap(alert);
    platform::ui::PumpMessages();
    ASSERT_TRUE(monitor::IsEventMessageOpen());
    const HWND window = dialog->m_hWnd;
    if (engineFirst) {
      engine.reset();
      dialog->Refresh(PM_REFRESH_CONSOLE | PM_REFRESH_EVENTS | PM_REFRESH_JOBS | PM_REFRESH_NOTIFY);
      Command(1005);
      const std::string late = "x _(Laser 1)_ JOB_STARTED 4 late.doc";
      EXPECT_EQ(HandOver(late, static_cast<DWORD>(late.size() + 1)), MONITOR_COPYDATA_ACK);
      EXPECT_EQ(::SendMessageA(::GetDlgItem(window, 1006), LB_GETCOUNT, 0, 0), 0) << "no rows of a gone engine";
      ::SendMessageA(monitor::OpenEventMessage()->m_hWnd, WM_TIMER, 10, 0);
      dialog.reset();
    } else {
      dialog.reset();
      EXPECT_EQ(FindMonitorWindow("x _(Laser 1)_ NORMAL"), 0u) << "the title is withdrawn with the window";
      engine->DispatchTrap(alert);
      engine->RefreshAll(0);
      platform::ui::PumpMessages();
      ::SendMessageA(monitor::OpenEventMessage()->m_hWnd, WM_TIMER, 10, 0);
      engine.reset();
    }
    EXPECT_FALSE(monitor::IsEventMessageOpen());
  }
}

// Minimised, the window animates the printer icon every 500 ms and blinks a
// printer alert: its title and icon in every other paint, six times.
TEST_F(MainDialog, MinimisedItAnimatesAndBlinksAlerts) {
  Make(true);
  // The alert is left to the minimised window alone.
  PaperOut()->GetNotification()->SetFlags(0);
  const std::string job = std::string("x _(") + kPrinter + ")_ JOB_STARTED 21 Report.doc";
  HandOver(job, static_cast<DWORD>(job.size() + 1));
  const HWND window = dialog->m_hWnd;
  Command(32781);
  ASSERT_TRUE(::IsIconic(window));
  EXPECT_EQ(platform::ui::TimerPeriod(window, 2), 500u);
  auto paint = [&] {
    ::SendMessageA(window, WM_TIMER, 2, 0);
    ::UpdateWindow(window);
    return dialog->shownIcon();
  };
  std::vector<UINT> shown;
  for (int i = 0; i < 7; ++i) shown.push_back(paint());
  EXPECT_EQ(shown, (std::vector<UINT>{174, 175, 176, 162, 163, 180, 174}));
  platform::ui::SaveWindowPicture(window, std::string(ZEL_BINARY_DIR) + "/monitor_minimised.png");

  engine->DispatchTrap(PaperOutAlert());
  const std::string title = MainWindowTitle(kPrinter);
  std::vector<std::string> titles;
  shown.clear();
  for (int i = 0; i < 13; ++i) {
    shown.push_back(paint());
    titles.push_back(Text(window));
  }
  const UINT alert = 147;
  EXPECT_EQ(shown, (std::vector<UINT>{alert, 175, alert, 176, alert, 162, alert, 163, alert, 180, 174, 175, 176}));
  EXPECT_NE(titles[0], title);
  EXPECT_EQ(titles[1], titles[0]) << "the title stays between the turns";
  EXPECT_EQ(titles[10], title) << "restored after the sixth turn";

  // Restored: no animation, the title as it was.
  engine->DispatchTrap(PaperOutAlert());
  paint();
  ::ShowWindow(window, SW_RESTORE);
  EXPECT_EQ(platform::ui::TimerPeriod(window, 2), 0u);
  EXPECT_EQ(Text(window), title);
}

// The Delete key on the job list stops watching the selected job; on the
// event list it does nothing.
TEST_F(MainDialog, DeleteKeyRemovesTheSelectedJob) {
  Make(true);
  for (const char* job : {" JOB_STARTED 21 First.doc", " JOB_STARTED 22 Second.doc"}) {
    const std::string line = std::string("x _(") + kPrinter + ")_" + job;
    HandOver(line, static_cast<DWORD>(line.size() + 1));
  }
  engine->DispatchTrap(PaperOutAlert());
  dialog->Refresh(PM_REFRESH_EVENTS | PM_REFRESH_JOBS);
  HWND jobs = ::GetDlgItem(dialog->m_hWnd, 1000);
  HWND events = ::GetDlgItem(dialog->m_hWnd, 1006);
  ::SendMessageA(events, WM_KEYUP, 0x2E, 0);
  EXPECT_EQ(::SendMessageA(events, LB_GETCOUNT, 0, 0), 1);
  ::SendMessageA(jobs, LB_SETCURSEL, 1, 0);
  ::SendMessageA(jobs, WM_KEYUP, 0x2E, 0);
  ASSERT_EQ(engine->Data().GetJobCount(), 1u);
  EXPECT_EQ(engine->Data().GetJob(0)->documentName, "First.doc");
  EXPECT_EQ(::SendMessageA(jobs, LB_GETCOUNT, 0, 0), 1);
  // Nothing selected: nothing goes.
  ::SendMessageA(jobs, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  ::SendMessageA(jobs, WM_KEYUP, 0x2E, 0);
  EXPECT_EQ(engine->Data().GetJobCount(), 1u);
}

// A double-click on an event row opens its problem information; with no row
// selected it opens nothing.
TEST_F(MainDialog, AnEventRowOpensItsProblemInformation) {
  Make(true);
  PaperOut()->GetNotification()->SetFlags(0);
  SnmpTrapRecord developed{};
  developed.kind = 6;
  std::strcpy(developed.sender, "127.0.0.1");
  engine->DispatchTrap(developed);
  engine->DispatchTrap(PaperOutAlert());
  dialog->Refresh(PM_REFRESH_EVENTS);
  HWND events = ::GetDlgItem(dialog->m_hWnd, 1006);
  ASSERT_EQ(::SendMessageA(events, LB_GETCOUNT, 0, 0), 2);
  std::vector<std::string> shown;
  platform::SetDialogHandler([&](const platform::DialogRequest& request) {
    if (request.templateName != "#160") return;
    shown.push_back(Text(::GetDlgItem(request.dialog, 1062)) + "|" + Text(::GetDlgItem(request.dialog, 1063)));
    platform::ui::SaveWindowPicture(request.dialog, std::string(ZEL_BINARY_DIR) + "/monitor_problem_info.png");
    ::SendMessageA(request.dialog, WM_COMMAND, IDOK, 0);
  });
  auto doubleClick = [&](int row) {
    ::SendMessageA(events, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(1006, LBN_DBLCLK), static_cast<LPARAM>(events));
  };
  doubleClick(0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], platform::AnsiFromUtf8(
                          "用紙切れ|用紙がなくなりました。用紙を設定してから[更新]ボタンをクリックしてください。"));
  doubleClick(1);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].rfind(platform::AnsiFromUtf8("印刷完了|印刷ジョブの名称:"), 0), 0u) << shown[1];
  doubleClick(-1);
  EXPECT_EQ(shown.size(), 2u);
}

TEST_F(MainDialog, AboutBoxShowsVersionMakerAndAddress) {
  for (bool monitored : {true, false}) {
    TearDown();
    SetUp();
    Make(monitored);
    std::string address, version, name;
    platform::SetDialogHandler([&](const platform::DialogRequest& request) {
      version = Text(::GetDlgItem(request.dialog, 1089));
      name = Text(::GetDlgItem(request.dialog, 1078));
      address = Text(::GetDlgItem(request.dialog, 1079));
      EXPECT_EQ(platform::ui::TimerPeriod(::GetDlgItem(request.dialog, 1082), 1), 200u);
      if (monitored) {
        platform::ui::SaveWindowPicture(request.dialog, std::string(ZEL_BINARY_DIR) + "/monitor_about_box.png");
      }
      // A click anywhere closes it.
      ::SendMessageA(request.dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    });
    Command(32778);
    EXPECT_EQ(version.rfind("Version ", 0), 0u) << version;
    EXPECT_EQ(name, kPrinter);
    EXPECT_EQ(address.empty(), !monitored) << address;
  }
}

class SettingsDialog : public MainDialog {
 protected:
  // Opens the settings from the menu; `play` acts in the open dialog.
  void Play(const std::function<void(HWND)>& play) {
    platform::SetDialogHandler([&](const platform::DialogRequest& request) {
      if (request.templateName == "#165") play(request.dialog);
    });
    Command(32772);
  }
  static void Type(HWND box, const char* text) { ::SetDlgItemTextA(box, 1073, text); }
  static std::string Rate(HWND box) { return Text(::GetDlgItem(box, 1073)); }
  static void Click(HWND box, int id) {
    ::SendMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), static_cast<LPARAM>(::GetDlgItem(box, id)));
  }
};

TEST_F(SettingsDialog, RatesOutsideOneToFiftyNineAreRefused) {
  Make(true);
  engine->SetAutomaticRefresh(1, 20);
  struct Case {
    const char* typed;
    const char* shown;  // after typing
  };
  const Case cases[] = {{"45", "45"}, {"0", "45"}, {"60", "45"}, {"65537", "45"}, {"abc", "45"}, {"7", "7"}};
  Play([&](HWND box) {
    EXPECT_EQ(Rate(box), "20");
    for (const Case& c : cases) {
      Type(box, c.typed);
      EXPECT_EQ(Rate(box), c.shown) << c.typed;
    }
    // The spin clamps at the ends with a beep.
    Type(box, "59");
    sounds.clear();
    ::SendMessageA(box, monitor::kSpinStep, 1, 0);
    EXPECT_EQ(Rate(box), "59");
    EXPECT_EQ(sounds.size(), 1u);
    // Off: typing is free, but OK still refuses what is out of range.
    Click(box, 1070);
    Type(box, "65537");
    Click(box, IDOK);
    EXPECT_EQ(Rate(box), "59");
    Click(box, 1069);
    Type(box, "12");
    Click(box, IDOK);
  });
  EXPECT_EQ(engine->AutomaticRefresh(), 1);
  EXPECT_EQ(engine->RefreshRate(), 12u);
}

TEST_F(SettingsDialog, CloseAfterLastJobIsTakenAndKept) {
  Make(true);
  ASSERT_EQ(engine->CloseAfterLastJob(), 1);
  Play([&](HWND box) {
    EXPECT_EQ(::IsDlgButtonChecked(box, 1050), static_cast<UINT>(BST_CHECKED));
    ::CheckDlgButton(box, 1050, BST_UNCHECKED);
    platform::ui::SaveWindowPicture(box, std::string(ZEL_BINARY_DIR) + "/monitor_settings.png");
    Click(box, IDOK);
  });
  EXPECT_EQ(engine->CloseAfterLastJob(), 0);
  DWORD stored = 1;
  ASSERT_EQ(db.GetDword(0, kStoreUser, kPrinter, "CloseAfterLastJob", &stored), 0u);
  EXPECT_EQ(stored, 0u);
  // Cancel changes nothing.
  Play([&](HWND box) {
    ::CheckDlgButton(box, 1050, BST_CHECKED);
    Type(box, "5");
    Click(box, IDCANCEL);
  });
  EXPECT_EQ(engine->CloseAfterLastJob(), 0);
}

class EventConfiguration : public MainDialog {
 protected:
  // Opens the event configuration from the menu: `configure` acts in it and
  // `method` in each notification method dialog it opens.
  void Play(const std::function<void(HWND)>& configure, const std::function<void(HWND)>& method = nullptr) {
    platform::SetDialogHandler([&](const platform::DialogRequest& request) {
      if (request.templateName == "#145") configure(request.dialog);
      if (request.templateName == "#155" && method) method(request.dialog);
    });
    Command(32773);
  }
  static void Click(HWND box, int id) {
    ::SendMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), static_cast<LPARAM>(::GetDlgItem(box, id)));
  }
  static void ShowCategory(HWND box, int index) {
    HWND list = ::GetDlgItem(box, 1043);
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageA(box, WM_COMMAND, MAKEWPARAM(1043, LBN_SELCHANGE), static_cast<LPARAM>(list));
  }
  // A released click in agent row `row`: in its tick box, or in its settings box.
  static void ClickAgent(HWND box, int row, bool settings) {
    HWND list = ::GetDlgItem(box, 1045);
    RECT r{};
    ::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    const int x = settings ? 30 : 8;
    ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, (r.top + r.bottom) / 2));
    ::SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(x, (r.top + r.bottom) / 2));
  }
  std::vector<monitor::AgentSettings> AllAgents() {
    std::vector<monitor::AgentSettings> all;
    for (size_t i = 0; i < engine->Agents().CategoryCount(); ++i) {
      PM_CEventCategoryManager* category = engine->Agents().Category(i);
      all.push_back({category->m_Enabled, category->m_Logging, 0, 0, 0, 0, category->m_LogFilePath});
      for (auto& agent : category->m_EventAgentsArray) all.push_back(monitor::AgentSettings::Of(*agent));
    }
    return all;
  }
  // The files of the settings folder, to see that no working copy is left.
  std::set<std::string> SettingsFolderFiles() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Host(DataFolder()))) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
  static std::filesystem::path Host(const std::string& windowsPath) {
    return *platform::HostPathFromWindows(windowsPath);
  }
};

// OK applies only the entries this dialog wrote, into the settings file as it
// is then: what another monitor wrote while the dialog was open stays, also
// when there was no settings file when it opened.
TEST_F(EventConfiguration, OkAppliesOnlyItsOwnEntries) {
  for (const bool fileAtStart : {true, false}) {
    SCOPED_TRACE(fileAtStart ? "settings file there" : "no settings file");
    TearDown();
    SetUp();
    Make(true);
    const std::string job = std::string("x _(") + kPrinter + ")_ JOB_STARTED 21 Kept.doc";
    HandOver(job, static_cast<DWORD>(job.size() + 1));
    if (!fileAtStart) std::filesystem::remove(Host(IniPath()));
    std::set<std::string> files = SettingsFolderFiles();
    files.insert("PRMONSET.INI");
    Play(
        [&](HWND box) {
          // Another monitor, meanwhile.
          DP_WriteProfileString("Other Printer", "IDXFileName", "C:\\PM7.IDX", IniPath().c_str());
          DP_WriteProfileString(kPrinter, "IDS_EVENT_SERIOUS_OFFLINE", "1,NONE", IniPath().c_str());
          ShowCategory(box, 1);
          EXPECT_EQ(Text(::GetDlgItem(box, 1044)), engine->Agents().Category(1)->m_Name);
          if (fileAtStart) {
            platform::ui::SaveWindowPicture(box, std::string(ZEL_BINARY_DIR) + "/monitor_event_configuration.png");
          }
          ClickAgent(box, 1, true);
          Click(box, IDOK);
        },
        [&](HWND method) {
          EXPECT_NE(Text(method).find(platform::AnsiFromUtf8("用紙切れ")), std::string::npos) << Text(method);
          if (fileAtStart) {
            platform::ui::SaveWindowPicture(method, std::string(ZEL_BINARY_DIR) + "/monitor_notification_method.png");
          }
          ::CheckDlgButton(method, 1051, BST_CHECKED);
          ::CheckDlgButton(method, 1055, BST_CHECKED);
          Click(method, IDOK);
        });
    const uint16_t flags = PaperOut()->GetNotification()->Flags();
    EXPECT_TRUE(flags & PM_NOTIFY_MESSAGE);
    EXPECT_TRUE(flags & PM_NOTIFY_BEEP);
    EXPECT_EQ(DP_ReadProfileString(kPrinter, "IDS_EVENT_SERIOUS_PAPER_OUT", IniPath().c_str()),
              std::to_string(flags) + ",NONE");
    EXPECT_EQ(DP_ReadProfileString(kPrinter, "IDS_EVENT_SERIOUS_OFFLINE", IniPath().c_str()), "1,NONE");
    EXPECT_EQ(DP_ReadProfileString("Other Printer", "IDXFileName", IniPath().c_str()), "C:\\PM7.IDX");
    EXPECT_EQ(SettingsFolderFiles(), files);
    // Saving the archive keeps the jobs the monitor watches.
    EXPECT_EQ(engine->Data().GetJobCount(), 1u);
  }
}

// Cancel and the title-bar close put back every category and agent exactly, and
// leave the settings file as it was, also after a confirmed notification method.
TEST_F(EventConfiguration, CancelAndCloseRestoreExactly) {
  for (const bool byClose : {false, true}) {
    SCOPED_TRACE(byClose ? "title-bar close" : "Cancel");
    TearDown();
    SetUp();
    Make(true);
    const std::vector<monitor::AgentSettings> before = AllAgents();
    const std::string settings = ReadFile(IniPath());
    const std::set<std::string> files = SettingsFolderFiles();
    Play(
        [&](HWND box) {
          ShowCategory(box, 1);
          ClickAgent(box, 0, false);
          ClickAgent(box, 1, true);
          ::CheckDlgButton(box, 1036, BST_CHECKED);
          ::SetDlgItemTextA(box, 1038, "C:\\elsewhere.log");
          ShowCategory(box, 0);
          Click(box, 1050);
          if (byClose) {
            ::SendMessageA(box, WM_CLOSE, 0, 0);
          } else {
            Click(box, IDCANCEL);
          }
        },
        [&](HWND method) {
          ::CheckDlgButton(method, 1051, BST_CHECKED);
          ::CheckDlgButton(method, 1061, BST_CHECKED);
          Click(method, IDOK);
        });
    EXPECT_TRUE(AllAgents() == before);
    EXPECT_EQ(ReadFile(IniPath()), settings);
    EXPECT_EQ(SettingsFolderFiles(), files);
  }
}

// The notification method dialog alone: Cancel and its title-bar close put the
// event back; a sound file that is not there keeps it open with a message.
TEST_F(EventConfiguration, NotificationMethodCancelAndMissingSound) {
  Make(true);
  const monitor::AgentSettings before = monitor::AgentSettings::Of(*PaperOut());
  int step = 0;
  Play(
      [&](HWND box) {
        ShowCategory(box, 1);
        ClickAgent(box, 1, true);
        ClickAgent(box, 1, true);
        ClickAgent(box, 1, true);
        Click(box, IDOK);
      },
      [&](HWND method) {
        ::CheckDlgButton(method, 1055, BST_CHECKED);
        ::SetDlgItemTextA(method, 1026, "9");
        switch (step++) {
          case 0: Click(method, IDCANCEL); break;
          case 1: ::SendMessageA(method, WM_CLOSE, 0, 0); break;
          default:
            boxes.clear();
            ::CheckDlgButton(method, 1050, BST_CHECKED);
            ::SetDlgItemTextA(method, 1057, "C:\\no such.wav");
            Click(method, IDOK);
            EXPECT_EQ(boxes.size(), 1u) << "the missing sound file is said";
            EXPECT_TRUE(::IsWindow(method)) << "and the dialog stays";
            Click(method, IDCANCEL);
        }
      });
  EXPECT_EQ(step, 3);
  EXPECT_TRUE(monitor::AgentSettings::Of(*PaperOut()) == before);
}

// A settings file that cannot be written at OK: the person is told, and the
// dialog ends with everything as it was.
TEST_F(EventConfiguration, AnUnwritableSettingsFileCommitsNothing) {
  Make(true);
  const std::vector<monitor::AgentSettings> before = AllAgents();
  Play(
      [&](HWND box) {
        ShowCategory(box, 1);
        ClickAgent(box, 1, true);
        // The live file turns into something that cannot be read or replaced.
        std::filesystem::remove(Host(IniPath()));
        std::filesystem::create_directories(Host(IniPath()) / "blocked");
        boxes.clear();
        Click(box, IDOK);
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_FALSE(::IsWindowVisible(box) && ::IsWindowEnabled(box) && boxes.empty());
      },
      [&](HWND method) {
        ::CheckDlgButton(method, 1051, BST_CHECKED);
        Click(method, IDOK);
      });
  EXPECT_TRUE(AllAgents() == before);
  std::filesystem::remove_all(Host(IniPath()));
}

}  // namespace
}  // namespace monitortest
