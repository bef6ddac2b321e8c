// Small arithmetic routines the graphics core and the writers share: rounding,
// vector lengths, 28.4 fixed point, float comparison and a DWORD lookup.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

// The nearest integer, ties to the even one (2.5 -> 2, 3.5 -> 4, -2.5 -> -2),
// whatever the floating-point rounding mode. Values beyond the int range give
// its nearest end; NaN gives 0.
int RoundToInt(float value);

// The smallest r with r * r >= a * a + b * b (the Euclidean length rounded up);
// exact over the whole LONG range. A length above 0x7FFFFFFF (both magnitudes
// near 2^31) gives 0x7FFFFFFF.
LONG IntHypot(LONG a, LONG b);

// |y| when x is 0, |x| when y is 0, else sqrt(x * x + y * y) (computed in double,
// so large components do not overflow).
float FloatHypot(float x, float y);

// A 28.4 fixed-point value as float: -24 -> -1.5.
float FixToFloat(FIX value);

// True when a and b differ by less than 0.001.
bool FloatNearlyEqual(float a, float b);

// The index of the first of `count` values equal to `value`, -1 when none. The
// result is 16-bit, so only the first 32768 values are searched.
SHORT FindDwordIndex(DWORD value, const DWORD* values, DWORD count);
