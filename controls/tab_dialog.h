// A tabbed dialog whose "tabs" are entries of an owner-drawn list at the left
// (a large icon over its title). Only the selected entry's page exists as a
// window: a modeless child dialog made from its template inside the page frame.
// Pages and frame pass mnemonics and the Tab focus to each other, so the two act
// as one dialog.
#pragma once

#include <string>
#include <vector>

#include "controls/focus_relay.h"
#include "controls/owner_draw_list.h"

namespace controls {

class DP_ListBoxTabDialog;

class DP_ListBoxTabDialogItem : public CMyDialog {
 public:
  explicit DP_ListBoxTabDialogItem(UINT templateId);
  ~DP_ListBoxTabDialogItem() override;

  // The page names its entry: SetTabInfo (icon id, title).
  virtual void DescribeTab() = 0;
  // Reloads every control from the owner's working settings.
  virtual void UpdateControls() = 0;

  void SetTabInfo(UINT iconId, const std::string& title);
  // The page's list entry, made on first request (null for a page that gives no
  // large-icon description); the list owns it once added.
  DP_COwnerDrawIconListBoxItem* GetListItem();
  UINT GetTemplateId() const { return m_templateId; }
  BOOL CreatePage(DP_ListBoxTabDialog* owner);

  BOOL OnInitDialog() override;
  // Enter and Escape inside a page act on the whole dialog.
  void OnOK() override;
  void OnCancel() override;
  void OnSysCommand(UINT command, LPARAM lParam);
  void OnDestroy();

  DP_ListBoxTabDialog* m_owner = nullptr;
  UINT m_templateId;
  UINT m_iconId = 0;
  std::string m_title;
  DP_COwnerDrawIconListBoxItem* m_listItem = nullptr;
  BOOL m_autoDelete = FALSE;
  DP_CFocusDetectButton* m_focusRelay = nullptr;
  BOOL m_largeIcon = FALSE;

  DECLARE_MESSAGE_MAP()
};

using DP_ListBoxTabDialogItemArray = std::vector<DP_ListBoxTabDialogItem*>;

class DP_ListBoxTabDialog : public CMyDialog {
 public:
  DP_ListBoxTabDialog(UINT templateId, CWnd* parent) : CMyDialog(templateId, parent) {}
  ~DP_ListBoxTabDialog() override;

  // Before the dialog is initialised the page is queued, afterwards listed at once.
  BOOL AddPage(DP_ListBoxTabDialogItem* page, BOOL autoDelete);
  // 1 when the page is already current; else makes it current and answers 0.
  BOOL SelectPage(DP_ListBoxTabDialogItem* page);
  DP_ListBoxTabDialogItem* GetCurrentPage() const { return m_currentPage; }

  void DoDataExchange(CDataExchange* exchange) override { CMyDialog::DoDataExchange(exchange); }
  BOOL OnInitDialog() override;
  void OnOK() override { CDialog::OnOK(); }
  void OnCancel() override { CDialog::OnCancel(); }

  void OnPaint();
  void OnSelChange();
  void OnMeasureItem(int id, LPMEASUREITEMSTRUCT measure);
  void OnDestroy();
  void OnSysCommand(UINT command, LPARAM lParam);

  CStatic m_caption;
  DP_COwnerDrawListBox m_pageList;
  DP_ListBoxTabDialogItemArray m_queuedPages;
  BOOL m_initialised = FALSE;
  DP_ListBoxTabDialogItem* m_currentPage = nullptr;
  DP_CFocusDetectButton m_focusRelay;

  DECLARE_MESSAGE_MAP()

 private:
  void ListPage(DP_ListBoxTabDialogItem* page);
  // Pages that are not in the list (no large icon) but still belong to the dialog.
  DP_ListBoxTabDialogItemArray unlisted_;
};

// Alt plus a mnemonic aimed at `target`'s controls; true when a control took it.
bool DispatchMnemonic(CWnd* target, char key);

}  // namespace controls
