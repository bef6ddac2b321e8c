// The tab control ("SysTabControl32"): a row of titled tabs above a framed area.
// A click on a tab (or Left/Right while it has the focus) asks the parent with
// TCN_SELCHANGING (an answer TRUE keeps the selection), selects the tab and tells
// the parent TCN_SELCHANGE, both through WM_NOTIFY. TCM_SETCURSEL is silent.
#pragma once

#include "platform/ui/user.h"

#define WC_TABCONTROLA "SysTabControl32"

#define TCM_FIRST 0x1300u
#define TCM_GETITEMCOUNT (TCM_FIRST + 4u)
#define TCM_GETITEMA (TCM_FIRST + 5u)
#define TCM_SETITEMA (TCM_FIRST + 6u)
#define TCM_INSERTITEMA (TCM_FIRST + 7u)  // wParam the index; answers the index or -1
#define TCM_DELETEITEM (TCM_FIRST + 8u)
#define TCM_DELETEALLITEMS (TCM_FIRST + 9u)
#define TCM_GETITEMRECT (TCM_FIRST + 10u)
#define TCM_GETCURSEL (TCM_FIRST + 11u)
#define TCM_SETCURSEL (TCM_FIRST + 12u)  // answers the previous selection or -1
// wParam FALSE: the window rectangle in lParam becomes its display area; TRUE:
// the display area becomes the window rectangle that holds it.
#define TCM_ADJUSTRECT (TCM_FIRST + 40u)

#define TCN_FIRST (0u - 550u)
#define TCN_SELCHANGE (TCN_FIRST - 1u)
#define TCN_SELCHANGING (TCN_FIRST - 2u)

#define TCIF_TEXT 0x0001u
#define TCIF_IMAGE 0x0002u
#define TCIF_PARAM 0x0008u

typedef struct tagTCITEMA {
  UINT mask;
  DWORD dwState;
  DWORD dwStateMask;
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
} TCITEMA, *LPTCITEMA;
