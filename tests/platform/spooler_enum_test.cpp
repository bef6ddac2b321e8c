// EnumPrinters over several printers, and connections of a user.
#include <string>
#include <tuple>
#include <vector>

#include "platform/base/machine.h"
#include "tests/platform/spooler_test_helpers.h"

namespace {

using namespace spltest;

std::u16string Wide(LPWSTR text) { return text ? std::u16string(text) : u"<null>"; }

class EnumPrintersTest : public SpoolerTest {
 protected:
  void SetUp() override {
    SpoolerTest::SetUp();
    for (auto [name, attributes, share] :
         {std::tuple{std::string("Alpha"), DWORD(PRINTER_ATTRIBUTE_SHARED), std::string("alpha")},
          std::tuple{std::string("Beta"), DWORD(0), std::string()},
          std::tuple{Ansi("経理のプリンタ"), DWORD(PRINTER_ATTRIBUTE_SHARED), Ansi("経理")},
          std::tuple{std::string("Gamma"), DWORD(0), std::string()}}) {
      HANDLE printer = AddPrinterNamed(name, attributes, share);
      ASSERT_NE(printer, 0u) << GetLastError();
      ClosePrinter(printer);
    }
    host_ = platform::Utf16FromUtf8(platform::spooler::ServerName());
  }

  // Names at level 4, the server name of each, as a wide enumeration lists them.
  std::vector<std::u16string> Names(DWORD flags, const std::u16string* server = nullptr) {
    std::u16string name = server ? *server : std::u16string();
    DWORD count = 0;
    DWORD needed = 0xFFFF;
    // An empty list needs no buffer: the size query itself succeeds.
    if (EnumPrintersW(flags, server ? name.data() : nullptr, 4, nullptr, 0, &needed, &count)) {
      EXPECT_EQ(needed, 0u);
      EXPECT_EQ(count, 0u);
      return {};
    }
    Bytes buffer = FetchExact([&](BYTE* b, DWORD s, DWORD* n) {
      return EnumPrintersW(flags, server ? name.data() : nullptr, 4, b, s, n, &count);
    });
    std::vector<std::u16string> names;
    auto* infos = reinterpret_cast<PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      EXPECT_TRUE(InsideBuffer(infos[i].pPrinterName, buffer));
      names.push_back(Wide(infos[i].pPrinterName));
    }
    return names;
  }

  std::u16string host_;
};

TEST_F(EnumPrintersTest, ListsWhatTheFlagsAskFor) {
  using List = std::vector<std::u16string>;
  const std::u16string localhost = u"\\\\localhost";
  EXPECT_EQ(Names(PRINTER_ENUM_LOCAL), (List{u"Alpha", u"Beta", u"経理のプリンタ", u"Gamma"}));
  EXPECT_EQ(Names(PRINTER_ENUM_NAME), (List{u"Alpha", u"Beta", u"経理のプリンタ", u"Gamma"}));
  EXPECT_EQ(Names(PRINTER_ENUM_LOCAL | PRINTER_ENUM_SHARED), (List{u"Alpha", u"経理のプリンタ"}));
  // Named as a server, this machine lists its shared printers under that name.
  EXPECT_EQ(Names(PRINTER_ENUM_NAME | PRINTER_ENUM_SHARED, &host_),
            (List{host_ + u"\\Alpha", host_ + u"\\経理のプリンタ"}));
  EXPECT_EQ(Names(PRINTER_ENUM_NAME | PRINTER_ENUM_SHARED, &localhost),
            (List{u"\\\\localhost\\Alpha", u"\\\\localhost\\経理のプリンタ"}));
}

TEST_F(EnumPrintersTest, AnotherServerCannotBeReached) {
  std::u16string server = u"\\\\elsewhere";
  DWORD needed = 0;
  DWORD count = 99;
  BYTE buffer[256];
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(
      EnumPrintersW(PRINTER_ENUM_NAME | PRINTER_ENUM_SHARED, server.data(), 5, buffer, sizeof buffer, &needed, &count));
  EXPECT_EQ(GetLastError(), DWORD(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(count, 0u);
}

TEST_F(EnumPrintersTest, EveryLevelSizesExactlyInBothWidths) {
  for (DWORD level : {1u, 2u, 4u, 5u}) {
    SCOPED_TRACE(level);
    DWORD wideCount = 0;
    Bytes wide = FetchExact([&](BYTE* b, DWORD s, DWORD* n) {
      return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, level, b, s, n, &wideCount);
    });
    DWORD ansiCount = 0;
    Bytes ansi = FetchExact([&](BYTE* b, DWORD s, DWORD* n) {
      return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, level, b, s, n, &ansiCount);
    });
    ASSERT_EQ(wideCount, 4u);
    ASSERT_EQ(ansiCount, 4u);
    // The third printer's name, read where each level keeps it.
    LPWSTR wideName = nullptr;
    LPSTR ansiName = nullptr;
    switch (level) {
      case 1:
        wideName = reinterpret_cast<PRINTER_INFO_1W*>(wide.data())[2].pName;
        ansiName = reinterpret_cast<PRINTER_INFO_1A*>(ansi.data())[2].pName;
        break;
      case 2: {
        auto* infos = reinterpret_cast<PRINTER_INFO_2W*>(wide.data());
        wideName = infos[2].pPrinterName;
        ansiName = reinterpret_cast<PRINTER_INFO_2A*>(ansi.data())[2].pPrinterName;
        EXPECT_EQ(Wide(infos[2].pShareName), u"経理");
        EXPECT_EQ(Wide(infos[3].pDriverName), u"Zel Test Driver");
        EXPECT_EQ(infos[1].pDevMode, nullptr);
        break;
      }
      case 4:
        wideName = reinterpret_cast<PRINTER_INFO_4W*>(wide.data())[2].pPrinterName;
        ansiName = reinterpret_cast<PRINTER_INFO_4A*>(ansi.data())[2].pPrinterName;
        break;
      case 5:
        wideName = reinterpret_cast<PRINTER_INFO_5W*>(wide.data())[2].pPrinterName;
        ansiName = reinterpret_cast<PRINTER_INFO_5A*>(ansi.data())[2].pPrinterName;
        EXPECT_EQ(Wide(reinterpret_cast<PRINTER_INFO_5W*>(wide.data())[0].pPortName), u"LPT1:");
        break;
    }
    EXPECT_TRUE(InsideBuffer(wideName, wide));
    EXPECT_TRUE(InsideBuffer(ansiName, ansi));
    EXPECT_EQ(Wide(wideName), u"経理のプリンタ");
    EXPECT_EQ(std::string(ansiName), Ansi("経理のプリンタ"));
  }

  DWORD needed = 0;
  DWORD count = 0;
  EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 3, nullptr, 0, &needed, &count));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL));
}

TEST_F(EnumPrintersTest, ConnectionsBelongToTheirUserAndShareThePrinter) {
  std::string byShareName = "\\\\localhost\\ALPHA";
  ASSERT_TRUE(AddPrinterConnectionA(byShareName.data())) << GetLastError();
  // Connecting again, by either name, keeps one connection.
  std::string byName = "\\\\LOCALHOST\\alpha";
  ASSERT_TRUE(AddPrinterConnectionA(byName.data()));
  EXPECT_EQ(Names(PRINTER_ENUM_CONNECTIONS), std::vector<std::u16string>{u"\\\\localhost\\Alpha"});
  EXPECT_EQ(Names(PRINTER_ENUM_LOCAL).size(), 4u);
  EXPECT_EQ(Names(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS).size(), 5u);

  // The connection is a network printer of that server, with the printer's data.
  Printer connection(OpenA("\\\\localhost\\Alpha"));
  ASSERT_NE(connection.get(), 0u);
  Bytes level4 = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterW(connection, 4, b, s, n); });
  auto& info = *reinterpret_cast<PRINTER_INFO_4W*>(level4.data());
  EXPECT_EQ(Wide(info.pServerName), u"\\\\localhost");
  EXPECT_TRUE(info.Attributes & PRINTER_ATTRIBUTE_NETWORK);
  EXPECT_FALSE(info.Attributes & PRINTER_ATTRIBUTE_LOCAL);
  Printer local(OpenA("Alpha"));
  std::u16string valueName = u"Shared";
  DWORD value = 5;
  ASSERT_EQ(SetPrinterDataW(local, valueName.data(), REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), 0u);
  DWORD read = 0;
  DWORD type = 0;
  DWORD needed = 0;
  EXPECT_EQ(GetPrinterDataW(connection, valueName.data(), &type, reinterpret_cast<BYTE*>(&read), 4, &needed), 0u);
  EXPECT_EQ(read, 5u);

  // Another user has no connections of their own.
  platform::SetCurrentUser("Second");
  EXPECT_TRUE(Names(PRINTER_ENUM_CONNECTIONS).empty());
  std::string connectionName = "\\\\localhost\\Alpha";
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(DeletePrinterConnectionA(connectionName.data()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));

  platform::SetCurrentUser("User");
  EXPECT_TRUE(DeletePrinterConnectionA(connectionName.data()));
  EXPECT_TRUE(Names(PRINTER_ENUM_CONNECTIONS).empty());
  EXPECT_EQ(Names(PRINTER_ENUM_LOCAL).size(), 4u);
}

TEST_F(EnumPrintersTest, ConnectionsNeedAPrinterOfThisMachine) {
  for (std::string name : {std::string("\\\\elsewhere\\Alpha"), std::string("\\\\localhost\\Nobody"),
                           std::string("\\\\localhost\\Beta\\x"), std::string("Alpha")}) {
    SCOPED_TRACE(name);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(AddPrinterConnectionA(name.data()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
  }
  EXPECT_TRUE(Names(PRINTER_ENUM_CONNECTIONS).empty());
}

}  // namespace
