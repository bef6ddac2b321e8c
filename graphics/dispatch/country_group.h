// The country group of a printer, by which the device-mode defaults choose their
// paper: the printer data "INTL"/"iCountry".
#pragma once

#include "platform/base/types.h"

constexpr DWORD kCountryGroupOther = 0;
constexpr DWORD kCountryGroupNorthAmerica = 1;  // iCountry 1 (USA) and 2 (Canada)
constexpr DWORD kCountryGroupJapan = 81;

// 1 for iCountry 1 or 2, 81 for 81, else 0 (a value that cannot be read included).
DWORD GetCountryGroup(HANDLE printer);
