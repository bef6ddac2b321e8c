// The address rules of the set-up wizard: which port names are network ports,
// how a dotted address splits into octets and which addresses are accepted.
#pragma once

#include <array>
#include <optional>
#include <string>

// "a.b.c.d:x" or "IP_a.b.c.d" (any case).
bool IsIpPortName(const std::string& portName);

// Four numbers: an empty piece is -1 (0 for the last). Nothing for a text with
// more than four pieces or a piece that is not a decimal number.
std::optional<std::array<int, 4>> ParseDottedQuad(const std::string& text);

// Four octets of one to three digits, each 0 to 255, no leading zero and not
// 0.0.0.0.
bool IsAcceptableIpAddress(const std::string& text);
