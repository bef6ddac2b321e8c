// The width of a number in decimal.
#pragma once

// The count of decimal digits of the number's magnitude; 0 has one.
int DigitCount(long long number);
