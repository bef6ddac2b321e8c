// Whether a device mode is this driver's, for this printer's language: the test a
// stored or passed device mode must pass before its private part is read.
#pragma once

#include "platform/base/types.h"
#include "platform/spooler/devmode.h"

// True when the device mode is non-null, its public part is 220 bytes followed by
// 2496 private bytes, its private version is 4 and its _nPDL equals the word.
bool IsDevmodeForModel(const DEVMODEW* devmode, WORD pdl);
