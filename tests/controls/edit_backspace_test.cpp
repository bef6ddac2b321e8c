// Backspace in an edit takes back one character a person sees: a Japanese
// character arrives as its two code-page bytes, and goes as both.
#include <gtest/gtest.h>

#include "tests/controls/controls_fixture.h"

namespace {

class EditBackspaceTest : public ControlsTest {};

TEST_F(EditBackspaceTest, BackspaceRemovesWholeDoubleByteCharacters) {
  HWND dialog = CreateDialogParamA(0, MAKEINTRESOURCEA(220), 0, nullptr, 0);
  ASSERT_NE(dialog, 0u);
  HWND edit = GetDlgItem(dialog, 101);
  for (unsigned char byte : std::string("a\x97\xbc\x96\xca")) SendMessageA(edit, WM_CHAR, byte, 0);  // "a両面"
  EXPECT_EQ(TextOf(edit), "a\x97\xbc\x96\xca");
  SendMessageA(edit, WM_CHAR, VK_BACK, 0);
  EXPECT_EQ(TextOf(edit), "a\x97\xbc");
  SendMessageA(edit, WM_CHAR, VK_BACK, 0);
  EXPECT_EQ(TextOf(edit), "a");
  SendMessageA(edit, WM_CHAR, VK_BACK, 0);
  SendMessageA(edit, WM_CHAR, VK_BACK, 0);
  EXPECT_EQ(TextOf(edit), "");
  DestroyWindow(dialog);
}

}  // namespace
