#include "controls/hyperlink.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/base/debug.h"
#include "platform/base/modules.h"
#include "platform/shell/shell_execute.h"

namespace controls {

namespace {

constexpr UINT kHandCursor = 245;
constexpr UINT kLinkId = 9999;

bool StartsWith(const std::string& text, const char* prefix) {
  const size_t n = std::strlen(prefix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

bool OnlyAddressCharacters(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || std::strchr(".-/_~%?=&#:+@!$'()*,;[]", c) != nullptr;
  });
}

// The link text comes from the model description: only web and mail addresses
// reach the shell, never a path or a program that "open" would start. A bare
// "www." address is a web address; any other text with "@" is a mail address.
// The web schemes are looked at first, since a web address may hold "@" itself
// (a user name). Empty when the text is neither.
std::string ShellTarget(const std::string& text) {
  if (text.empty() || !OnlyAddressCharacters(text)) return {};
  if (StartsWith(text, "http://") || StartsWith(text, "https://")) {
    const size_t host = text.find("//") + 2;
    return text.size() > host && text[host] != '/' ? text : std::string();
  }
  if (StartsWith(text, "mailto:")) return text.size() > 7 ? "mailto:" + text.substr(7) : std::string();
  if (StartsWith(text, "www.")) return text.size() > 4 ? "http://" + text : std::string();
  const size_t at = text.find('@');
  if (at == std::string::npos || at == 0 || at + 1 == text.size()) return {};
  // An address with a scheme or a path of its own is no mail address.
  if (text.find_first_of(":/") != std::string::npos) return {};
  return "mailto:" + text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CHyperlink, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
ON_WM_RBUTTONDOWN()
ON_MESSAGE(WM_SETTEXT, OnSetText)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CHyperlink::~CHyperlink() {
  if (m_hWnd) DestroyWindow();
}

BOOL CHyperlink::SetupLink(HWND parentWindow, CWnd* parent, UINT itemId, const std::string& link) {
  m_textColor = 0xFF0000;
  m_hoverColor = 0x0000FF;
  m_textPosition = 0;
  m_alignment = 0;
  m_customFont = TRUE;
  m_faceName = "MS Sans Serif";
  m_fontHeight = 12;
  m_fontWidth = 0;
  m_bold = FALSE;
  m_italic = FALSE;
  HWND item = ::GetDlgItem(parentWindow, static_cast<int>(itemId));
  if (!item) return FALSE;
  CRect rect;
  ::GetWindowRect(item, &rect);
  POINT origin{0, 0};
  ::ClientToScreen(parentWindow, &origin);
  rect.OffsetRect(-origin.x, -origin.y);
  rect.DeflateRect(1, 1);
  CWnd* owner = parent ? parent : CWnd::FromHandle(parentWindow);
  if (!Create(nullptr, link.c_str(), WS_CHILD | WS_VISIBLE, rect, owner, kLinkId)) return FALSE;
  m_wordBreak = FALSE;
  m_link = link;
  return TRUE;
}

void CHyperlink::Repaint() {
  if (m_hWnd) {
    Invalidate(TRUE);
    UpdateWindow();
  }
}

void CHyperlink::SetLink(const std::string& link) {
  m_link = link;
  Repaint();
}
void CHyperlink::SetTextColor(COLORREF colour) {
  m_textColor = colour;
  Repaint();
}
void CHyperlink::SetHoverColor(COLORREF colour) {
  m_hoverColor = colour;
  Repaint();
}
void CHyperlink::SetTextBackgroundColor(COLORREF colour) {
  m_textBackground = colour;
  Repaint();
}
void CHyperlink::SetTextPosition(int position, int alignment) {
  m_textPosition = position;
  m_alignment = alignment;
  Repaint();
}
void CHyperlink::SetWordBreak(BOOL wordBreak) {
  m_wordBreak = wordBreak;
  Repaint();
}
void CHyperlink::SetHoverFrame(int frame) {
  m_hoverFrame = frame;
  Repaint();
}
void CHyperlink::SetTransparentBitmap(BOOL transparent) {
  m_transparentBitmap = transparent;
  Repaint();
}
void CHyperlink::SetBitmapFile(const std::string& path) {
  m_bitmapName = path;
  Repaint();
}
void CHyperlink::SetBitmapId(UINT id) {
  m_bitmapId = id;
  Repaint();
}
void CHyperlink::SetBitmapFromModule(const std::string& moduleFile, const std::string& name) {
  m_bitmapModule = moduleFile;
  m_moduleBitmapName = name;
  Repaint();
}
void CHyperlink::SetFontFace(const std::string& face) {
  m_faceName = face;
  Repaint();
}
void CHyperlink::SetFontSize(int height, int width) {
  m_fontHeight = height;
  m_fontWidth = width;
  Repaint();
}
void CHyperlink::SetFontStyle(BOOL bold, BOOL italic) {
  m_bold = bold;
  m_italic = italic;
  Repaint();
}
void CHyperlink::SetFont(HFONT font, BOOL custom) {
  m_suppliedFont = font;
  m_customFont = custom;
  Repaint();
}

HCURSOR CHyperlink::SetLinkCursor(HCURSOR cursor) {
  HCURSOR previous = m_cursorSupplied ? m_handCursor : 0;
  if (!m_cursorSupplied && m_handCursor) DestroyCursor(m_handCursor);
  m_handCursor = cursor;
  m_cursorSupplied = TRUE;
  return previous;
}

HBITMAP CHyperlink::LoadLinkBitmap() {
  UINT flags = 0;
  if (m_transparentBitmap) {
    flags |= LR_LOADTRANSPARENT;
    CWnd* parent = GetParent();
    if (parent && dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(parent->m_hWnd))) flags |= LR_LOADMAP3DCOLORS;
  }
  if (m_bitmapId) {
    return static_cast<HBITMAP>(
        LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_bitmapId), IMAGE_BITMAP, 0, 0, flags));
  }
  if (!m_bitmapName.empty()) {
    return static_cast<HBITMAP>(LoadImageA(0, m_bitmapName.c_str(), IMAGE_BITMAP, 0, 0, flags | LR_LOADFROMFILE));
  }
  if (!m_bitmapModule.empty() && !m_moduleBitmapName.empty()) {
    HMODULE module = LoadLibraryA(m_bitmapModule.c_str());
    if (!module) return 0;
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(module, m_moduleBitmapName.c_str(), IMAGE_BITMAP, 0, 0, flags));
    FreeLibrary(module);
    return bitmap;
  }
  return 0;
}

HFONT CHyperlink::MakeTextFont() {
  LOGFONTA font{};
  HGDIOBJ base = m_suppliedFont ? m_suppliedFont : GetStockObject(ANSI_VAR_FONT);
  GetObjectA(base, sizeof font, &font);
  if (m_customFont) {
    if (!m_faceName.empty()) {
      std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
      std::strncpy(font.lfFaceName, m_faceName.c_str(), sizeof font.lfFaceName - 1);
    }
    if (m_fontHeight) {
      font.lfHeight = m_fontHeight;
      font.lfWidth = m_fontWidth;
    }
    font.lfWeight = m_bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = m_italic ? 1 : 0;
  }
  font.lfUnderline = 1;
  return CreateFontIndirectA(&font);
}

HBITMAP CHyperlink::Layout(CDC* dc, HFONT font) {
  HBITMAP bitmap = LoadLinkBitmap();
  if (!bitmap) {
    if (m_textPosition == 0) m_textPosition = 5;
    if (GetWindowText().empty()) platform::ui::StoreWindowText(m_hWnd, "Click here");
  }
  BITMAP info{};
  if (bitmap) GetObjectA(bitmap, sizeof info, &info);
  m_bitmapRect = bitmap ? CRect(0, 0, info.bmWidth, info.bmHeight) : CRect();
  m_textRect = CRect(0, 0, bitmap ? std::max<int>(48, info.bmWidth) : 1, 1);
  HGDIOBJ old = dc->SelectObject(font);
  CRect measured = m_textRect;
  dc->DrawText(GetWindowText(), &measured, DT_CALCRECT | DT_NOPREFIX | (m_wordBreak ? DT_WORDBREAK : DT_SINGLELINE));
  dc->SelectObject(old);
  m_textRect.right = std::max(m_textRect.right, measured.right);
  m_textRect.bottom = measured.bottom;
  const int totalWidth = std::max(m_textRect.Width(), m_bitmapRect.Width());
  const int free = totalWidth - m_bitmapRect.Width();
  const int offset = m_alignment == 1 ? free / 2 : m_alignment == 2 ? free : 0;
  m_bitmapRect.OffsetRect(offset, m_textPosition == 1 ? m_textRect.Height() : 0);
  return bitmap;
}

int CHyperlink::OnCreate(LPCREATESTRUCTA) {
  if (!m_cursorSupplied) m_handCursor = LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(kHandCursor));
  return 0;
}

BOOL CHyperlink::OnEraseBkgnd(CDC* dc) {
  if (m_background == CLR_INVALID) return static_cast<BOOL>(Default());
  CRect client;
  GetClientRect(&client);
  client.InflateRect(1, 1);
  CBrush brush(m_background);
  HGDIOBJ oldBrush = dc->SelectObject(brush.m_hObject);
  HGDIOBJ oldPen = dc->SelectObject(GetStockObject(NULL_PEN));
  dc->Rectangle(&client);
  dc->SelectObject(oldPen);
  dc->SelectObject(oldBrush);
  return TRUE;
}

void CHyperlink::OnPaint() {
  CPaintDC dc(this);
  if (m_background == CLR_INVALID) {
    CRect clip;
    dc.GetClipBox(&clip);
    m_background = dc.GetPixel(clip.left, clip.top);
  }
  HFONT font = MakeTextFont();
  HBITMAP bitmap = Layout(&dc, font);
  if (bitmap) {
    CDC memory;
    memory.CreateCompatibleDC(&dc);
    HGDIOBJ old = memory.SelectObject(bitmap);
    const int w = m_bitmapRect.Width(), h = m_bitmapRect.Height();
    if (m_transparentBitmap) {
      // The mask method: the pixel at the top right is the transparent colour.
      CDC maskDC;
      maskDC.CreateCompatibleDC(&dc);
      HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
      HGDIOBJ oldMask = maskDC.SelectObject(mask);
      memory.SetBkColor(memory.GetPixel(w - 1, 0));
      maskDC.BitBlt(0, 0, w, h, &memory, 0, 0, SRCCOPY);
      const COLORREF oldBack = dc.SetBkColor(0xFFFFFF);
      const COLORREF oldText = dc.SetTextColor(0x000000);
      dc.BitBlt(m_bitmapRect.left, m_bitmapRect.top, w, h, &memory, 0, 0, SRCINVERT);
      dc.BitBlt(m_bitmapRect.left, m_bitmapRect.top, w, h, &maskDC, 0, 0, SRCAND);
      dc.BitBlt(m_bitmapRect.left, m_bitmapRect.top, w, h, &memory, 0, 0, SRCINVERT);
      dc.SetBkColor(oldBack);
      dc.SetTextColor(oldText);
      maskDC.SelectObject(oldMask);
      ::DeleteObject(mask);
    } else {
      dc.BitBlt(m_bitmapRect.left, m_bitmapRect.top, w, h, &memory, 0, 0, SRCCOPY);
    }
    memory.SelectObject(old);
    if (m_hovering && m_hoverFrame) {
      CPen pen(PS_SOLID, 1, m_hoverColor);
      HGDIOBJ oldPen = dc.SelectObject(pen.m_hObject);
      HGDIOBJ oldBrush = dc.SelectObject(GetStockObject(HOLLOW_BRUSH));
      CRect frame = m_bitmapRect;
      frame.InflateRect(1, 1);
      dc.Rectangle(&frame);
      dc.SelectObject(oldBrush);
      dc.SelectObject(oldPen);
    }
    ::DeleteObject(bitmap);
  }
  const std::string text = GetWindowText();
  if (!text.empty() && m_textPosition != 0) {
    HGDIOBJ old = dc.SelectObject(font);
    const bool beside = m_textPosition >= 2 && m_textPosition <= 4;
    if (m_textBackground == CLR_INVALID || beside) {
      dc.SetBkMode(TRANSPARENT);
    } else {
      dc.SetBkMode(OPAQUE);
      dc.SetBkColor(m_textBackground);
    }
    dc.SetTextColor(m_hovering ? m_hoverColor : m_textColor);
    const UINT align = m_alignment == 1 ? DT_CENTER : m_alignment == 2 ? DT_RIGHT : DT_LEFT;
    CRect r = m_textRect;
    dc.DrawText(text, &r, DT_NOPREFIX | (m_wordBreak ? DT_WORDBREAK : DT_SINGLELINE) | align);
    dc.SelectObject(old);
  }
  ::DeleteObject(font);
}

void CHyperlink::OnMouseMove(UINT flags, CPoint point) {
  const bool inside = m_textRect.PtInRect(point) || m_bitmapRect.PtInRect(point);
  const bool changed = inside != m_hovering;
  if (inside && !m_hovering) {
    m_previousCursor = ::SetCursor(m_handCursor);
    CWnd::SetCapture();
  } else if (!inside && m_hovering) {
    ReleaseCapture();
    ::SetCursor(m_previousCursor);
  }
  m_hovering = inside;
  if (changed && m_hoverFrame == 2) {
    Invalidate(TRUE);
    UpdateWindow();
  }
  CWnd::OnMouseMove(flags, point);
}

void CHyperlink::OnLButtonDown(UINT flags, CPoint point) {
  if (m_hovering) {
    OpenLink();
    m_hovering = false;
  }
  CWnd::OnLButtonDown(flags, point);
}

void CHyperlink::OnRButtonDown(UINT flags, CPoint point) {
  if (m_hovering) {
    OnRightClick();
    m_hovering = false;
  }
  CWnd::OnRButtonDown(flags, point);
}

LRESULT CHyperlink::OnSetText(WPARAM, LPARAM) {
  const LRESULT result = Default();
  Invalidate(TRUE);
  UpdateWindow();
  return result;
}

void CHyperlink::OnDestroy() {
  if (!m_cursorSupplied && m_handCursor) DestroyCursor(m_handCursor);
  m_handCursor = 0;
  CWnd::OnDestroy();
}

void CHyperlink::OpenLink() {
  const std::string text = m_link.empty() ? GetWindowText() : m_link;
  const std::string target = ShellTarget(text);
  if (target.empty()) {
    OutputDebugStringA(("CHyperlink: not a web or mail address: " + text + "\n").c_str());
    return;
  }
  ShellExecuteA(GetDesktopWindow(), "open", target.c_str(), nullptr, "", SW_SHOW);
}

}  // namespace controls
