// A link in a dialog: an optional bitmap and an underlined text that follow the
// mouse (hand cursor, hover colour) and open their link when clicked: a web
// address with the shell's "open" verb, an e-mail address as a "mailto:" link.
// It is made over the rectangle of a placeholder item of the dialog's template.
#pragma once

#include <string>

#include "controls/dialog_base.h"

namespace controls {

class CHyperlink : public CWnd {
 public:
  CHyperlink() = default;
  ~CHyperlink() override;

  // Blue link text, red while hovering, left-aligned "MS Sans Serif" of height
  // 12, over the item's rectangle less one pixel, control id 9999, one line.
  BOOL SetupLink(HWND parentWindow, CWnd* parent, UINT itemId, const std::string& link);

  void SetLink(const std::string& link);
  void SetTextColor(COLORREF colour);
  void SetHoverColor(COLORREF colour);
  void SetTextBackgroundColor(COLORREF colour);
  // Position: 0 no text, 1 above the bitmap, 2 to 4 beside it, 5 stacked;
  // alignment: 0 left, 1 centre, 2 right.
  void SetTextPosition(int position, int alignment);
  void SetWordBreak(BOOL wordBreak);
  // 0 none, 1 a frame round the bitmap while hovering, 2 also repaint on change.
  void SetHoverFrame(int frame);
  void SetTransparentBitmap(BOOL transparent);
  void SetBitmapFile(const std::string& path);
  void SetBitmapId(UINT id);
  void SetBitmapFromModule(const std::string& moduleFile, const std::string& name);
  void SetFontFace(const std::string& face);
  void SetFontSize(int height, int width);
  void SetFontStyle(BOOL bold, BOOL italic);
  void SetFont(HFONT font, BOOL custom);
  // The control then uses this cursor and never destroys it; answers the cursor
  // supplied before (0 when the control's own was in use).
  HCURSOR SetLinkCursor(HCURSOR cursor);

  COLORREF GetTextColor() const { return m_textColor; }
  COLORREF GetHoverColor() const { return m_hoverColor; }
  COLORREF GetTextBackgroundColor() const { return m_textBackground; }
  CRect GetBitmapRect() const { return m_bitmapRect; }
  CRect GetTextRect() const { return m_textRect; }
  bool IsHovering() const { return m_hovering; }

  virtual void OnRightClick() {}
  // Opens the link (or the window text): see the .cpp for what is accepted.
  virtual void OpenLink();

  int OnCreate(LPCREATESTRUCTA create);
  void OnPaint();
  BOOL OnEraseBkgnd(CDC* dc);
  void OnMouseMove(UINT flags, CPoint point);
  void OnLButtonDown(UINT flags, CPoint point);
  void OnRButtonDown(UINT flags, CPoint point);
  LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
  void OnDestroy();

  BOOL m_cursorSupplied = FALSE;
  HCURSOR m_handCursor = 0;
  COLORREF m_background = CLR_INVALID;
  int m_hoverFrame = 2;
  BOOL m_customFont = FALSE;
  BOOL m_italic = FALSE;
  BOOL m_bold = FALSE;
  int m_fontWidth = 0;
  int m_fontHeight = 0;
  std::string m_faceName;
  HFONT m_suppliedFont = 0;
  BOOL m_transparentBitmap = FALSE;
  CRect m_bitmapRect;
  CRect m_textRect;
  BOOL m_wordBreak = TRUE;
  int m_alignment = 1;
  int m_textPosition = 5;
  std::string m_bitmapName;
  UINT m_bitmapId = 0;
  std::string m_link;
  COLORREF m_hoverColor = 0x00FF00;
  COLORREF m_textBackground = CLR_INVALID;
  COLORREF m_textColor = 0;
  bool m_hovering = false;
  HCURSOR m_previousCursor = 0;
  std::string m_bitmapModule;
  std::string m_moduleBitmapName;

  DECLARE_MESSAGE_MAP()

 private:
  HBITMAP LoadLinkBitmap();
  HFONT MakeTextFont();
  // Prepares and lays out; answers the bitmap (the caller deletes it) or 0.
  HBITMAP Layout(CDC* dc, HFONT font);
  void Repaint();
};

}  // namespace controls
