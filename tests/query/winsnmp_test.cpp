// The WinSNMP stand-in's own objects: OIDs, entities, contexts, PDUs, lists.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/snmp/winsnmp.h"

namespace {

class WinSnmpTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr), SNMPAPI_SUCCESS); }
  void TearDown() override { SnmpCleanup(); }
  static std::string Text(const smiOID& oid) {
    char text[MAXOBJIDSTRSIZE] = {};
    SnmpOidToStr(&oid, sizeof text, text);
    return text;
  }
  static void Free(smiOID& oid) { SnmpFreeDescriptor(SNMP_SYNTAX_OID, reinterpret_cast<smiLPOPAQUE>(&oid)); }
};

TEST_F(WinSnmpTest, OidTextsConvertBothWays) {
  struct Case {
    const char* text;
    SNMPAPI_STATUS count;
    const char* back;
  };
  for (const Case& c :
       {Case{"1.3.6.1.2.1.1.3.0", 9, "1.3.6.1.2.1.1.3.0"}, Case{".1.3.6", 3, "1.3.6"},
        Case{"1.3.6.1.2.1.43.5.1.1.10.00", 12, "1.3.6.1.2.1.43.5.1.1.10.0"}, Case{"4294967295", 1, "4294967295"},
        Case{"", SNMPAPI_FAILURE, ""}, Case{"1..3", SNMPAPI_FAILURE, ""}, Case{"1.3.", SNMPAPI_FAILURE, ""},
        Case{"1.3.x", SNMPAPI_FAILURE, ""}, Case{"4294967296", SNMPAPI_FAILURE, ""}}) {
    smiOID oid{};
    EXPECT_EQ(SnmpStrToOid(c.text, &oid), c.count) << c.text;
    if (c.count != SNMPAPI_FAILURE) {
      EXPECT_EQ(Text(oid), c.back);
      Free(oid);
    } else {
      EXPECT_EQ(SnmpGetLastError(0), SNMPAPI_OID_INVALID) << c.text;
    }
  }
  smiOID oid{};
  SnmpStrToOid("1.3.6.1.4.1.4417", &oid);
  char small[8] = {};
  EXPECT_EQ(SnmpOidToStr(&oid, sizeof small, small), SNMPAPI_FAILURE);
  EXPECT_STREQ(small, "1.3.6.1");
  Free(oid);
  EXPECT_EQ(oid.ptr, nullptr);
}

TEST_F(WinSnmpTest, OidsCompareOverAtMostTheGivenLength) {
  smiOID a{}, b{};
  SnmpStrToOid("1.3.6.1.2.1.43", &a);
  SnmpStrToOid("1.3.6.1.2.1.43.18.1", &b);
  struct Case {
    smiUINT32 length;
    smiINT result;
  };
  for (const Case& c : {Case{0, -1}, Case{7, 0}, Case{9, -1}, Case{3, 0}}) {
    smiINT result = 99;
    EXPECT_EQ(SnmpOidCompare(&a, &b, c.length, &result), SNMPAPI_SUCCESS);
    EXPECT_EQ(result, c.result) << c.length;
  }
  smiINT result = 0;
  EXPECT_EQ(SnmpOidCompare(&b, &a, 0, &result), SNMPAPI_SUCCESS);
  EXPECT_EQ(result, 1);
  smiOID copy{};
  EXPECT_EQ(SnmpOidCopy(&b, &copy), 9u);
  EXPECT_EQ(Text(copy), "1.3.6.1.2.1.43.18.1");
  Free(a);
  Free(b);
  Free(copy);
}

TEST_F(WinSnmpTest, EntitiesAreAddressesWithAnOptionalPort) {
  for (const char* text : {"192.168.0.9", "127.0.0.1:16161"}) {
    const HSNMP_ENTITY entity = SnmpStrToEntity(0, text);
    ASSERT_NE(entity, 0u) << text;
    char back[32] = {};
    EXPECT_EQ(SnmpEntityToStr(entity, sizeof back, back), std::strlen(text) + 1);
    EXPECT_STREQ(back, text);
    EXPECT_EQ(SnmpFreeEntity(entity), SNMPAPI_SUCCESS);
    EXPECT_EQ(SnmpFreeEntity(entity), SNMPAPI_FAILURE);
  }
  for (const char* text : {"", "ERROR", "none", "printer.example", "1.2.3", "1.2.3.4:0", "1.2.3.4:70000", "1.2.3.4:"}) {
    EXPECT_EQ(SnmpStrToEntity(0, text), 0u) << text;
    EXPECT_EQ(SnmpGetLastError(0), SNMPAPI_ENTITY_UNKNOWN) << text;
  }
  EXPECT_EQ(SnmpStrToEntity(0, nullptr), 0u);
}

TEST_F(WinSnmpTest, PdusCarryTheirListAndGiveItBackAsANewHandle) {
  smiOID name{};
  SnmpStrToOid("1.3.6.1.4.1.4417.6.17.1.2.4", &name);
  BYTE address[4] = {127, 0, 0, 1};
  smiVALUE value{};
  value.syntax = SNMP_SYNTAX_IPADDR;
  value.value.string = smiOCTETS{4, address};
  const HSNMP_VBL list = SnmpCreateVbl(0, &name, &value);
  ASSERT_NE(list, 0u);
  EXPECT_EQ(SnmpCountVbl(list), 1u);
  const HSNMP_PDU pdu = SnmpCreatePdu(0, SNMP_PDU_SET, 0x4242, 0, 0, list);
  ASSERT_NE(pdu, 0u);
  SnmpFreeVbl(list);
  smiINT type = 0, status = 0, index = 0;
  smiINT32 id = 0;
  HSNMP_VBL copy = 0;
  ASSERT_EQ(SnmpGetPduData(pdu, &type, &id, &status, &index, &copy), SNMPAPI_SUCCESS);
  EXPECT_EQ(type, static_cast<smiINT>(SNMP_PDU_SET));
  EXPECT_EQ(id, 0x4242);
  smiOID gotName{};
  smiVALUE gotValue{};
  ASSERT_EQ(SnmpGetVb(copy, 1, &gotName, &gotValue), SNMPAPI_SUCCESS);
  EXPECT_EQ(Text(gotName), "1.3.6.1.4.1.4417.6.17.1.2.4");
  EXPECT_EQ(gotValue.syntax, SNMP_SYNTAX_IPADDR);
  ASSERT_EQ(gotValue.value.string.len, 4u);
  EXPECT_EQ(std::memcmp(gotValue.value.string.ptr, address, 4), 0);
  EXPECT_EQ(SnmpGetVb(copy, 2, &gotName, &gotValue), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpGetLastError(0), SNMPAPI_INDEX_INVALID);
  SnmpFreeDescriptor(SNMP_SYNTAX_OID, reinterpret_cast<smiLPOPAQUE>(&gotName));
  SnmpFreeDescriptor(SNMP_SYNTAX_IPADDR, reinterpret_cast<smiLPOPAQUE>(&gotValue.value.string));
  SnmpFreeVbl(copy);
  SnmpFreePdu(pdu);
  Free(name);

  value.value.string.len = 3;
  SnmpStrToOid("1.3.6", &name);
  EXPECT_EQ(SnmpCreateVbl(0, &name, &value), 0u) << "an IpAddress has 4 bytes";
  Free(name);
  EXPECT_EQ(SnmpCreatePdu(0, 0xA4, 1, 0, 0, 0), 0u) << "version 1 traps are not made here";
  const HSNMP_VBL empty = SnmpCreateVbl(0, nullptr, nullptr);
  EXPECT_EQ(SnmpCountVbl(empty), SNMPAPI_FAILURE);
  SnmpFreeVbl(empty);
}

TEST_F(WinSnmpTest, StartUpIsCountedAndNeededForEveryHandle) {
  smiUINT32 mode = 7;
  ASSERT_EQ(SnmpStartup(nullptr, nullptr, nullptr, &mode, nullptr), SNMPAPI_SUCCESS);
  EXPECT_EQ(mode, SNMPAPI_TRANSLATED);
  EXPECT_EQ(SnmpSetTranslateMode(SNMPAPI_UNTRANSLATED_V1), SNMPAPI_SUCCESS);
  EXPECT_EQ(SnmpSetTranslateMode(9), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpCleanup(), SNMPAPI_SUCCESS);
  EXPECT_NE(SnmpStrToEntity(0, "10.0.0.1"), 0u) << "one start-up is still open";
  EXPECT_EQ(SnmpCleanup(), SNMPAPI_SUCCESS);
  EXPECT_EQ(SnmpStrToEntity(0, "10.0.0.1"), 0u);
  EXPECT_EQ(SnmpGetLastError(0), SNMPAPI_NOT_INITIALIZED);
  EXPECT_EQ(SnmpOpen(0, 0x1401), 0u);
  EXPECT_EQ(SnmpCleanup(), SNMPAPI_FAILURE);
  ASSERT_EQ(SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr), SNMPAPI_SUCCESS);
  EXPECT_EQ(SnmpOpen(0x7FFFFFF0u, 0x1401), 0u) << "no such window";
  EXPECT_EQ(SnmpGetLastError(0), SNMPAPI_HWND_INVALID);
}

}  // namespace
