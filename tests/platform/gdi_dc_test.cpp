// Printer device contexts over a recording graphics library: the life cycle
// reaches the library in GDI's order with a live spooler handle, the job goes to
// the file DOCINFO names, broken libraries give a clear error, and the
// user-interface library's document events come in order without re-entering
// when it calls back into the DC.
#include "tests/platform/gdi_dc_test_helpers.h"

namespace {

using dctest::DeviceContextTest;

TEST_F(DeviceContextTest, LifeCycleReachesTheLibraryInOrderAndTheJobReachesTheOutputFile) {
  AddPrinter("Recorder", "recording_driver.dll");
  HDC dc = Create(u"Recorder", DevMode(DMORIENT_PORTRAIT));
  ASSERT_NE(dc, 0u) << GetLastError();
  const std::string enableData = std::to_string(sizeof(DRVENABLEDATA));
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         "rec: DrvEnableDriver 0x20000 " + enableData,
                         "rec: DrvEnablePDEV pdevA devmode=portrait caps=304/300 device=Recorder handle=Recorder",
                         "rec: DrvCompletePDEV pdevA same-hdev",
                         "rec: DrvEnableSurface pdevA",
                     }));

  struct Cap {
    int index;
    int expected;
  };
  for (const Cap& cap : {Cap{TECHNOLOGY, DT_RASPRINTER}, Cap{HORZRES, 4760}, Cap{VERTRES, 6816}, Cap{LOGPIXELSX, 600},
                         Cap{PHYSICALWIDTH, 4960}, Cap{PHYSICALOFFSETY, 100}, Cap{HORZSIZE, 202}, Cap{BITSPIXEL, 24},
                         Cap{NUMFONTS, 2}}) {
    EXPECT_EQ(GetDeviceCaps(dc, cap.index), cap.expected) << "index " << cap.index;
  }

  std::u16string docName = u"報告書";
  std::u16string output = u"C:\\job.prn";
  DOCINFOW doc{sizeof(DOCINFOW), docName.c_str(), output.c_str(), nullptr, 0};
  const int job = StartDocW(dc, &doc);
  ASSERT_GT(job, 0) << GetLastError();
  for (int page = 0; page < 2; ++page) {
    EXPECT_GT(StartPage(dc), 0);
    EXPECT_GT(EndPage(dc), 0);
  }
  EXPECT_GT(EndDoc(dc), 0) << GetLastError();
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         "rec: DrvStartDoc pdevA 報告書 job",
                         "rec: DrvStartPage pdevA",
                         "rec: DrvSendPage pdevA",
                         "rec: DrvStartPage pdevA",
                         "rec: DrvSendPage pdevA",
                         "rec: DrvEndDoc pdevA",
                         "rec: DrvDisableSurface pdevA",
                         // The spooler handle outlives the PDEV that writes on it.
                         "rec: DrvDisablePDEV pdevA handle=Recorder",
                         "rec: DrvDisableDriver",
                     }));
  EXPECT_EQ(JobFile("C:\\job.prn"), "BEGIN\nPAGE 1 4760x6816\nPAGE 2 4760x6816\nEND\n");
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(DeviceContextTest, DeviceContextsShareOneEnabledLibrary) {
  AddPrinter("Recorder", "recording_driver.dll");
  std::string ansiName = "Recorder";
  HDC first = CreateDCA("WINSPOOL", ansiName.c_str(), nullptr, nullptr);
  HDC second = CreateDCA(nullptr, ansiName.c_str(), nullptr, nullptr);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_TRUE(DeleteDC(first));
  std::vector<std::string> calls = Calls();
  const std::string enabled = "rec: DrvEnableDriver 0x20000 " + std::to_string(sizeof(DRVENABLEDATA));
  EXPECT_EQ(std::count(calls.begin(), calls.end(), enabled), 1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "rec: DrvDisableDriver"), 0);
  // Without a device mode and with no configuration module to ask, the PDEV gets none.
  EXPECT_NE(std::find(calls.begin(), calls.end(),
                      "rec: DrvEnablePDEV pdevA devmode=none caps=304/300 device=Recorder handle=Recorder"),
            calls.end());
  EXPECT_TRUE(DeleteDC(second));
  calls = Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "rec: DrvDisableDriver");
}

TEST_F(DeviceContextTest, BrokenGraphicsLibrariesGiveAClearError) {
  struct Case {
    const char* library;
    DWORD error;
    const char* reason;
    bool disabled;  // enabled, then let go again
  };
  const Case cases[] = {
      {"C:\\Drivers\\absent.dll", ERROR_MOD_NOT_FOUND, "cannot be loaded", false},
      {"recording_driver_no_enable.dll", ERROR_PROC_NOT_FOUND, "exports no DrvEnableDriver", false},
      {"recording_driver_refuse.dll", ERROR_BAD_DRIVER_LEVEL, "refused DDI version 0x20000", false},
      {"recording_driver_wrong_version.dll", ERROR_BAD_DRIVER_LEVEL, "answers DDI version 0x10000", true},
      {"recording_driver_short_table.dll", ERROR_BAD_DRIVER, "has no DrvSendPage", true},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.library);
    const std::string printer = "Broken " + std::to_string(++n);
    AddPrinter(printer, c.library);
    TraceLines();
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CreateDCW(u"WINSPOOL", platform::ToUtf16(printer, CP_UTF8).c_str(), nullptr, nullptr), 0u);
    EXPECT_EQ(GetLastError(), c.error);
    bool explained = false;
    bool disabled = false;
    for (const std::string& line : TraceLines()) {
      if (line.find("CreateDC: graphics library") != std::string::npos && line.find(c.reason) != std::string::npos)
        explained = true;
      if (line == "rec: DrvDisableDriver") disabled = true;
      EXPECT_EQ(line.find("rec: DrvEnablePDEV"), std::string::npos) << "a PDEV was enabled";
    }
    EXPECT_TRUE(explained) << "no trace names the reason";
    EXPECT_EQ(disabled, c.disabled);
  }
}

TEST_F(DeviceContextTest, DocumentEventsComeInOrderAndCallsFromInsideThemRaiseNone) {
  AddPrinter("Events", "recording_driver.dll", "recording_interface.dll");
  HDC dc = Create(u"Events", DevMode(DMORIENT_PORTRAIT));
  ASSERT_NE(dc, 0u) << GetLastError();
  std::u16string output = u"C:\\events.prn";
  DOCINFOW doc{sizeof(DOCINFOW), u"Doc", output.c_str(), nullptr, 0};
  const int job = StartDocW(dc, &doc);
  ASSERT_GT(job, 0);
  ASSERT_GT(StartPage(dc), 0);
  char data[] = "abc";
  DWORD answer = 0;
  EXPECT_EQ(ExtEscape(dc, 100, 3, data, sizeof answer, reinterpret_cast<LPSTR>(&answer)), 1100);
  EXPECT_EQ(answer, 200u);
  ASSERT_GT(EndPage(dc), 0);
  ASSERT_GT(EndDoc(dc), 0);
  ASSERT_TRUE(DeleteDC(dc));

  const std::string jobText = std::to_string(job);
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         "rec: DrvEnableDriver 0x20000 " + std::to_string(sizeof(DRVENABLEDATA)),
                         "ui: CREATEDCPRE printer no-dc device=Events",
                         "rec: DrvEnablePDEV pdevA devmode=portrait caps=304/300 device=Events handle=Events",
                         "rec: DrvCompletePDEV pdevA same-hdev",
                         "rec: DrvEnableSurface pdevA",
                         "ui: CREATEDCPOST printer dc",
                         "ui: STARTDOCPRE printer dc Doc",
                         "rec: DrvStartDoc pdevA Doc job",
                         "ui: STARTDOCPOST printer dc job=" + jobText,
                         // The banner page drawn from inside STARTDOCPOST raises no events.
                         "rec: DrvEscape pdevA 63 in=banner out=0",
                         "rec: DrvStartPage pdevA",
                         "rec: DrvSendPage pdevA",
                         "ui: STARTPAGE printer dc",
                         "rec: DrvStartPage pdevA",
                         "ui: ESCAPE printer dc 100 3",
                         "rec: DrvEscape pdevA 100 in=abc out=4",
                         "ui: ENDPAGE printer dc",
                         "rec: DrvSendPage pdevA",
                         "ui: ENDDOCPRE printer dc",
                         "rec: DrvEndDoc pdevA",
                         "ui: ENDDOCPOST printer dc",
                         "ui: DELETEDC printer dc",
                         "rec: DrvDisableSurface pdevA",
                         "rec: DrvDisablePDEV pdevA handle=Events",
                         "rec: DrvDisableDriver",
                     }));
  EXPECT_EQ(JobFile("C:\\events.prn"), "BEGIN\nPAGE 1 4760x6816\nPAGE 2 4760x6816\nEND\n");
}

TEST_F(DeviceContextTest, ResetFromInsideAnEventSwapsThePdevWithoutRaisingEvents) {
  AddPrinter("Tabs", "recording_driver.dll", "recording_interface.dll");
  HDC dc = Create(u"Tabs", DevMode(DMORIENT_PORTRAIT));
  ASSERT_NE(dc, 0u);
  std::u16string output = u"C:\\tabs.prn";
  DOCINFOW doc{sizeof(DOCINFOW), u"Tabs", output.c_str(), nullptr, 0};
  ASSERT_GT(StartDocW(dc, &doc), 0);
  Calls();
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         "ui: ENDDOCPRE printer dc",
                         "rec: DrvEnablePDEV pdevA devmode=landscape caps=304/300 device=Tabs handle=Tabs",
                         "rec: DrvCompletePDEV pdevA same-hdev",
                         "rec: DrvEnableSurface pdevA",
                         "rec: DrvResetPDEV pdevB -> pdevA",
                         "rec: DrvDisableSurface pdevB",
                         "rec: DrvDisablePDEV pdevB handle=Tabs",
                         "rec: DrvStartPage pdevA",
                         "rec: DrvSendPage pdevA",
                         "rec: DrvEndDoc pdevA",
                         "ui: ENDDOCPOST printer dc",
                     }));
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 6816);
  EXPECT_TRUE(DeleteDC(dc));
  // The banner page, then the landscape tab page; the page count carried over.
  EXPECT_EQ(JobFile("C:\\tabs.prn"), "BEGIN\nPAGE 1 4760x6816\nPAGE 2 6816x4760\nEND\n");
}

TEST_F(DeviceContextTest, ApplicationResetBetweenPagesRaisesResetEventsAndIsRefusedInsideAPage) {
  AddPrinter("Reset", "recording_driver.dll", "recording_interface.dll");
  HDC dc = Create(u"Reset", DevMode(DMORIENT_PORTRAIT));
  ASSERT_NE(dc, 0u);
  std::vector<BYTE> landscape = DevMode(DMORIENT_LANDSCAPE);
  std::u16string output = u"C:\\reset.prn";
  DOCINFOW doc{sizeof(DOCINFOW), u"Doc", output.c_str(), nullptr, 0};
  ASSERT_GT(StartDocW(dc, &doc), 0);
  ASSERT_GT(StartPage(dc), 0);
  EXPECT_EQ(ResetDCW(dc, reinterpret_cast<const DEVMODEW*>(landscape.data())), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  ASSERT_GT(EndPage(dc), 0);
  Calls();
  EXPECT_EQ(ResetDCW(dc, reinterpret_cast<const DEVMODEW*>(landscape.data())), dc);
  std::vector<std::string> calls = Calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls.front(), "ui: RESETDCPRE printer dc");
  EXPECT_EQ(calls.back(), "ui: RESETDCPOST printer dc");
  ASSERT_GT(StartPage(dc), 0);
  ASSERT_GT(EndPage(dc), 0);
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(JobFile("C:\\reset.prn"), "BEGIN\nPAGE 1 4760x6816\nPAGE 2 4760x6816\nPAGE 3 6816x4760\nEND\n");
}

TEST_F(DeviceContextTest, RefusedRedirectedAndAbortedDocuments) {
  AddPrinter("Jobs", "recording_driver.dll", "recording_interface.dll");
  HDC dc = Create(u"Jobs", DevMode(DMORIENT_PORTRAIT));
  ASSERT_NE(dc, 0u);
  std::u16string output = u"C:\\asked.prn";

  // Refused at STARTDOCPRE: no job, the driver never hears of it.
  DOCINFOW cancel{sizeof(DOCINFOW), u"Cancel", output.c_str(), nullptr, 0};
  Calls();
  EXPECT_EQ(StartDocW(dc, &cancel), SP_ERROR);
  for (const std::string& call : Calls()) EXPECT_EQ(call.find("rec: "), std::string::npos) << call;

  // The library points the output elsewhere.
  DOCINFOW redirect{sizeof(DOCINFOW), u"Redirect", output.c_str(), nullptr, 0};
  ASSERT_GT(StartDocW(dc, &redirect), 0);
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_EQ(JobFile("C:\\redirected.prn"), "BEGIN\nPAGE 1 4760x6816\nEND\n");
  EXPECT_EQ(JobFile("C:\\asked.prn"), "<none>");

  // Aborted, and left open at DeleteDC: neither reaches its file.
  std::u16string abortedOutput = u"C:\\aborted.prn";
  DOCINFOW aborted{sizeof(DOCINFOW), u"Doc", abortedOutput.c_str(), nullptr, 0};
  ASSERT_GT(StartDocW(dc, &aborted), 0);
  ASSERT_GT(StartPage(dc), 0);
  Calls();
  EXPECT_GT(AbortDoc(dc), 0);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"ui: ABORTDOC printer dc", "rec: DrvEndDoc pdevA abort"}));
  EXPECT_EQ(EndPage(dc), SP_ERROR);
  std::u16string leftOutput = u"C:\\left.prn";
  DOCINFOW left{sizeof(DOCINFOW), u"Doc", leftOutput.c_str(), nullptr, 0};
  ASSERT_GT(StartDocW(dc, &left), 0);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(JobFile("C:\\aborted.prn"), "<none>");
  EXPECT_EQ(JobFile("C:\\left.prn"), "<none>");
}

}  // namespace
