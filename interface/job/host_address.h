// This host's IPv4 address as the printer reaches it, handed to the graphics
// library for a job that the status monitor follows, so that the printer can
// tell which host sent it.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

void SendHostAddress(HDC dc, HANDLE printer);
