#include "interface/decorations/dc_state_guard.h"

SavedDrawingState::SavedDrawingState(HDC dc)
    : dc_(dc),
      mapMode_(GetMapMode(dc)),
      bkMode_(GetBkMode(dc)),
      bkColor_(GetBkColor(dc)),
      textColor_(SetTextColor(dc, 0)),
      textAlign_(SetTextAlign(dc, TA_TOP)) {
  SetTextColor(dc, textColor_);
  SetTextAlign(dc, textAlign_);
  worldRead_ = GetWorldTransform(dc, &world_);
  GetWindowOrgEx(dc, &windowOrg_);
  GetViewportOrgEx(dc, &viewportOrg_);
}

void SavedDrawingState::UseDeviceUnits() {
  SetBkMode(dc_, TRANSPARENT);
  SetBkColor(dc_, RGB(255, 255, 255));
  SetViewportExtEx(dc_, 1, 1, &viewportExt_);
  SetWindowExtEx(dc_, 1, 1, &windowExt_);
  SetViewportOrgEx(dc_, 0, 0, nullptr);
  SetWindowOrgEx(dc_, 0, 0, nullptr);
  ModifyWorldTransform(dc_, nullptr, MWT_IDENTITY);
  SetMapMode(dc_, MM_TEXT);
}

SavedDrawingState::~SavedDrawingState() {
  SetTextColor(dc_, textColor_);
  SetTextAlign(dc_, textAlign_);
  SetBkMode(dc_, bkMode_);
  SetBkColor(dc_, bkColor_);
  SetMapMode(dc_, mapMode_);
  if (worldRead_) SetWorldTransform(dc_, &world_);
  SetWindowOrgEx(dc_, windowOrg_.x, windowOrg_.y, nullptr);
  SetViewportOrgEx(dc_, viewportOrg_.x, viewportOrg_.y, nullptr);
  SetWindowExtEx(dc_, windowExt_.cx, windowExt_.cy, nullptr);
  SetViewportExtEx(dc_, viewportExt_.cx, viewportExt_.cy, nullptr);
}
