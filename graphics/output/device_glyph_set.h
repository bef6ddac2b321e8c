// The glyph set of the Far East device fonts, read from the model module and
// cached for the process under the device-font lock.
#pragma once

// Frees the cached glyph set (the caller holds the device-font lock).
void FreeDeviceGlyphSet();
