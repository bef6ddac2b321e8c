#include "interface/util/nup_grid.h"

void ComputeNupGrid(WORD pages, WORD* columns, WORD* rows) {
  if (!columns || !rows) return;
  WORD c = 1;
  WORD d = pages;
  // The square is taken in 32 bits: in 16 bits 256 * 256 wraps to 0 and the loop
  // would never end for counts from 65025 up.
  for (DWORD e = 1; e * e <= pages; ++e) {
    if (pages % e == 0) {
      c = static_cast<WORD>(e);
      d = static_cast<WORD>(pages / e);
    }
  }
  *columns = c < d ? c : d;
  *rows = c < d ? d : c;
}
