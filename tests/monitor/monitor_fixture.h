// A fresh machine with one printer for the monitor, the settings library bound
// as the program binds it, and a window double that records what the engine
// asks of the main window.
#pragma once

#include <string>
#include <vector>

#include "monitor/engine_ui.h"
#include "platform/ui/message_box.h"
#include "platform/ui/sound.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/settings_library.h"

namespace monitortest {

inline constexpr char kPrinter[] = "Laser 1";

struct UiRecord {
  std::vector<unsigned> updates;
  std::vector<std::string> statusTexts;
  std::vector<std::string> messages;
  int bringBacks = 0;
};

class RecordingUi : public PM_CEngineUIInterface {
 public:
  RecordingUi(UiRecord* record, HWND window) : record_(record), window_(window) {}
  void UpdateDisplay(unsigned code) override { record_->updates.push_back(code); }
  HWND MainDialog() override { return window_; }
  void SetStatusText(const std::string& text) override { record_->statusTexts.push_back(text); }
  void BringBack() override { ++record_->bringBacks; }
  void ShowEventMessage(const std::string& text) override { record_->messages.push_back(text); }

 private:
  UiRecord* record_;
  HWND window_;
};

class MonitorTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The model description's General section lines ("ModelID=50").
  virtual std::string ModelGeneral() const { return "ModelName=Nardo 24\nModelID=50\n"; }
  void SetPrinterText(const char* key, const char* value);
  void SetPrinterDword(const char* key, DWORD value);
  std::string DataFolder() const;
  std::string IniPath() const { return DataFolder() + "\\PRMONSET.INI"; }
  std::string ReadFile(const std::string& windowsPath) const;

  testsupport::SettingsLibrary db;
  HANDLE printer = 0;
  UiRecord ui;
  std::vector<platform::SoundRequest> sounds;
  std::vector<platform::MessageBoxRequest> boxes;
  int64_t now = 1700000000;
};

}  // namespace monitortest
