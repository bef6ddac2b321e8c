// The library's strings in both languages, cut to the caller's buffer, and the
// value error box built from them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "interface/util/resource_text.h"
#include "interface/util/string_ids.h"
#include "interface/util/value_error.h"
#include "platform/ui/message_box.h"
#include "tests/interface/ui_test_support.h"

namespace uitest {
namespace {

using platform::UiLanguage;

class ResourceTextTest : public UiCoreTest {};

TEST_F(ResourceTextTest, StringsComeInTheMachinesLanguageAndAreCutToWholeCharacters) {
  struct Case {
    UiLanguage language;
    UINT id;
    int size;
    const char* expected;  // UTF-8
  } cases[] = {
      {UiLanguage::Japanese, IDS_ERROR_CODE, 64, "エラーコード %d"},
      {UiLanguage::Japanese, IDS_OUT_OF_MEMORY, 64, "メモリ外"},
      {UiLanguage::Japanese, IDS_ERROR_CAPTION, 64, "エラー"},
      {UiLanguage::English, IDS_ERROR_CODE, 64, "Error code %d"},
      {UiLanguage::English, IDS_OUT_OF_MEMORY, 64, "Out of memory"},
      // Each of these characters is two bytes: room for 5 bytes holds two of them,
      // never two and a half.
      {UiLanguage::Japanese, IDS_ERROR_CODE, 6, "エラ"},
      {UiLanguage::Japanese, IDS_ERROR_CODE, 7, "エラー"},
      {UiLanguage::Japanese, IDS_ERROR_CAPTION, 2, ""},
      {UiLanguage::English, IDS_ERROR_CODE, 6, "Error"},
      {UiLanguage::English, IDS_ERROR_CODE, 1, ""},
      // No such string: an empty text, whatever the buffer held.
      {UiLanguage::Japanese, 9999, 64, ""},
      {UiLanguage::English, 9999, 64, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.expected) + " id " + std::to_string(c.id) + " size " + std::to_string(c.size));
    platform::SetUiLanguage(c.language);
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LoadResString(c.id, buffer, c.size), buffer);
    EXPECT_EQ(U(buffer), c.expected);
  }
  char buffer[8] = "keep";
  EXPECT_EQ(LoadResString(IDS_ERROR_CODE, nullptr, 8), nullptr);
  EXPECT_EQ(LoadResString(IDS_ERROR_CODE, buffer, 0), nullptr);
  EXPECT_EQ(LoadResString(IDS_ERROR_CODE, buffer, -1), nullptr);
  EXPECT_STREQ(buffer, "keep");
}

TEST_F(ResourceTextTest, ValueErrorNamesTheErrorInAnErrorBoxWithoutOwner) {
  std::vector<platform::MessageBoxRequest> shown;
  platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest& request) {
    shown.push_back(request);
    return IDOK;
  });
  struct Case {
    UiLanguage language;
    UINT message;
    int value;
    const char* text;
    const char* caption;
  } cases[] = {
      {UiLanguage::Japanese, IDS_ERROR_CAPTION, 5, "エラー エラーコード 5", "エラー"},
      {UiLanguage::Japanese, IDS_ERROR_CAPTION, 8, "エラー メモリ外", "エラー"},
      {UiLanguage::Japanese, IDS_ERROR_CAPTION, -1, "エラー エラーコード -1", "エラー"},
      // The message itself is text, not a format.
      {UiLanguage::Japanese, IDS_ERROR_CODE, 8, "エラーコード %d メモリ外", "エラー"},
      {UiLanguage::English, IDS_ERROR_CAPTION, 1223, "Error Error code 1223", "Error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    platform::SetUiLanguage(c.language);
    shown.clear();
    ShowValueError(c.message, c.value);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, c.text);
    EXPECT_EQ(shown[0].caption, c.caption);
    EXPECT_EQ(shown[0].owner, 0u);
    EXPECT_EQ(shown[0].type, MB_ICONERROR);
  }
  platform::SetMessageBoxHandler(nullptr);
}

}  // namespace
}  // namespace uitest
