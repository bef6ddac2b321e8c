// UTF-8 checks and conversion for the resource compiler (it links nothing of the platform layer).
#pragma once

#include <string>
#include <string_view>

namespace rescomp {

bool IsValidUtf8(std::string_view text);
// The text must be valid UTF-8.
std::u16string Utf16FromUtf8(std::string_view text);

}  // namespace rescomp
