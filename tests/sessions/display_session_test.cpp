// A person at a Linux desktop prints from the print host: the driver's sheet
// and dialogs come up on a (virtual) display, and real pointer clicks and keys
// keep the job's settings under a Japanese name; the job prints with them, and
// a later job that picks the name prints the same way.
#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>

#include "tests/sessions/printhost_session.h"
#include "tests/support/xvfb_server.h"

namespace {

struct Place {
  std::string window;  // the display window's id
  int x = 0, y = 0;    // the control's centre in it
  int top = 0;         // its top edge (a combo box's field is at the top of its rectangle)
};

// Where the program's windows show a control, from the places it writes for
// tests (ZEL_DISPLAY_MAP): the control `id` of the window that also holds `beside`.
bool FindControl(const sessions::fs::path& map, int id, int beside, Place* place) {
  std::ifstream file(map);
  std::string line;
  std::map<std::string, std::map<int, Place>> windows;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string kind, window;
    int control = 0, left = 0, top = 0, right = 0, bottom = 0;
    words >> kind >> window;
    if (kind != "control" || !(words >> control >> left >> top >> right >> bottom)) continue;
    windows[window][control] = Place{window, (left + right) / 2, (top + bottom) / 2, top};
  }
  for (auto& [window, controls] : windows) {
    if (controls.count(id) && controls.count(beside)) return *place = controls[id], true;
  }
  return false;
}

bool Duplex(const std::string& job) { return std::regex_search(job, std::regex(R"(/Duplex +true)")); }

// The person at the display: waits for each window before acting in it, and
// gives up when the program has ended.
class Person {
 public:
  Person(const testsupport::XvfbServer& server, sessions::fs::path map, const std::atomic<bool>& done)
      : server_(server), map_(std::move(map)), done_(done) {}
  // Clicks the middle of control `id` of the window that also holds `beside`
  // (`field`: a combo box's field at the top of its rectangle).
  void Click(int id, int beside, bool field = false) {
    Place place;
    for (int tries = 0; tries < 400 && !done_ && !FindControl(map_, id, beside, &place); ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_FALSE(place.window.empty()) << "control " << id << " never showed";
    const int y = field ? place.top + 8 : place.y;
    EXPECT_EQ(server_.Run("xdotool mousemove --window " + place.window + " " + std::to_string(place.x) + " " +
                          std::to_string(y) + " click 1"),
              0);
  }
  void Hands(const std::string& arguments) { EXPECT_EQ(server_.Run("xdotool " + arguments), 0); }
  // Waits for the window holding `id` and `beside` to go.
  void AwaitGone(int id, int beside) {
    Place place;
    for (int tries = 0; tries < 400 && !done_ && FindControl(map_, id, beside, &place); ++tries) {
      place = Place{};
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

 private:
  const testsupport::XvfbServer& server_;
  sessions::fs::path map_;
  const std::atomic<bool>& done_;
};

TEST(DisplaySessionTest, ClicksAndKeysOnTheDisplayKeepSettingsThatPrint) {
  testsupport::XvfbServer server;
  std::string why;
  if (!server.Start(&why)) GTEST_SKIP() << "no virtual X server: " << why;
  const sessions::fs::path folder = sessions::TestFolder();
  const sessions::fs::path map = folder / "places.txt";
  const std::string environment = "DISPLAY=" + server.display() +
                                  " ZEL_DISPLAY=on ZEL_DISPLAY_MAP=" + sessions::Quote(map.string()) + " timeout 120";
  std::atomic<bool> done{false};
  sessions::HostRun run;
  std::thread host([&] {
    run = sessions::RunHost(folder, "nardo-c5545.ini", "", {"--properties", "--duplex", "long", "--nup", "4"},
                            environment);
    done = true;
  });
  Person person(server, map, done);
  [&] {
    person.Click(200, 100);  // the document page's button opens the driver's settings
    person.Click(4, 1490);   // Profiles...
    ASSERT_TRUE(testsupport::MapCharacters(server.display(), {0x4E21, 0x9762}));  // 両 面
    person.Click(1442, 1643);                                                     // the name field
    person.Hands("type --delay 60 '両面 4up'");
    person.Click(1643, 1442);  // Add
    person.Click(1450, 1442);  // Close
    person.Click(1, 1490);     // the settings' OK
    // The sheet is back in front: Enter presses its default button.
    person.AwaitGone(1, 1490);
    person.Hands("key Return");
  }();
  host.join();
  ASSERT_EQ(run.exitCode, 0) << run.said;
  EXPECT_TRUE(Duplex(run.job));

  const sessions::HostRun picked =
      sessions::RunHost(folder, "nardo-c5545.ini", "click 200\n  pick 1490 \"両面 4up\"\n  ok\nok\n", {"--properties"});
  ASSERT_EQ(picked.exitCode, 0) << picked.said;
  EXPECT_TRUE(Duplex(picked.job));
}

// The document property sheet on the display, worked with the pointer and the
// keys alone: the person opens the driver's settings, chooses the saved duplex
// settings from the profile list, types 3 into the copies and presses OK twice.
// The job carries both. (The driver's pages have no duplex switch of their own:
// duplex comes with a profile or the application's device mode.)
TEST(DisplaySessionTest, TheDocumentSheetPrintsDuplexAndThreeCopiesChosenOnTheDisplay) {
  testsupport::XvfbServer server;
  std::string why;
  if (!server.Start(&why)) GTEST_SKIP() << "no virtual X server: " << why;
  const sessions::fs::path folder = sessions::TestFolder();
  // The profile is kept headless first; it is the profile list's second entry.
  const sessions::HostRun saved = sessions::RunHost(folder, "nardo-c5545.ini", R"(click 200
  click 4
    type 1442 "Duplex long"
    click 1643
    click 1450
  pick 1490 #1
  expect 1490 selected "Duplex long"
  cancel
cancel
)",
                                                    {"--properties", "--duplex", "long"});
  ASSERT_EQ(saved.exitCode, 1) << saved.said;  // cancelled: only the profile is kept

  const sessions::fs::path map = folder / "places.txt";
  const std::string environment = "DISPLAY=" + server.display() +
                                  " ZEL_DISPLAY=on ZEL_DISPLAY_MAP=" + sessions::Quote(map.string()) + " timeout 120";
  std::atomic<bool> done{false};
  sessions::HostRun run;
  std::thread host([&] {
    run = sessions::RunHost(folder, "nardo-c5545.ini", "", {"--properties", "--marks", "2"}, environment);
    done = true;
  });
  Person person(server, map, done);
  [&] {
    person.Click(200, 100);          // the sheet's button opens the driver's settings
    person.Click(1490, 1034, true);  // the profile list drops open
    person.Hands("key --delay 80 Home Down Return");
    person.Click(1034, 1490);  // the copies field
    person.Hands("key --delay 80 BackSpace 3");
    person.Click(1, 1490);  // the settings' OK
    person.AwaitGone(1490, 1034);
    person.Click(1, 200);  // the sheet's OK
  }();
  host.join();
  ASSERT_EQ(run.exitCode, 0) << run.said;
  EXPECT_TRUE(Duplex(run.job));
  EXPECT_NE(run.job.find("/NumCopies          3 put"), std::string::npos);
}

}  // namespace
