// A list box whose entries are objects that draw themselves, report their height,
// take mouse clicks and are deleted with their entry. The list box must be
// owner-drawn; an entry's item data is its object. With LBS_HASSTRINGS each
// entry also keeps the item's text, so whoever reads the list (a screen reader,
// the scripted user) finds the entries by what they say; the look is the same.
#pragma once

#include <string>

#include "controls/dialog_base.h"

namespace controls {

class DP_COwnerDrawListBox;

class DP_COwnerDrawListBoxItem {
 public:
  DP_COwnerDrawListBoxItem() = default;
  virtual ~DP_COwnerDrawListBoxItem() = default;
  DP_COwnerDrawListBoxItem(const DP_COwnerDrawListBoxItem&) = delete;
  DP_COwnerDrawListBoxItem& operator=(const DP_COwnerDrawListBoxItem&) = delete;

  // Background (highlight colours when selected), then a focus rectangle 2
  // pixels inside when focused.
  virtual void Draw(CDC* dc, const CRect& rect, BOOL selected, BOOL focused);
  virtual int GetHeight() = 0;
  // Coordinates relative to the entry; nonzero asks for a repaint of the entry.
  virtual int OnMouse(UINT message, int x, int y);
  // What the entry says, for a list that keeps texts.
  virtual std::string GetText() const { return ""; }

  DWORD m_value = 0;
  DP_COwnerDrawListBox* m_listBox = nullptr;
  void* m_userPointer = nullptr;
};

// A large icon centred above a word-wrapped caption: an entry of the tabbed
// dialog's page list.
class DP_COwnerDrawIconListBoxItem : public DP_COwnerDrawListBoxItem {
 public:
  DP_COwnerDrawIconListBoxItem(UINT iconId, const std::string& caption) : m_iconId(iconId), m_caption(caption) {}
  void Draw(CDC* dc, const CRect& rect, BOOL selected, BOOL focused) override;
  // 75 pixels at 96 dots per inch, scaled to the screen.
  int GetHeight() override;
  std::string GetText() const override { return m_caption; }

  UINT m_iconId;
  std::string m_caption;
};

class DP_COwnerDrawListBox : public CListBox {
 public:
  void DrawItem(LPDRAWITEMSTRUCT draw) override;
  void MeasureItem(LPMEASUREITEMSTRUCT measure) override;
  void DeleteItem(LPDELETEITEMSTRUCT item) override;

  // The list owns the item from here on. False when the list box refuses it.
  virtual BOOL AddItem(DP_COwnerDrawListBoxItem* item, DWORD value);
  virtual BOOL InsertItem(int index, DP_COwnerDrawListBoxItem* item, DWORD value);
  virtual DP_COwnerDrawListBoxItem* GetItem(int index);
  DP_COwnerDrawListBoxItem* GetSelectedItem() { return GetItem(GetCurSel()); }
  virtual void OnMouseMessage(UINT message, UINT flags, CPoint point);

 private:
  // LB_ADDSTRING or LB_INSERTSTRING of the entry; its text too where the list keeps texts.
  BOOL Insert(UINT message, WPARAM at, DP_COwnerDrawListBoxItem* item);
  // The item being added while the list measures it: a list that keeps texts
  // has no item data yet at that moment.
  DP_COwnerDrawListBoxItem* m_adding = nullptr;

 public:
  BOOL OnEraseBkgnd(CDC* dc);
  void OnLButtonDown(UINT flags, CPoint point) { OnMouseMessage(WM_LBUTTONDOWN, flags, point); }

  DECLARE_MESSAGE_MAP()
};

}  // namespace controls
