// The banner page: a title and the job's account, note, document and
// submission time, laid out in 1/600 inch.
#include <cstring>
#include <ctime>
#include <string>

#include "interface/decorations/dc_state_guard.h"
#include "interface/decorations/decoration_support.h"
#include "interface/decorations/page_decorations.h"
#include "interface/util/resource_text.h"
#include "interface/util/string_ids.h"
#include "platform/base/codepage.h"
#include "platform/base/format.h"
#include "platform/gdi/dc.h"

namespace {

constexpr UINT kJapaneseCodePage = 932;
// "ＭＳ Ｐゴシック" in code page 932.
constexpr char kJapaneseFace[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";

struct Line {
  UINT format;
  std::string value;
  int y;  // 1/600 inch
};

class BannerFonts {
 public:
  explicit BannerFonts(HDC dc) : dc_(dc) {}
  ~BannerFonts() { Release(); }
  BannerFonts(const BannerFonts&) = delete;
  BannerFonts& operator=(const BannerFonts&) = delete;

  void Select(int height, int weight) {
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    if (GetACP() == kJapaneseCodePage) std::memcpy(font.lfFaceName, kJapaneseFace, sizeof kJapaneseFace);
    HFONT made = CreateFontIndirectA(&font);
    if (made == 0) return;
    HGDIOBJ previous = SelectObject(dc_, made);
    if (original_ == 0) original_ = previous;
    if (current_ != 0) DeleteObject(current_);
    current_ = made;
  }

 private:
  void Release() {
    if (current_ == 0) return;
    SelectObject(dc_, original_);
    DeleteObject(current_);
  }
  HDC dc_;
  HGDIOBJ original_ = 0;
  HFONT current_ = 0;
};

std::string Field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

std::string SubmissionTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64] = {};
  asctime_r(&local, text);
  std::string value = text;
  if (!value.empty() && value.back() == '\n') value.pop_back();
  return value;
}

bool DrawText(HDC dc, int x, int y, const std::string& text) {
  return ExtTextOutA(dc, x, y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr) != FALSE;
}

}  // namespace

int DrawBannerPage(HDC dc, const XDEVMODE* devmode) {
  if (devmode == nullptr) return 0;
  const int dpi = DecorationDpi(dc, devmode);
  auto scaled = [dpi](int v) { return v * dpi / 600; };
  // The banner is one page on its sheet.
  bool reset = false;
  if (devmode->dmPrivate._nUp != 1) {
    XDEVMODE single = *devmode;
    single.dmPrivate._nUp = 1;
    reset = ResetDCW(dc, &single.dmPublic) != 0;
  }
  BOOL titleDrawn = FALSE;
  {
    SavedDrawingState saved(dc);
    saved.UseDeviceUnits();
    BannerFonts fonts(dc);
    fonts.Select(scaled(200), 400);
    char title[128] = {};
    LoadResString(IDS_BANNER_TITLE, title, sizeof title);
    titleDrawn = DrawText(dc, scaled(1500), scaled(400), title);
    if (titleDrawn) {
      fonts.Select(scaled(133), 300);
      const XDEVMODE_PRIVATE& extra = devmode->dmPrivate;
      const Line lines[] = {{IDS_BANNER_ACCOUNT, Field(extra._sAccount, 31), 1030},
                            {IDS_BANNER_NOTE, Field(extra._sNote, sizeof extra._sNote), 1230},
                            {IDS_BANNER_DOCUMENT, Field(extra.documentName, sizeof extra.documentName), 1430},
                            {IDS_BANNER_SUBMITTED, SubmissionTime(), 1630}};
      for (const Line& line : lines) {
        if (line.value.empty()) continue;
        char format[128] = {};
        LoadResString(line.format, format, sizeof format);
        char text[1024] = {};
        wsprintfA(text, format, line.value.c_str());
        if (!DrawText(dc, scaled(400), scaled(line.y), text)) break;
      }
    }
  }
  if (reset) ResetDCW(dc, &devmode->dmPublic);
  return titleDrawn;
}
