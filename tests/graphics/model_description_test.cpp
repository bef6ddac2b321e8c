// The printer description as the graphics library gets it: its cache follows
// the printer's configuration counter (and nothing else holds a reload back),
// a reload never changes a record already handed out, the loader reads a
// description of a newer format without a message box, the per-model resource
// module is found beside the graphics library, and the library's product
// version is read from its version resource without trusting a byte of it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "graphics/core/model_description.h"
#include "graphics/core/product_version.h"
#include "platform/base/modules.h"
#include "platform/gdi/eng_services.h"
#include "platform/ui/message_box.h"
#include "tests/graphics/printer_fixture.h"
#include "tools/machinesetup/printer_install.h"

namespace graphicstest {
namespace {

class ModelDescriptionTest : public GraphicsPrinterTest {};

TEST_F(ModelDescriptionTest, NamesThatDifferInCaseShareTheRecord) {
  HANDLE printer = Install(kMonoModel, "Office Mono", kPdlPcl5e, 0);
  const ModelRecord* record = GetModelRecord(0, printer, "Office Mono");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->modelId, 3020);
  EXPECT_EQ(GetModelRecord(0, printer, "OFFICE mono"), record);
  EXPECT_EQ(GetModelRecord(0, printer, nullptr), nullptr);
}

TEST_F(ModelDescriptionTest, RecordFollowsTheConfigurationCounter) {
  HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  SetPrinterDword(printer, "Printer", "Cfg", 7);
  const ModelRecord* seven = GetModelRecord(0, printer, "Mono");
  ASSERT_NE(seven, nullptr);
  EXPECT_EQ(seven->configStamp, 7u);
  EXPECT_EQ(GetModelRecord(0, printer, "Mono"), seven);

  // Another writer of the configuration changes the language and raises the counter.
  SetPrinterDword(printer, "Printer", "PDL", kPdlPclXl);
  SetPrinterDword(printer, "Printer", "Cfg", 8);
  const ModelRecord* eight = GetModelRecord(0, printer, "Mono");
  ASSERT_NE(eight, nullptr);
  EXPECT_EQ(eight->configStamp, 8u);
  EXPECT_EQ(eight->printerPdl, kPdlPclXl);
  // The record handed out before is left whole for whoever still reads it.
  EXPECT_EQ(seven->configStamp, 7u);
  EXPECT_EQ(seven->printerPdl, kPdlPcl5e);

  // A counter that cannot be read is no proof that the record is current.
  DeletePrinterValue(printer, "Printer", "Cfg");
  const ModelRecord* unread = GetModelRecord(0, printer, "Mono");
  ASSERT_NE(unread, nullptr);
  EXPECT_EQ(unread->configStamp, 0u);
}

// The user-interface library holds reloads back while the print server is
// marked down; the graphics library reads the printer's data on this machine
// and follows the counter regardless.
TEST_F(ModelDescriptionTest, ServerDownMarkDoesNotHoldAReloadBack) {
  HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  const ModelRecord* before = GetModelRecord(0, printer, "Mono");
  ASSERT_NE(before, nullptr);
  ASSERT_EQ(db.SetDword(0, kStoreUser, "Mono", "bServerDown", 1), 0u);
  SetPrinterDword(printer, "Printer", "PDL", kPdlPclXl);
  SetPrinterDword(printer, "Printer", "Cfg", 9);
  const ModelRecord* after = GetModelRecord(0, printer, "Mono");
  ASSERT_NE(after, nullptr);
  EXPECT_EQ(after->configStamp, 9u);
  EXPECT_EQ(after->printerPdl, kPdlPclXl);
  EXPECT_EQ(GetModelRecord(0, printer, "Mono"), after);
}

TEST_F(ModelDescriptionTest, NewerFormatLoadsWithoutAMessageBoxAndControlNamesMap) {
  int boxes = 0;
  platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest&) {
    ++boxes;
    return IDOK;
  });
  HANDLE printer = InstallText(
      "[General]\nFormatVersion=3.0\nModelName=Future Model\nModelID=4100\n"
      "[PDL]\n1=PCL5E\nDefault=1\n"
      "[HiddenControls]\n1205=IDD_DIALOG_SEPARATORS;IDC_INSERTTRAY_2\n1206=IDD_DIALOG_SEPARATORS;IDX_UNKNOWN\n",
      "Future", kPdlPcl5e, 0);
  const ModelRecord* record = GetModelRecord(0, printer, "Future");
  platform::SetMessageBoxHandler(nullptr);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(boxes, 0);
  EXPECT_EQ(record->modelId, 4100);
  // A name that goes on after a table name maps to that name's id; a name no
  // table name begins refuses its row.
  EXPECT_EQ(record->hiddenControls[0].controlId, 1205);
  EXPECT_EQ(record->hiddenControls[0].dialogId1, 206);
  EXPECT_EQ(record->hiddenControls[0].dialogId2, 1618);
  EXPECT_EQ(record->hiddenControls[1].controlId, 0);
}

TEST_F(ModelDescriptionTest, ModelModuleIsFoundBesideTheGraphicsLibrary) {
  const std::string beside = TestModulePath("recording_driver.dll");
  struct Case {
    const char* what;
    const char* modelDll;  // null: no entry
    bool loads;
  } cases[] = {
      {"no entry", nullptr, false},
      {"empty entry", "", false},
      {"a module that is not there", "nardox99.dll", false},
      {"the model's module", "sample_module.dll", true},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::string text = "[General]\nFormatVersion=2.0\nModelName=Module Model " + std::to_string(++n) + "\n";
    if (c.modelDll) text += std::string("ModelDLL=") + c.modelDll + "\n";
    text += "[PDL]\n1=PCL5E\nDefault=1\n";
    const std::string name = "Module " + std::to_string(n);
    HANDLE printer = InstallText(text, name, kPdlPcl5e, 0, beside);
    const HMODULE module = LoadModelModule(printer);
    EXPECT_EQ(module != 0, c.loads) << c.what;
    if (module) {
      char version[40] = {};
      EXPECT_EQ(GetProductVersionString(module, version, sizeof version, kProductVersionText), 1);
      EXPECT_STREQ(version, "6.310.23.0");
      FreeLibrary(module);
    }
  }
  EXPECT_EQ(LoadModelModule(0), 0u);
}

class ProductVersionTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    sample_ = LoadLibraryA(TestModulePath("sample_module.dll").c_str());
    ASSERT_NE(sample_, 0u);
    ULONG size = 0;
    const auto* bytes = static_cast<const unsigned char*>(EngFindResource(sample_, 1, 16, &size));
    ASSERT_NE(bytes, nullptr);
    resource_.assign(bytes, bytes + size);
  }
  void TearDown() override {
    FreeLibrary(sample_);
    FreshMachine::TearDown();
  }

  // Reads from a heap copy of exactly `size` bytes, so that the sanitizer build
  // catches any read past them.
  static std::string Read(const std::vector<unsigned char>& bytes, size_t size, bool* found = nullptr) {
    std::unique_ptr<unsigned char[]> copy(new unsigned char[size ? size : 1]);
    std::memcpy(copy.get(), bytes.data(), size);
    char out[40];
    std::memset(out, 'x', sizeof out);
    const bool ok = ReadProductVersion(copy.get(), size, out, sizeof out);
    if (found) *found = ok;
    return out;
  }

  // Replaces every occurrence of a UTF-16 key in the resource.
  void PatchKey(const std::u16string& from, const std::u16string& to) {
    ASSERT_EQ(from.size(), to.size());
    const size_t bytes = from.size() * 2;
    bool patched = false;
    for (size_t at = 0; at + bytes <= resource_.size(); at += 2) {
      if (std::memcmp(resource_.data() + at, from.data(), bytes) == 0) {
        std::memcpy(resource_.data() + at, to.data(), bytes);
        patched = true;
      }
    }
    ASSERT_TRUE(patched);
  }

  // The offset of a UTF-16 key, less the 6-byte header of its node.
  size_t NodeOf(const std::u16string& key) const {
    for (size_t at = 6; at + key.size() * 2 <= resource_.size(); at += 2) {
      if (std::memcmp(resource_.data() + at, key.data(), key.size() * 2) == 0) return at - 6;
    }
    return 0;
  }

  HMODULE sample_ = 0;
  std::vector<unsigned char> resource_;
};

TEST_F(ProductVersionTest, ProductVersionOfAModuleIntoBuffersOfEverySize) {
  struct Case {
    DWORD length;
    const char* expected;
  } cases[] = {{40, "6.310.23.0"}, {11, "6.310.23.0"}, {10, "6.310.23."}, {4, "6.3"}, {1, ""}};
  for (const Case& c : cases) {
    char buffer[48];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_EQ(GetProductVersionString(sample_, buffer, c.length, kProductVersionText), 1) << c.length;
    EXPECT_STREQ(buffer, c.expected) << c.length;
    EXPECT_EQ(buffer[c.length], 'x') << "written past a buffer of " << c.length;
  }
  char buffer[40] = {};
  EXPECT_EQ(GetProductVersionString(sample_, buffer, sizeof buffer, 2), 0);
  EXPECT_EQ(GetProductVersionString(sample_, nullptr, 40, kProductVersionText), 0);
  EXPECT_EQ(GetProductVersionString(sample_, buffer, 0, kProductVersionText), 0);
  EXPECT_EQ(GraphicsDriverVersionWord(sample_), 0x030A);

  // The user-interface library carries a version block too.
  const HMODULE ui = LoadLibraryA((machinesetup::BuiltDriverFolder() + "\\zeluid5.dll").c_str());
  ASSERT_NE(ui, 0u);
  EXPECT_EQ(GetProductVersionString(ui, buffer, sizeof buffer, kProductVersionText), 1);
  EXPECT_STREQ(buffer, "6.310.23.0");
  FreeLibrary(ui);

  // A module without a version resource.
  const HMODULE bare = LoadLibraryA(TestModulePath("sticky_module.dll").c_str());
  ASSERT_NE(bare, 0u);
  EXPECT_EQ(GetProductVersionString(bare, buffer, sizeof buffer, kProductVersionText), 0);
  EXPECT_EQ(GraphicsDriverVersionWord(bare), 0);
  FreeLibrary(bare);
}

// A resource cut short anywhere is read no further than its end, and gives no
// version rather than part of one.
TEST_F(ProductVersionTest, TruncatedResourceIsNeverReadPastItsEnd) {
  bool found = false;
  EXPECT_EQ(Read(resource_, resource_.size(), &found), "6.310.23.0");
  EXPECT_TRUE(found);
  for (size_t size = 0; size < resource_.size(); ++size) {
    EXPECT_EQ(Read(resource_, size, &found), "") << size;
    EXPECT_FALSE(found) << size;
  }
}

TEST_F(ProductVersionTest, OnlyTheUsEnglishUnicodeTableIsRead) {
  // Keys compare without regard to case, as the platform's version calls do.
  PatchKey(u"040904b0", u"040904B0");
  EXPECT_EQ(Read(resource_, resource_.size()), "6.310.23.0");
  // A German table (and the Japanese one beside it) gives no version.
  PatchKey(u"040904B0", u"040704b0");
  bool found = true;
  EXPECT_EQ(Read(resource_, resource_.size(), &found), "");
  EXPECT_FALSE(found);
}

TEST_F(ProductVersionTest, NodeLengthsThatDoNotFitTheirParentGiveNoVersion) {
  const size_t table = NodeOf(u"040904b0");
  const size_t version = NodeOf(u"ProductVersion");
  ASSERT_NE(table, 0u);
  ASSERT_NE(version, 0u);
  struct Case {
    const char* what;
    size_t node;
    size_t field;  // 0 length, 2 value length
    uint16_t value;
  } cases[] = {
      {"table longer than its parent", table, 0, 0xFFFF},
      {"table shorter than its header", table, 0, 4},
      {"string longer than its table", version, 0, 0x7FFF},
      {"string value past the string", version, 2, 0x4000},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> bytes = resource_;
    bytes[c.node + c.field] = static_cast<unsigned char>(c.value);
    bytes[c.node + c.field + 1] = static_cast<unsigned char>(c.value >> 8);
    bool found = true;
    EXPECT_EQ(Read(bytes, bytes.size(), &found), "") << c.what;
    EXPECT_FALSE(found) << c.what;
  }
}

}  // namespace
}  // namespace graphicstest
