// The tab sheets of an insert-sheet set, printed at the end of the job on the
// model's tab stock: one page carries every tab, each in its position on the
// stock's edge, captured by the graphics library tab by tab so that each can
// follow its document page.
#include <algorithm>
#include <cstring>
#include <vector>

#include "common/pdl_kind.h"
#include "interface/decorations/decoration_support.h"
#include "interface/decorations/page_decorations.h"
#include "interface/job/job_context.h"
#include "interface/util/text_conversion.h"
#include "model/model_cache.h"
#include "platform/base/arith.h"
#include "platform/base/codepage.h"
#include "platform/gdi/dc.h"

namespace {

constexpr int kTabStocks = kModelMaxTabInfo;
// Top edges of the tab positions on the stock, in thousandths of an inch.
constexpr int kTabTopEdges[] = {1102, 2992, 4882, 6772, 8661};
constexpr int kTabTopEdgeCount = 5;
constexpr short kPortrait = 1;
constexpr DWORD kTabSheetMarker = 4;

struct TabSheetBlock {
  DWORD page;
  DWORD marker;
  DWORD mode;
};
static_assert(sizeof(TabSheetBlock) == 12);

void SendTabSheet(HDC dc, ULONG escape, const TabEntry& entry) {
  const TabSheetBlock block{static_cast<DWORD>(entry.page), kTabSheetMarker, static_cast<DWORD>(entry.mode)};
  ExtEscape(dc, static_cast<int>(escape), sizeof block, reinterpret_cast<const char*>(&block), 0, nullptr);
}

// The top edge of a tab position (1-based). The stock's own positions have
// fixed edges; a stock with more positions continues them a tab height apart.
int TabTopEdge(int position, int tabHeight) {
  if (position <= kTabTopEdgeCount) return kTabTopEdges[position - 1];
  return kTabTopEdges[kTabTopEdgeCount - 1] + (position - kTabTopEdgeCount) * tabHeight;
}

// The box of a tab in device units: the edge of the paper at the right, from
// the position's top edge down by the tab height.
RECT TabBox(HDC dc, int paperWidth, int tabWidth, int top, int tabHeight) {
  const int previous = SetMapMode(dc, MM_HIENGLISH);
  POINT corners[2] = {{paperWidth - tabWidth, -top}, {paperWidth, -(top + tabHeight)}};
  LPtoDP(dc, corners, 2);
  SetMapMode(dc, previous);
  return RECT{std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
              std::max(corners[0].x, corners[1].x), std::max(corners[0].y, corners[1].y)};
}

// The characters of a text (a double-byte character counts as one).
std::vector<std::string> Characters(const char* text) {
  std::vector<std::string> characters;
  for (size_t i = 0; text[i] != '\0';) {
    const size_t width = IsDBCSLeadByte(static_cast<BYTE>(text[i])) && text[i + 1] != '\0' ? 2 : 1;
    characters.emplace_back(text + i, width);
    i += width;
  }
  return characters;
}

void DrawTabText(HDC dc, const RECT& box, const TabEntry& entry, const LOGFONTA& font) {
  const int centreX = (box.left + box.right) / 2;
  const int centreY = (box.top + box.bottom) / 2;
  const int length = static_cast<int>(strnlen(entry.text, sizeof entry.text));
  if (font.lfEscapement != 0) {
    SetTextAlign(dc, TA_CENTER | TA_BOTTOM);
    TextOutA(dc, centreX - std::abs(font.lfHeight) / 2, centreY, entry.text, length);
    return;
  }
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  const std::vector<std::string> characters = Characters(std::string(entry.text, length).c_str());
  const int height = metrics.tmHeight;
  const int count = static_cast<int>(characters.size());
  SetTextAlign(dc, TA_CENTER | TA_BASELINE);
  int y = ((box.bottom - box.top) - height * count) / 2 + box.top + height / 2 + metrics.tmDescent;
  for (const std::string& character : characters) {
    TextOutA(dc, centreX, y, character.c_str(), static_cast<int>(character.size()));
    y += height;
  }
}

}  // namespace

int ChooseTabEntries(const PageTicketRow* rows, int rowCount, int pages, bool duplex, TabEntry* entries, int capacity) {
  if (rows == nullptr || entries == nullptr) return 0;
  const int last = std::min(rowCount, kInsertSheetSetMaxRows);
  int count = 0;
  int j = 0;
  for (int p = 1; p <= pages && j < last; ++p) {
    // A row of page 0 comes before page 1: page 1 is looked at again after it.
    bool again = true;
    while (again && j < last) {
      const PageTicketRow& row = rows[j];
      const int before = j;
      const bool qualifies = !duplex || (j == 0 && row.pageNumber == 0) ||
                             (pages % 2 == 1 && row.pageNumber == pages) || row.pageNumber % 2 == 0;
      const bool matches = qualifies && ((p == 1 && row.pageNumber < 1) || row.pageNumber == p);
      if (matches) {
        if (row.tabFlag != 0 && row.tabText[0] != '\0' && count < capacity) {
          TabEntry& entry = entries[count++];
          entry = TabEntry{row.pageNumber, {}, kTabModeText};
          std::memcpy(entry.text, row.tabText, strnlen(row.tabText, sizeof row.tabText - 1));
        }
        ++j;
      } else if (p >= row.pageNumber) {
        ++j;
      }
      again = j != before && p == 1 && j < last && rows[j].pageNumber == 0;
    }
  }
  return count;
}

int PrintTabPages(HANDLE printer, HDC dc) {
  JobContext* context = FindJobContext(dc);
  if (context == nullptr) return 0;
  const XDEVMODE& devmode = context->devmode;
  char printerName[MAX_PATH] = {};
  WideToAnsi(printerName, devmode.dmPrivate._wsPrinterName, sizeof printerName);
  const ModelRecord* record = GetModelRecord(printer, printerName, kModelReloadWhenMissing);
  if (record == nullptr) return 0;
  const InsertSheetSet& set = context->insertSet;
  // The stock comes from the user's set: an index the model does not have
  // names no stock.
  const int stockIndex = set.header.number;
  if (stockIndex < 0 || stockIndex >= kTabStocks || record->tabInfo[stockIndex].id == 0) return 0;
  const TabInfoEntry& stock = record->tabInfo[stockIndex];
  const PaperEntry* paper = FindModelPaper(*record, stock.l1);
  if (paper == nullptr) return -1;
  const PaperGeometry& g = paper->geometry[IsPostScriptPdl(devmode.dmPrivate._nPDL) ? 0 : 1];
  if (g.width == 0 || g.height == 0) return -1;

  std::vector<TabEntry> entries(kInsertSheetSetMaxRows);
  const int count = ChooseTabEntries(set.rows, set.rowCount, context->pageCount, devmode.dmPrivate._nDuplex != 0,
                                     entries.data(), static_cast<int>(entries.size()));
  if (count == 0) return 0;

  LOGFONTA font{};
  font.lfHeight = -MulDiv(set.header.value, GetDeviceCaps(dc, LOGPIXELSY), 72);
  const bool upright = set.header.values[0] != 0;
  font.lfEscapement = upright ? 0 : 2700;
  font.lfOrientation = font.lfEscapement;
  font.lfWeight = (set.header.values[2] & 1) ? 700 : set.header.values[1];
  font.lfItalic = (set.header.values[2] & 2) ? 1 : 0;
  font.lfCharSet = DEFAULT_CHARSET;
  CopyTerminated(font.lfFaceName, set.header.name);
  PrintTabPage(dc, &devmode, font, entries.data(), count, stock, g.width, g.height, g.margin2);
  return 1;
}

int PrintTabPage(HDC dc, const XDEVMODE* devmode, const LOGFONTA& tabFont, const TabEntry* entries, int count,
                 const TabInfoEntry& stock, int paperWidth, int paperLength, int top) {
  (void)top;
  if (devmode == nullptr || entries == nullptr) return -1;
  // A stock without positions has no place for a tab.
  if (stock.i1 <= 0) return -1;
  XDEVMODE tabPaper = *devmode;
  tabPaper.dmPublic.dmOrientation = kPortrait;
  tabPaper.dmPublic.dmPaperSize = static_cast<short>(stock.l1);
  tabPaper.dmPrivate._iOutputSize = static_cast<DWORD>(stock.l1);
  tabPaper.dmPrivate._iOutputFeedDirection = 0;
  tabPaper.dmPrivate._nDuplex = 0;
  tabPaper.dmPrivate._nMarginType = kMarginsNone;
  if (ResetDCW(dc, &tabPaper.dmPublic) == 0) return -1;

  SendEscapeDword(dc, kEscTabPageBegin, 1);
  StartPage(dc);
  int result = 1;
  HFONT font = CreateFontIndirectA(&tabFont);
  if (font == 0) {
    result = -1;
  } else {
    HGDIOBJ previousFont = SelectObject(dc, font);
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
    HGDIOBJ previousPen = pen ? SelectObject(dc, pen) : 0;
    const int tabHeight = (paperLength - 2 * stock.l2) / stock.i1;
    for (int i = 0; i < count; ++i) {
      const int position = i % stock.i1 + 1;
      const RECT box = TabBox(dc, paperWidth, stock.l3, TabTopEdge(position, tabHeight), tabHeight);
      SendTabSheet(dc, kEscTabSheetBegin, entries[i]);
      DrawTabText(dc, box, entries[i], tabFont);
      SendTabSheet(dc, kEscTabSheetEnd, entries[i]);
    }
    if (pen) {
      SelectObject(dc, previousPen);
      DeleteObject(pen);
    }
    SelectObject(dc, previousFont);
    DeleteObject(font);
  }
  EndPage(dc);
  const TabEntry none{};
  SendTabSheet(dc, kEscTabPageEnd, none);
  ResetDCW(dc, &devmode->dmPublic);
  return result;
}
