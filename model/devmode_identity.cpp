#include "model/devmode_identity.h"

#include "common/xdevmode.h"

bool IsDevmodeForModel(const DEVMODEW* devmode, WORD pdl) {
  if (!devmode || devmode->dmSize != kXDevModePublicSize || devmode->dmDriverExtra != kXDevModeDriverExtra) {
    return false;
  }
  const auto* whole = reinterpret_cast<const XDEVMODE*>(devmode);
  return whole->dmPrivate.privateVersion == kXDevModePrivateVersion && whole->dmPrivate._nPDL == pdl;
}
