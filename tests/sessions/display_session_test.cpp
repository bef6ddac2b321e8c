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

TEST(DisplaySessionTest, ClicksAndKeysOnTheDisplayKeepSettingsThatPrint) {
  testsupport::XvfbServer server;
  std::string why;
  if (!server.Start(&why)) GTEST_SKIP() << "no virtual X server: " << why;
  const sessions::fs::path folder = sessions::TestFolder();
  const sessions::fs::path map = folder / "places.txt";
  const std::string environment = "DISPLAY=" + server.display() + " ZEL_DISPLAY=on ZEL_DISPLAY_MAP=" +
                                  sessions::Quote(map.string()) + " timeout 120";
  std::atomic<bool> done{false};
  sessions::HostRun run;
  std::thread host([&] {
    run = sessions::RunHost(folder, "nardo-c5545.ini", "", {"--properties", "--duplex", "long", "--nup", "4"},
                            environment);
    done = true;
  });
  // The person waits for each window before acting in it.
  auto click = [&](int id, int beside) {
    Place place;
    for (int tries = 0; tries < 400 && !done && !FindControl(map, id, beside, &place); ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_FALSE(place.window.empty()) << "control " << id << " never showed";
    EXPECT_EQ(server.Run("xdotool mousemove --window " + place.window + " " + std::to_string(place.x) + " " +
                         std::to_string(place.y) + " click 1"),
              0);
  };
  auto hands = [&](const std::string& arguments) { EXPECT_EQ(server.Run("xdotool " + arguments), 0); };
  [&] {
    click(200, 100);   // the document page's button opens the driver's settings
    click(4, 1490);    // Profiles...
    ASSERT_TRUE(testsupport::MapCharacters(server.display(), {0x4E21, 0x9762}));  // 両 面
    click(1442, 1643); // the name field
    hands("type --delay 60 '両面 4up'");
    click(1643, 1442); // Add
    click(1450, 1442); // Close
    click(1, 1490);    // the settings' OK
    // The sheet is back in front: Enter presses its default button.
    Place sheet;
    for (int tries = 0; tries < 400 && !done && FindControl(map, 1, 1490, &sheet); ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    hands("key Return");
  }();
  host.join();
  ASSERT_EQ(run.exitCode, 0) << run.said;
  EXPECT_TRUE(Duplex(run.job));

  const sessions::HostRun picked = sessions::RunHost(folder, "nardo-c5545.ini", "click 200\n  pick 1490 \"両面 4up\"\n  ok\nok\n",
                                                     {"--properties"});
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
  const std::string environment = "DISPLAY=" + server.display() + " ZEL_DISPLAY=on ZEL_DISPLAY_MAP=" +
                                  sessions::Quote(map.string()) + " timeout 120";
  std::atomic<bool> done{false};
  sessions::HostRun run;
  std::thread host([&] {
    run = sessions::RunHost(folder, "nardo-c5545.ini", "", {"--properties", "--marks", "2"}, environment);
    done = true;
  });
  auto find = [&](int id, int beside, Place* place) {
    for (int tries = 0; tries < 400 && !done && !FindControl(map, id, beside, place); ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return !place->window.empty();
  };
  auto click = [&](int id, int beside, bool field = false) {
    Place place;
    ASSERT_TRUE(find(id, beside, &place)) << "control " << id << " never showed";
    const int y = field ? place.top + 8 : place.y;
    EXPECT_EQ(server.Run("xdotool mousemove --window " + place.window + " " + std::to_string(place.x) + " " +
                         std::to_string(y) + " click 1"),
              0);
  };
  auto hands = [&](const std::string& arguments) { EXPECT_EQ(server.Run("xdotool " + arguments), 0); };
  [&] {
    click(200, 100);    // the sheet's button opens the driver's settings
    click(1490, 1034, true);  // the profile list drops open
    hands("key --delay 80 Home Down Return");
    click(1034, 1490);  // the copies field
    hands("key --delay 80 BackSpace 3");
    click(1, 1490);     // the settings' OK
    Place settings;
    for (int tries = 0; tries < 400 && !done && FindControl(map, 1490, 1034, &settings); ++tries) {
      settings = Place{};
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    click(1, 200);      // the sheet's OK
  }();
  host.join();
  ASSERT_EQ(run.exitCode, 0) << run.said;
  EXPECT_TRUE(Duplex(run.job));
  EXPECT_NE(run.job.find("/NumCopies          3 put"), std::string::npos);
}

}  // namespace
