// The class library's window classes, as much as the dialogs and controls of the
// package use: CWnd with message maps and handle binding (attach, subclass,
// temporary objects for foreign windows), CDialog (modal and modeless, data
// exchange hook, OK/Cancel), the standard controls' classes with owner-draw
// reflection (WM_DRAWITEM, WM_MEASUREITEM and WM_DELETEITEM reach the control's
// DrawItem, MeasureItem and DeleteItem), device-context and GDI object wrappers,
// and a byte archive.
//
// A message map lists handlers; a message no entry of the class or its bases
// takes goes to the window's previous procedure (Default). Handlers that a class
// leaves to its base call the base handler, which does the default handling.
#pragma once

#include <map>
#include <memory>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui/afx_archive.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"

// The class library's own message: a window asked for help on its current
// command (F1 in a dialog of an application with help).
#define WM_COMMANDHELP 0x0365u

class CWnd;
class CDC;

struct CPoint : POINT {
  CPoint() : POINT{0, 0} {}
  CPoint(int px, int py) : POINT{px, py} {}
  explicit CPoint(LPARAM lParam) : POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)} {}
};

struct CRect : RECT {
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  CRect(const RECT& r) : RECT(r) {}  // NOLINT: as the class library converts
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  void DeflateRect(int x, int y) {
    left += x;
    top += y;
    right -= x;
    bottom -= y;
  }
  void InflateRect(int x, int y) { DeflateRect(-x, -y); }
  void OffsetRect(int x, int y) {
    left += x;
    right += x;
    top += y;
    bottom += y;
  }
  BOOL PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  BOOL IsRectEmpty() const { return right <= left || bottom <= top; }
  operator LPRECT() { return this; }
  operator const RECT*() const { return this; }
};

// ---- Message maps ----------------------------------------------------------------

using AFX_HANDLER = bool (*)(CWnd* target, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
  UINT message;
  UINT code;  // the notification code of WM_COMMAND entries
  UINT id;    // the control id range of WM_COMMAND entries
  UINT lastId;
  AFX_HANDLER handler;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*base)();
  const AFX_MSGMAP_ENTRY* entries;
};

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    using ThisClass [[maybe_unused]] = theClass;                                    \
    using TheBaseClass = baseClass;                                                 \
    static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                    \
  { 0, 0, 0, 0, nullptr }                                                    \
  }                                                                          \
  ;                                                                          \
  static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
  return &map;                                                               \
  }

// clang-format off
#define ZEL_AFX_ENTRY(msg, body)                                                          \
  {msg, 0, 0, 0, [](CWnd* w, WPARAM wParam, LPARAM lParam, LRESULT* result) -> bool {     \
     ThisClass* self = static_cast<ThisClass*>(w);                                        \
     (void)self; (void)wParam; (void)lParam; (void)result;                                \
     body;                                                                                \
     return true;                                                                         \
   }},
// clang-format on

#define ON_WM_CREATE() ZEL_AFX_ENTRY(WM_CREATE, *result = self->OnCreate(reinterpret_cast<LPCREATESTRUCTA>(lParam)))
#define ON_WM_DESTROY() ZEL_AFX_ENTRY(WM_DESTROY, self->OnDestroy())
#define ON_WM_PAINT() ZEL_AFX_ENTRY(WM_PAINT, self->OnPaint())
#define ON_WM_ERASEBKGND() \
  ZEL_AFX_ENTRY(WM_ERASEBKGND, *result = self->OnEraseBkgnd(CDC::FromHandle(static_cast<HDC>(wParam))))
#define ON_WM_MOUSEMOVE() ZEL_AFX_ENTRY(WM_MOUSEMOVE, self->OnMouseMove(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_LBUTTONDOWN() \
  ZEL_AFX_ENTRY(WM_LBUTTONDOWN, self->OnLButtonDown(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_LBUTTONUP() ZEL_AFX_ENTRY(WM_LBUTTONUP, self->OnLButtonUp(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_LBUTTONDBLCLK() \
  ZEL_AFX_ENTRY(WM_LBUTTONDBLCLK, self->OnLButtonDblClk(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_RBUTTONDOWN() \
  ZEL_AFX_ENTRY(WM_RBUTTONDOWN, self->OnRButtonDown(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_TIMER() ZEL_AFX_ENTRY(WM_TIMER, self->OnTimer(static_cast<UINT_PTR>(wParam)))
#define ON_WM_SETFOCUS() ZEL_AFX_ENTRY(WM_SETFOCUS, self->OnSetFocus(CWnd::FromHandle(static_cast<HWND>(wParam))))
#define ON_WM_KEYDOWN() \
  ZEL_AFX_ENTRY(WM_KEYDOWN, self->OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_CHAR() ZEL_AFX_ENTRY(WM_CHAR, self->OnChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_SYSCOMMAND() ZEL_AFX_ENTRY(WM_SYSCOMMAND, self->OnSysCommand(static_cast<UINT>(wParam), lParam))
#define ON_WM_MEASUREITEM()     \
  ZEL_AFX_ENTRY(WM_MEASUREITEM, \
                self->OnMeasureItem(static_cast<int>(wParam), reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)))
#define ON_WM_VSCROLL()     \
  ZEL_AFX_ENTRY(WM_VSCROLL, \
                self->OnVScroll(LOWORD(wParam), HIWORD(wParam), CWnd::FromHandle(static_cast<HWND>(lParam))))
#define ZEL_AFX_CTLCOLOR(msg, kind)                                                                        \
  ZEL_AFX_ENTRY(msg,                                                                                       \
                *result = static_cast<LRESULT>(self->OnCtlColor(CDC::FromHandle(static_cast<HDC>(wParam)), \
                                                                CWnd::FromHandle(static_cast<HWND>(lParam)), kind)))
#define ON_WM_CTLCOLOR()                           \
  ZEL_AFX_CTLCOLOR(WM_CTLCOLOREDIT, CTLCOLOR_EDIT) \
  ZEL_AFX_CTLCOLOR(WM_CTLCOLORBTN, CTLCOLOR_BTN)   \
  ZEL_AFX_CTLCOLOR(WM_CTLCOLORSTATIC, CTLCOLOR_STATIC)
#define ON_MESSAGE(msg, memberFn) ZEL_AFX_ENTRY(msg, *result = self->memberFn(wParam, lParam))
#define ON_CONTROL(code, id, memberFn)                                                \
  {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id), \
   [](CWnd* w, WPARAM, LPARAM, LRESULT*) -> bool {                                    \
     static_cast<ThisClass*>(w)->memberFn();                                          \
     return true;                                                                     \
   }},
#define ON_COMMAND(id, memberFn) ON_CONTROL(0, id, memberFn)
#define ON_BN_CLICKED(id, memberFn) ON_CONTROL(BN_CLICKED, id, memberFn)
#define ON_LBN_SELCHANGE(id, memberFn) ON_CONTROL(LBN_SELCHANGE, id, memberFn)

// ---- GDI objects and device contexts ----------------------------------------------

class CGdiObject {
 public:
  CGdiObject() = default;
  virtual ~CGdiObject() { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;
  BOOL DeleteObject();
  BOOL Attach(HGDIOBJ object);
  HGDIOBJ Detach();
  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  operator HGDIOBJ() const { return m_hObject; }
  HGDIOBJ m_hObject = 0;
};

class CFont : public CGdiObject {
 public:
  BOOL CreateFontIndirect(const LOGFONTA* font);
  int GetLogFont(LOGFONTA* font) const;
};

class CPen : public CGdiObject {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }
  BOOL CreatePen(int style, int width, COLORREF colour);
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
  BOOL CreateSolidBrush(COLORREF colour);
};

class CBitmap : public CGdiObject {
 public:
  BOOL LoadBitmap(LPCSTR name);
  BOOL LoadBitmap(UINT id) { return LoadBitmap(MAKEINTRESOURCEA(id)); }
  BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
  int GetBitmap(BITMAP* info) const;
};

namespace afxdetail {

// What SelectObject hands back for a typed object: a wrapper of the object it
// replaced, of the same class, which lives until the thread ends and never
// deletes the object it wraps (the DC's owner still owns it).
template <class T>
class TemporaryGdi final : public T {
 public:
  ~TemporaryGdi() override { this->m_hObject = 0; }
};

template <class T>
T* TemporaryOf(HGDIOBJ object) {
  if (!object) return nullptr;
  thread_local std::map<HGDIOBJ, std::unique_ptr<TemporaryGdi<T>>> objects;
  auto& entry = objects[object];
  if (!entry) entry = std::make_unique<TemporaryGdi<T>>();
  entry->m_hObject = object;
  return entry.get();
}

}  // namespace afxdetail

class CDC {
 public:
  CDC() = default;
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // A temporary object for a DC the caller owns; it lives until the thread's
  // next call with the same handle.
  static CDC* FromHandle(HDC hdc);
  BOOL CreateCompatibleDC(CDC* dc);
  BOOL DeleteDC();
  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }

  CGdiObject* SelectObject(CGdiObject* object);
  HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
  CFont* SelectObject(CFont* font) { return SelectTyped(font); }
  CPen* SelectObject(CPen* pen) { return SelectTyped(pen); }
  CBrush* SelectObject(CBrush* brush) { return SelectTyped(brush); }
  CBitmap* SelectObject(CBitmap* bitmap) { return SelectTyped(bitmap); }
  CGdiObject* SelectStockObject(int index);
  template <class T>
  T* SelectTyped(T* object) {
    return object ? afxdetail::TemporaryOf<T>(::SelectObject(m_hDC, object->m_hObject)) : nullptr;
  }

  CPoint MoveTo(int x, int y);
  BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
  BOOL Rectangle(const RECT* r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
  void FillRect(const RECT* r, CBrush* brush) { ::FillRect(m_hDC, r, static_cast<HBRUSH>(brush->m_hObject)); }
  void FillSolidRect(const RECT* r, COLORREF colour);
  COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
  COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
  BOOL ExtTextOut(int x, int y, UINT options, const RECT* r, const std::string& text) {
    return ::ExtTextOutA(m_hDC, x, y, options, r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  }
  int DrawText(const std::string& text, LPRECT r, UINT format) {
    return ::DrawTextA(m_hDC, text.c_str(), static_cast<int>(text.size()), r, format);
  }
  void DrawFocusRect(const RECT* r) { ::DrawFocusRect(m_hDC, r); }
  BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
  int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
  BOOL BitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : 0, sx, sy, rop);
  }
  BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, w, h, src ? src->m_hDC : 0, sx, sy, sw, sh, rop);
  }
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
  BOOL GetTextMetrics(LPTEXTMETRICA metrics) const { return ::GetTextMetricsA(m_hDC, metrics); }
  int GetClipBox(LPRECT r) const { return ::GetClipBox(m_hDC, r); }

  HDC m_hDC = 0;

 protected:
  bool owned_ = false;  // deleted with the object
};

class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* window);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps{};

 private:
  HWND window_;
};

class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* window);
  ~CClientDC() override;

 private:
  HWND window_;
};

// ---- Windows ------------------------------------------------------------------------

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL save) : m_bSaveAndValidate(save), m_pDlgWnd(dialog) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
};

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The object bound to a window; for a window without one, a temporary object
  // that lives until the thread's next call with the same handle.
  static CWnd* FromHandle(HWND window);
  static CWnd* FromHandlePermanent(HWND window);
  static CWnd* GetFocus() { return FromHandle(::GetFocus()); }

  BOOL Attach(HWND window);
  HWND Detach();
  // Binds the object to an existing window and routes its messages through the
  // object's message map; unhandled messages go to the window's own procedure.
  BOOL SubclassWindow(HWND window);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow();

  virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  virtual BOOL DestroyWindow();

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }
  CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
  CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
  CWnd* GetWindow(UINT relation) const { return FromHandle(::GetWindow(m_hWnd, relation)); }
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
  std::string GetWindowText() const;
  void SetWindowText(const std::string& text) { ::SetWindowTextA(m_hWnd, text.c_str()); }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
  }
  // Sends to the direct children (deep: all descendants); onlyPermanent skips
  // windows without an object of their own.
  void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL deep = TRUE,
                                BOOL onlyPermanent = FALSE) const;
  BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
  void MoveWindow(const RECT* r, BOOL repaint = TRUE) {
    ::MoveWindow(m_hWnd, r->left, r->top, r->right - r->left, r->bottom - r->top, repaint);
  }
  void GetClientRect(LPRECT r) const { ::GetClientRect(m_hWnd, r); }
  void GetWindowRect(LPRECT r) const { ::GetWindowRect(m_hWnd, r); }
  void ScreenToClient(LPRECT r) const;
  void ScreenToClient(LPPOINT p) const { ::ScreenToClient(m_hWnd, p); }
  void ClientToScreen(LPRECT r) const;
  void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(const RECT* r, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, r, erase); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  BOOL RedrawWindow(const RECT* r = nullptr, UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
    return ::RedrawWindow(m_hWnd, r, 0, flags);
  }
  BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
  BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
  void SetFont(CFont* font, BOOL redraw = TRUE) {
    SendMessage(WM_SETFONT, static_cast<WPARAM>(font ? font->m_hObject : 0), redraw);
  }
  HFONT GetFont() const { return static_cast<HFONT>(SendMessage(WM_GETFONT)); }
  // Centres the window over its parent (or the screen).
  void CenterWindow(CWnd* alternate = nullptr);
  CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The message map's answer; false when no entry took the message.
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Owner-draw messages the parent passes on to the control's object.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // After the window is gone (the object may delete itself here).
  virtual void PostNcDestroy() {}
  virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }
  static const AFX_MSGMAP* GetThisMessageMap();

  // Default handlers: the default handling of the current message.
  int OnCreate(LPCREATESTRUCTA) { return static_cast<int>(Default()); }
  void OnDestroy() { Default(); }
  void OnPaint() { Default(); }
  BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
  void OnMouseMove(UINT, CPoint) { Default(); }
  void OnLButtonDown(UINT, CPoint) { Default(); }
  void OnLButtonUp(UINT, CPoint) { Default(); }
  void OnLButtonDblClk(UINT, CPoint) { Default(); }
  void OnRButtonDown(UINT, CPoint) { Default(); }
  void OnTimer(UINT_PTR) { Default(); }
  void OnSetFocus(CWnd*) { Default(); }
  void OnKeyDown(UINT, UINT, UINT) { Default(); }
  void OnChar(UINT, UINT, UINT) { Default(); }
  void OnSysCommand(UINT, LPARAM) { Default(); }
  void OnVScroll(UINT, UINT, CWnd*) { Default(); }
  HBRUSH OnCtlColor(CDC*, CWnd*, UINT) { return static_cast<HBRUSH>(Default()); }
  // Passes the request to the control's MeasureItem (reflection).
  void OnMeasureItem(int id, LPMEASUREITEMSTRUCT measure);
  LRESULT Default();

  HWND m_hWnd = 0;

 protected:
  WNDPROC previousProcedure_ = nullptr;
  friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
};

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The module whose resources the classes load (templates, bitmaps, strings);
// 0 (the program) until a library sets its own.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE instance);

class CDialog : public CWnd {
 public:
  CDialog() = default;
  explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_nIDHelp(templateId), m_pParentWnd(parent) {}

  virtual INT_PTR DoModal();
  // A modeless dialog from the template.
  virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
  using CWnd::Create;
  void EndDialog(int result) { ::EndDialog(m_hWnd, result); }
  BOOL UpdateData(BOOL save = TRUE);

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  virtual void DoDataExchange(CDataExchange*) {}
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  UINT m_nIDHelp = 0;  // the template id
  CWnd* m_pParentWnd = nullptr;

  DECLARE_MESSAGE_MAP()
 private:
  void OnOKCommand() { OnOK(); }
  void OnCancelCommand() { OnCancel(); }
};

class CButton : public CWnd {
 public:
  BOOL Create(LPCSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  using CWnd::Create;
  int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
  void SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

class CBitmapButton : public CButton {
 public:
  // The four state bitmaps by name from the resource module; the first is needed.
  BOOL LoadBitmaps(LPCSTR normal, LPCSTR selected = nullptr, LPCSTR focused = nullptr, LPCSTR disabled = nullptr);
  void DrawItem(LPDRAWITEMSTRUCT draw) override;
  CBitmap m_bitmap;
  CBitmap m_bitmapSel;
  CBitmap m_bitmapFocus;
  CBitmap m_bitmapDisabled;
};

class CEdit : public CWnd {};
class CStatic : public CWnd {};

class CListBox : public CWnd {
 public:
  int AddString(LPCSTR text) { return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
  int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
  int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
  int SetCurSel(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index))); }
  int GetTopIndex() const { return static_cast<int>(SendMessage(LB_GETTOPINDEX)); }
  DWORD_PTR GetItemData(int index) const {
    return static_cast<DWORD_PTR>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index)));
  }
  void* GetItemDataPtr(int index) const { return reinterpret_cast<void*>(GetItemData(index)); }
  int GetItemRect(int index, LPRECT r) const {
    return static_cast<int>(SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(r)));
  }
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
  virtual void DeleteItem(LPDELETEITEMSTRUCT) {}
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

class CComboBox : public CWnd {
 public:
  int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
  int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
  int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
  DWORD_PTR GetItemData(int index) const {
    return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index)));
  }
};
