// The user's country, which chooses the paper defaults of a new device mode.
#pragma once

#include "platform/base/types.h"

// Reads "icountry" of the "intl" section of the user's profile (0 when missing),
// stores it as the printer's "INTL"/"iCountry", and answers 1 (letter sizes) for
// the country codes 1 and 2, 81 (Japanese sizes) for 81, else 0 (metric sizes).
int GetCountryCode(HANDLE printer);
