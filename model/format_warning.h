// What the loader does when a model description's "General"/"FormatVersion" is not
// the one this driver reads. The loader runs on spooler threads (printer events,
// device capabilities) where nobody may be there to close a message box, so it
// only reports the mismatch through a hook. By default the hook traces the text to
// the debugger; the user-interface library may set a hook of its own that warns
// the user from interactive entry points.
#pragma once

// major and minor: the description's version; expectedMajor: the one this driver reads.
using ModelFormatWarningHook = void (*)(int major, int minor, int expectedMajor);

// The format version this driver reads.
constexpr int kModelFormatMajor = 2;

// Installs a hook for the whole process (nullptr restores the default) and
// answers the previous one.
ModelFormatWarningHook SetModelFormatWarningHook(ModelFormatWarningHook hook);
ModelFormatWarningHook CurrentModelFormatWarningHook();

// The default hook: the warning text as a debugger trace.
void TraceModelFormatWarning(int major, int minor, int expectedMajor);
