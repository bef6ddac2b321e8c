// The keyboard of a display in Windows' terms: which virtual key an X key
// symbol is and which character it types.
#pragma once

namespace platform::ui::x11 {

// The virtual-key code of an unshifted key symbol; 0 for a key Windows has
// no code for here.
int VirtualKeyOf(unsigned long keySymbol);

// The character a (shifted) key symbol types, as a Unicode code point; 0 for
// keys that type none (Tab, Enter and Escape are keys the dialog manager
// takes, not characters).
char32_t CharacterOf(unsigned long keySymbol);

}  // namespace platform::ui::x11
