// The output channel of font definitions.
#pragma once

#include "graphics/core/pdev.h"
#include "graphics/pages/document_store.h"
#include "graphics/stream/output.h"

// Definitions of downloaded fonts go to the download file while pages are
// held back for reordering (booklets, inserted sheets), so that every page
// replayed later finds them defined; the channel in use comes back afterwards.
class DownloadChannel {
 public:
  explicit DownloadChannel(PDEV* pdev) : pdev_(pdev), previous_(pdev->output.currentChannel) {
    const XDEVMODE& dm = pdev->devmode;
    const bool heldBack = (dm.dmPrivate._nBooklet != 0 && IsPostScriptJob(pdev)) || HasSheetInserts(pdev);
    switched_ = !(pdev->carried.captureFlags & kCaptureBanner) && dm.dmPrivate._bClearMemoryPerPage == 0 && heldBack;
    if (switched_) ok_ = SelectOutputChannel(pdev, kChannelDownloads) == 1;
  }
  ~DownloadChannel() {
    if (switched_) SelectOutputChannel(pdev_, previous_);
  }
  DownloadChannel(const DownloadChannel&) = delete;
  DownloadChannel& operator=(const DownloadChannel&) = delete;
  bool Ok() const { return ok_; }

 private:
  PDEV* pdev_;
  DWORD previous_;
  bool switched_ = false;
  bool ok_ = true;
};
