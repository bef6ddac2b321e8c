// A scrolling window and, on it, a list whose entries are child dialogs stacked
// one below the other; the selected entry paints itself in the highlight colour.
#pragma once

#include <vector>

#include "controls/dialog_base.h"

namespace controls {

class DP_CScrollWindow : public CWnd {
 public:
  // Made over the rectangle of the parent's dialog item `id`.
  BOOL CreateInPlace(UINT id, CWnd* parent);
  // The scroll range: what of the content does not fit the window.
  void SetContentHeight(int height);
  void OnVScroll(UINT code, UINT position, CWnd* bar);
  void OnPaint();

  int m_scrollRange = 0;
  int m_scrollPosition = 0;
  BOOL m_frame = TRUE;

  DECLARE_MESSAGE_MAP()
};

class DP_CDialogListBox;

class DP_CDialogListBoxItem : public CMyDialog {
 public:
  explicit DP_CDialogListBoxItem(UINT templateId) : CMyDialog(templateId, nullptr), m_templateId(templateId) {}
  BOOL OnInitDialog() override;
  BOOL OnEraseBkgnd(CDC* dc);
  void OnLButtonDown(UINT flags, CPoint point);
  // While selected the controls paint on the highlight with the highlight text colour.
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);

  UINT m_templateId;
  DP_CDialogListBox* m_list = nullptr;
  CRect m_rect;
  BOOL m_selected = FALSE;
  CBrush m_highlight;
  BOOL m_autoDelete = FALSE;

  DECLARE_MESSAGE_MAP()
};

class DP_CDialogListBox : public DP_CScrollWindow {
 public:
  ~DP_CDialogListBox() override;
  BOOL AddItem(DP_CDialogListBoxItem* item);
  void Select(int index);
  void Select(DP_CDialogListBoxItem* item);
  void RemoveAll();
  int GetCount() const { return static_cast<int>(m_items.size()); }
  DP_CDialogListBoxItem* GetItem(int index) const {
    return index >= 0 && index < GetCount() ? m_items[static_cast<size_t>(index)] : nullptr;
  }
  DP_CDialogListBoxItem* GetSelectedItem() const { return GetItem(m_selected); }

  std::vector<DP_CDialogListBoxItem*> m_items;
  int m_selected = 0;
};

}  // namespace controls
