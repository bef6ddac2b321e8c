// Pages per sheet as a grid of columns and rows.
#pragma once

#include "platform/base/types.h"

// The pair of divisors of n closest to each other, the smaller as columns: 2 gives
// 1 x 2, 6 gives 2 x 3, 9 gives 3 x 3, 7 gives 1 x 7. Nothing is done when either
// output is NULL.
void ComputeNupGrid(WORD pages, WORD* columns, WORD* rows);
