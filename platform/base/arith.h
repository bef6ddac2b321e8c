// Integer arithmetic helpers of the Windows API.
#pragma once

#include "platform/base/types.h"

// number * numerator / denominator with a 64-bit intermediate product, rounded
// half away from zero. -1 when the denominator is 0 or the result does not fit
// in 32 bits (a true result of -1 looks the same, as on Windows).
ZEL_EXTERN_C int MulDiv(int number, int numerator, int denominator);
