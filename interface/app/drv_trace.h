// The trace sink of the library: every entry point and event hands it its name and
// its steps ("DC_PAPERS", "DOCUMENTEVENT_STARTDOCPRE\n"). A release build keeps no
// trace, so the text is dropped here; the calls stay as markers of the flow.
#pragma once

void DrvTrace(const char* text);
