// The address comes from the printer query library's local host record; until
// that library is part of this one, no address is sent and the graphics
// library writes no job attribute for it.
#include "interface/job/host_address.h"

void SendHostAddress(HDC /*dc*/) {}
