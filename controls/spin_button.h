// Buttons that show a bitmap transparently (the colour of its top-right pixel
// lets the button face through), scaled to the screen; the spin button that
// steps a number in an edit of the same dialog, with auto-repeat while pressed;
// and the edit whose up and down arrow keys press its spin buttons.
#pragma once

#include "controls/dialog_base.h"

namespace controls {

class PictureButton : public CBitmapButton {
 public:
  ~PictureButton() override;

  BOOL LoadBitmaps(LPCSTR normal, LPCSTR selected = nullptr, LPCSTR focused = nullptr, LPCSTR disabled = nullptr);
  // From any loaded module; the normal bitmap is needed, and the answer is 1 only
  // when every bitmap asked for loaded.
  BOOL LoadBitmapsFromModule(HMODULE module, LPCSTR normal, LPCSTR selected, LPCSTR focused, LPCSTR disabled);
  BOOL LoadBitmapsFromModule(HMODULE module, UINT normal, UINT selected, UINT focused, UINT disabled);
  BOOL LoadBitmapsFromFile(LPCSTR moduleFile, LPCSTR normal, LPCSTR selected, LPCSTR focused, LPCSTR disabled);
  int GetBitmapWidth();
  int GetBitmapHeight();

  void DrawItem(LPDRAWITEMSTRUCT draw) override;
  // Nothing calls it; it answers 1.
  virtual BOOL OnNotifyHook() { return TRUE; }

 protected:
  // The transparent drawing at (0, 0) of the item's DC; the scaled size.
  SIZE DrawTransparent(LPDRAWITEMSTRUCT draw);
  void DeleteMask();

  int m_width = 0;
  int m_height = 0;
  HBITMAP m_mask = 0;
};

class SpinButton : public PictureButton {
 public:
  BOOL AttachInteger(UINT controlId, int direction, int editId, int minimum, int maximum, int step, CWnd* dialog);
  BOOL AttachReal(UINT controlId, int direction, int editId, double minimum, double maximum, double step, CWnd* dialog);
  BOOL AttachReal(UINT controlId, int direction, int editId, double minimum, double maximum, double step,
                  BOOL oneDecimal, CMyDialog* dialog);
  // The arrow shown and the stepping direction given apart.
  BOOL AttachInteger(UINT controlId, int bitmapDirection, int stepDirection, int editId, int minimum, int maximum,
                     int step, CMyDialog* dialog);
  void SetIntegerRange(int minimum, int maximum);
  void SetRealRange(double minimum, double maximum);
  void SetRealRange(double minimum, double maximum, double step, BOOL oneDecimal);

  virtual void StepReal(CWnd* dialog, int editId, int direction, double minimum, double maximum, double step);
  virtual void StepInteger(CWnd* dialog, int editId, int direction, int minimum, int maximum, int step);
  // StepInteger, then message 0x40C (edit id, 0) to the dialog.
  void StepIntegerAndNotify(CWnd* dialog, int editId, int direction, int minimum, int maximum, int step);

  void DrawItem(LPDRAWITEMSTRUCT draw) override;
  void OnLButtonDown(UINT flags, CPoint point);
  void OnLButtonUp(UINT flags, CPoint point);
  void OnLButtonDblClk(UINT flags, CPoint point);
  void OnTimer(UINT_PTR id);

  BOOL m_oneDecimal = FALSE;
  int m_direction = 1;  // 1 up, 0 down
  int m_editId = 0;
  BOOL m_integerMode = TRUE;
  int m_minimum = 0;
  int m_maximum = 0;
  int m_step = 1;
  double m_realMinimum = 0;
  double m_realMaximum = 0;
  double m_realStep = 0;

  DECLARE_MESSAGE_MAP()

 private:
  BOOL Attach(UINT controlId, int direction, CWnd* dialog);
  void Step();
};

class CArrowEdit : public CEdit {
 public:
  void SetSpinIds(UINT upId, UINT downId) {
    m_upId = static_cast<WORD>(upId);
    m_downId = static_cast<WORD>(downId);
  }
  void OnKeyDown(UINT key, UINT repeat, UINT flags);

  WORD m_downId = 0;
  WORD m_upId = 0;

  DECLARE_MESSAGE_MAP()
};

// The message a spin button's notifying step sends to its dialog.
constexpr UINT kSpinStepped = WM_USER + 12;
// The auto-repeat timer: first 200 ms after the press, then every 50 ms.
constexpr UINT_PTR kSpinTimer = 2;

}  // namespace controls
