// Shared pieces of the spooler tests: a machine with a driver and printers, and the
// two-call query checked from both sides.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/handles.h"
#include "platform/spooler/spooler.h"
#include "tests/support/machine_fixture.h"

namespace spltest {

using Bytes = std::vector<BYTE>;

inline std::string Ansi(const char* utf8) { return platform::AnsiFromUtf8(utf8); }

inline LPSTR Arg(std::string& text) { return text.data(); }
inline LPWSTR Arg(std::u16string& text) { return text.data(); }

// Closes the printer when the test is done with it.
class Printer {
 public:
  Printer() = default;
  explicit Printer(HANDLE handle) : handle_(handle) {}
  ~Printer() { Close(); }
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;
  Printer(Printer&& other) noexcept : handle_(other.handle_) { other.handle_ = 0; }
  Printer& operator=(Printer&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.handle_;
      other.handle_ = 0;
    }
    return *this;
  }
  HANDLE get() const { return handle_; }
  operator HANDLE() const { return handle_; }
  void Close() {
    if (handle_) ClosePrinter(handle_);
    handle_ = 0;
  }

 private:
  HANDLE handle_ = 0;
};

inline HANDLE OpenA(const std::string& ansiName, DWORD access = PRINTER_ALL_ACCESS) {
  std::string name = ansiName;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, access};
  HANDLE handle = 0;
  return OpenPrinterA(name.data(), &handle, &defaults) ? handle : 0;
}

inline bool InsideBuffer(const void* pointer, const Bytes& buffer) {
  auto p = static_cast<const BYTE*>(pointer);
  return p >= buffer.data() && p < buffer.data() + buffer.size();
}

// Runs a two-call query as callers do: the size query must fail with
// ERROR_INSUFFICIENT_BUFFER and name the size, one byte less must still fail,
// the named size must succeed and nothing past it may be written. Returns the
// filled buffer of exactly the named size.
template <class Call>
Bytes FetchExact(Call call) {
  DWORD needed = 0;
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(call(nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  if (needed == 0) {
    ADD_FAILURE() << "no size named";
    return {};
  }
  Bytes buffer(needed + 32, 0xCD);
  DWORD again = 0;
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(call(buffer.data(), needed - 1, &again));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(again, needed);
  again = 0;
  EXPECT_TRUE(call(buffer.data(), needed, &again)) << "error " << GetLastError();
  for (size_t i = needed; i < buffer.size(); ++i) {
    EXPECT_EQ(buffer[i], 0xCD) << "written past the named size at " << i;
    if (buffer[i] != 0xCD) break;
  }
  buffer.resize(needed);  // shrinking keeps the storage, so pointers into it stay valid
  return buffer;
}

// A wide device mode with a private part that marks where it came from.
inline Bytes MakeDevModeW(const std::u16string& deviceName, SHORT orientation, BYTE privateMark,
                          WORD privateSize = 24) {
  Bytes bytes(sizeof(DEVMODEW) + privateSize, 0);
  DEVMODEW devMode{};
  std::memcpy(devMode.dmDeviceName, deviceName.data(),
              std::min<size_t>(deviceName.size(), CCHDEVICENAME - 1) * sizeof(WCHAR));
  devMode.dmSpecVersion = DM_SPECVERSION;
  devMode.dmDriverVersion = 0x0310;
  devMode.dmSize = sizeof(DEVMODEW);
  devMode.dmDriverExtra = privateSize;
  devMode.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_FORMNAME;
  devMode.dmOrientation = orientation;
  devMode.dmPaperSize = DMPAPER_A4;
  devMode.dmCopies = 3;
  std::u16string form = u"A4";
  std::memcpy(devMode.dmFormName, form.data(), form.size() * sizeof(WCHAR));
  std::memcpy(bytes.data(), &devMode, sizeof devMode);
  for (WORD i = 0; i < privateSize; ++i) bytes[sizeof(DEVMODEW) + i] = static_cast<BYTE>(privateMark + i);
  return bytes;
}

// A machine with one driver, whose configuration module is `configFile`.
class SpoolerTest : public testsupport::FreshMachine {
 protected:
  static constexpr const char* kDriver = "Zel Test Driver";

  void SetUp() override {
    FreshMachine::SetUp();
    AddDriver(kDriver, "C:\\Drivers\\missing_config.dll");
  }

  static void AddDriver(const std::string& name, const std::string& configFile) {
    std::string driverName = name;
    std::string environment = "Windows x64";
    std::string driverPath = "C:\\Drivers\\zelkerd5.dll";
    std::string dataFile = "C:\\Drivers\\model.ini";
    std::string config = configFile;
    DRIVER_INFO_2A info{2, driverName.data(), environment.data(), driverPath.data(), dataFile.data(), config.data()};
    ASSERT_TRUE(AddPrinterDriverA(nullptr, 2, reinterpret_cast<LPBYTE>(&info))) << GetLastError();
  }

  // Adds a printer (ANSI name) and answers its handle, opened with full access.
  static HANDLE AddPrinterNamed(const std::string& ansiName, DWORD attributes = 0, const std::string& share = "",
                                const std::string& driver = kDriver) {
    std::string name = ansiName;
    std::string shareName = share;
    std::string port = "LPT1:";
    std::string driverName = driver;
    std::string comment = Ansi("事務所のプリンタ");
    std::string location = "2F";
    PRINTER_INFO_2A info{};
    info.pPrinterName = name.data();
    info.pShareName = shareName.data();
    info.pPortName = port.data();
    info.pDriverName = driverName.data();
    info.pComment = comment.data();
    info.pLocation = location.data();
    info.Attributes = attributes;
    info.Priority = 1;
    return AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
  }
};

}  // namespace spltest
