#include "platform/ui/x11_keys.h"

#include <X11/keysym.h>

#include <map>

namespace platform::ui::x11 {

int VirtualKeyOf(unsigned long keySymbol) {
  if (keySymbol >= XK_a && keySymbol <= XK_z) return static_cast<int>('A' + (keySymbol - XK_a));
  if (keySymbol >= XK_A && keySymbol <= XK_Z) return static_cast<int>(keySymbol);
  if (keySymbol >= XK_0 && keySymbol <= XK_9) return static_cast<int>(keySymbol);
  if (keySymbol >= XK_KP_0 && keySymbol <= XK_KP_9) return static_cast<int>(0x60 + (keySymbol - XK_KP_0));
  if (keySymbol >= XK_F1 && keySymbol <= XK_F12) return static_cast<int>(0x70 + (keySymbol - XK_F1));
  static const std::map<unsigned long, int> keys = {
      {XK_BackSpace, 0x08},   {XK_Tab, 0x09},        {XK_ISO_Left_Tab, 0x09}, {XK_Return, 0x0D},
      {XK_KP_Enter, 0x0D},    {XK_Shift_L, 0x10},    {XK_Shift_R, 0x10},      {XK_Control_L, 0x11},
      {XK_Control_R, 0x11},   {XK_Alt_L, 0x12},      {XK_Alt_R, 0x12},        {XK_Meta_L, 0x12},
      {XK_Pause, 0x13},       {XK_Caps_Lock, 0x14},  {XK_Escape, 0x1B},       {XK_space, 0x20},
      {XK_Prior, 0x21},       {XK_Next, 0x22},       {XK_End, 0x23},          {XK_Home, 0x24},
      {XK_Left, 0x25},        {XK_Up, 0x26},         {XK_Right, 0x27},        {XK_Down, 0x28},
      {XK_Insert, 0x2D},      {XK_Delete, 0x2E},     {XK_KP_Multiply, 0x6A},  {XK_KP_Add, 0x6B},
      {XK_KP_Subtract, 0x6D}, {XK_KP_Decimal, 0x6E}, {XK_KP_Divide, 0x6F},    {XK_minus, 0xBD},
      {XK_comma, 0xBC},       {XK_period, 0xBE},     {XK_slash, 0xBF},        {XK_semicolon, 0xBA},
      {XK_Kanji, 0x19},       {XK_Muhenkan, 0x1D},   {XK_Henkan, 0x1C},
  };
  const auto found = keys.find(keySymbol);
  return found == keys.end() ? 0 : found->second;
}

char32_t CharacterOf(unsigned long keySymbol) {
  if (keySymbol == XK_BackSpace) return 0x08;
  if (keySymbol >= XK_KP_0 && keySymbol <= XK_KP_9) return U'0' + static_cast<char32_t>(keySymbol - XK_KP_0);
  // Latin-1 symbols are their own code points; others carry one in the low bits.
  if ((keySymbol >= 0x20 && keySymbol <= 0x7E) || (keySymbol >= 0xA0 && keySymbol <= 0xFF)) {
    return static_cast<char32_t>(keySymbol);
  }
  if ((keySymbol & 0xFF000000u) == 0x01000000u) return static_cast<char32_t>(keySymbol & 0x00FFFFFFu);
  // The kana keys type the half-width katakana, in the same order.
  if (keySymbol >= XK_kana_fullstop && keySymbol <= XK_semivoicedsound) {
    return static_cast<char32_t>(0xFF61 + (keySymbol - XK_kana_fullstop));
  }
  return 0;
}

}  // namespace platform::ui::x11
