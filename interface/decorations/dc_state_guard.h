// The drawing state the decorations change on the application's device
// context, saved when they begin and restored when they end, so that the
// application's own drawing continues as it left it.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"
#include "platform/gdi/drawing.h"

class SavedDrawingState {
 public:
  explicit SavedDrawingState(HDC dc);
  ~SavedDrawingState();
  SavedDrawingState(const SavedDrawingState&) = delete;
  SavedDrawingState& operator=(const SavedDrawingState&) = delete;

  // Device units from the printable area's corner: text mode, identity world
  // transform, unit extents and zero origins, transparent text on white.
  void UseDeviceUnits();

 private:
  HDC dc_;
  int mapMode_;
  int bkMode_;
  COLORREF bkColor_;
  COLORREF textColor_;
  UINT textAlign_;
  XFORM world_{1, 0, 0, 1, 0, 0};
  BOOL worldRead_ = FALSE;
  POINT windowOrg_{};
  POINT viewportOrg_{};
  SIZE windowExt_{1, 1};
  SIZE viewportExt_{1, 1};
};
