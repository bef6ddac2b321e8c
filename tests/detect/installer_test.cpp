// The wizard's state against the printer's data: what set-up reads, what the
// commit writes (and when "Cfg" moves), and that Cancel puts back exactly what
// was there, absent values included.
#include <gtest/gtest.h>

#include "detect/printer_installer.h"
#include "platform/spooler/spooler.h"
#include "tests/detect/detect_fixture.h"

namespace detecttest {
namespace {

class InstallerTest : public DetectTest {
 protected:
  // The wizard as the program builds it, with SNMP available.
  CPrinterInstaller Started(int notify = 0) {
    CPrinterInstaller installer(kPrinter);
    EXPECT_TRUE(installer.SetUp(notify, 1));
    return installer;
  }
};

TEST_F(InstallerTest, ReadsTheModelsLanguagesAndTheQueuesState) {
  InstallPrinter(1, "IP_192.168.0.5");
  const CPrinterInstaller installer = Started();
  EXPECT_EQ(installer.pdlFlags, kPdlPcl5Mask | kPdlPostScriptMask);
  EXPECT_EQ(installer.capabilityFlags, kCapabilityIp);
  EXPECT_EQ(installer.portName, "IP_192.168.0.5");
  // A network port and nothing stored: monitoring is offered on.
  EXPECT_EQ(installer.monitor, 1);
  EXPECT_EQ(installer.protocol, 0);
  EXPECT_EQ(installer.pdl, kPdlPcl5Mask);
}

TEST_F(InstallerTest, StoredValuesStartTheWizard) {
  InstallPrinter(1);
  SetNumber("Monitor", 1);
  SetText("Protocol", "IP");
  SetText("IP", "10.1.2.3");
  SetText("VPName", "postscript");
  SetNumber("PDL", kPdlPostScriptMask);
  const CPrinterInstaller installer = Started();
  EXPECT_EQ(installer.monitor, 1);
  EXPECT_EQ(installer.ipAddress, "10.1.2.3");
  EXPECT_EQ(installer.logicalPrinter, "postscript");
  EXPECT_EQ(installer.pdl, kPdlPostScriptMask);
}

TEST_F(InstallerTest, ParallelPortStartsWithMonitoringOff) {
  InstallPrinter(1, "LPT1:");
  EXPECT_EQ(Started().monitor, 0);
}

TEST_F(InstallerTest, CommitWritesTheAnswersAndRaisesCfgOnce) {
  InstallPrinter(1);
  CPrinterInstaller installer = Started();
  installer.monitor = 1;
  installer.protocol = 0;
  installer.ipAddress = "192.168.0.5";
  installer.logicalPrinter = "vp-pcl";
  installer.pdl = kPdlPostScriptMask;
  SetText("IPX", "00000001:0080C7AA1234");
  ASSERT_TRUE(installer.CommitSettings());
  EXPECT_EQ(Number("Monitor"), 1u);
  EXPECT_EQ(Text("Protocol"), "IP");
  EXPECT_EQ(Text("IP"), "192.168.0.5");
  EXPECT_EQ(Text("IPX"), std::nullopt);
  EXPECT_EQ(Text("VPName"), "vp-pcl");
  EXPECT_EQ(Number("PDL"), static_cast<DWORD>(kPdlPostScriptMask));
  // No counter yet: the first change writes 6.
  EXPECT_EQ(Number("Cfg"), 6u);
}

TEST_F(InstallerTest, CfgMovesOnlyWhenMonitoringOrLanguageChanged) {
  InstallPrinter(1);
  SetNumber("Monitor", 1);
  SetText("Protocol", "IP");
  SetText("IP", "10.1.2.3");
  SetNumber("PDL", kPdlPcl5Mask);
  SetNumber("Cfg", 9);
  CPrinterInstaller installer = Started();
  installer.ipAddress = "10.1.2.4";
  ASSERT_TRUE(installer.CommitSettings());
  EXPECT_EQ(Text("IP"), "10.1.2.4");
  EXPECT_EQ(Number("Cfg"), 9u);
  installer.pdl = kPdlPostScriptMask;
  ASSERT_TRUE(installer.CommitSettings());
  EXPECT_EQ(Number("Cfg"), 10u);
}

TEST_F(InstallerTest, MonitoringOffDeletesTheAddress) {
  InstallPrinter(1);
  SetNumber("Monitor", 1);
  SetText("Protocol", "IP");
  SetText("IP", "10.1.2.3");
  SetText("VPName", "vp-pcl");
  CPrinterInstaller installer = Started();
  installer.monitor = 0;
  ASSERT_TRUE(installer.CommitSettings());
  EXPECT_EQ(Number("Monitor"), 0u);
  EXPECT_EQ(Text("Protocol"), std::nullopt);
  EXPECT_EQ(Text("IP"), std::nullopt);
  EXPECT_EQ(Text("VPName"), std::nullopt);
  EXPECT_EQ(Number("Cfg"), 6u);
}

// Without SNMP the address pages are never shown: the stored address is the
// user's and stays; only the language is written.
TEST_F(InstallerTest, WithoutTheAddressPagesTheStoredAddressStays) {
  InstallPrinter(0);
  SetNumber("Monitor", 1);
  SetText("Protocol", "IPX");
  SetText("IPX", "00000001:0080C7AA1234");
  SetText("VPName", "postscript");
  CPrinterInstaller installer = Started();
  EXPECT_EQ(installer.capabilityFlags, 0);
  installer.pdl = kPdlPostScriptMask;
  ASSERT_TRUE(installer.CommitSettings());
  EXPECT_EQ(Number("Monitor"), 1u);
  EXPECT_EQ(Text("Protocol"), "IPX");
  EXPECT_EQ(Text("IPX"), "00000001:0080C7AA1234");
  EXPECT_EQ(Text("VPName"), "postscript");
  EXPECT_EQ(Number("PDL"), static_cast<DWORD>(kPdlPostScriptMask));
}

TEST_F(InstallerTest, RestorePutsBackExactlyWhatWasThere) {
  struct Start {
    const char* what;
    std::optional<DWORD> monitor;
    std::optional<std::string> protocol, ip, ipx, logical;
    std::optional<DWORD> pdl;
  };
  const Start starts[] = {
      {"nothing stored", {}, {}, {}, {}, {}, {}},
      {"IP monitoring", 1u, "IP", "10.1.2.3", {}, "vp-pcl", static_cast<DWORD>(kPdlPcl5Mask)},
      {"IPX monitoring", 1u, "IPX", {}, "00000001:0080C7AA1234", "postscript", {}},
      {"monitoring off with a name kept", 0u, {}, {}, {}, "vp-pcl", static_cast<DWORD>(kPdlPostScriptMask)},
  };
  InstallPrinter(1);
  for (const Start& start : starts) {
    SCOPED_TRACE(start.what);
    ClearWizardValues();
    if (start.monitor) SetNumber("Monitor", *start.monitor);
    if (start.protocol) SetText("Protocol", start.protocol->c_str());
    if (start.ip) SetText("IP", start.ip->c_str());
    if (start.ipx) SetText("IPX", start.ipx->c_str());
    if (start.logical) SetText("VPName", start.logical->c_str());
    if (start.pdl) SetNumber("PDL", *start.pdl);
    CPrinterInstaller installer = Started();
    // What the address page's language query and the commit write.
    SetText("IP", "192.168.9.9");
    SetText("Protocol", "IP");
    SetNumber("Monitor", 1);
    installer.monitor = 1;
    installer.protocol = 0;
    installer.ipAddress = "192.168.9.9";
    installer.logicalPrinter = "other";
    installer.pdl = kPdlPostScriptMask;
    ASSERT_TRUE(installer.CommitSettings());
    const std::optional<DWORD> counter = Number("Cfg");
    ASSERT_TRUE(installer.RestoreSettings());
    EXPECT_EQ(Number("Monitor"), start.monitor);
    EXPECT_EQ(Text("Protocol"), start.protocol);
    EXPECT_EQ(Text("IP"), start.ip);
    EXPECT_EQ(Text("IPX"), start.ipx);
    EXPECT_EQ(Text("VPName"), start.logical);
    EXPECT_EQ(Number("PDL"), start.pdl);
    EXPECT_EQ(Number("Cfg"), counter);
  }
}

TEST_F(InstallerTest, CommitAndRestoreFailWhenThePrinterCannotBeChanged) {
  InstallPrinter(1);
  CPrinterInstaller installer = Started();
  installer.pdl = kPdlPostScriptMask;
  ASSERT_TRUE(platform::spooler::SetPrinterAccess(kPrinter, "User", false));
  EXPECT_FALSE(installer.CommitSettings());
  EXPECT_FALSE(installer.RestoreSettings());
  EXPECT_EQ(Number("PDL"), std::nullopt);
}

TEST_F(InstallerTest, PageHistoryHoldsFive) {
  InstallPrinter(1);
  CPrinterInstaller installer = Started();
  EXPECT_EQ(installer.PopPage(), -1);
  for (int id = 1; id <= 6; ++id) installer.PushPage(id);
  for (int id = 5; id >= 1; --id) EXPECT_EQ(installer.PopPage(), id);
  EXPECT_EQ(installer.PopPage(), -1);
}

}  // namespace
}  // namespace detecttest
