// The printer's device fonts, for now none: the font lists (resident fonts of
// the model module, installed soft fonts, fonts on the printer's disk) come with
// the text output. Without device fonts the engine prints all text with its own
// outline fonts.
#include "graphics/output/device_fonts.h"

DeviceFontList* LoadInstalledFonts(HANDLE /*printer*/, const char* /*printerName*/, ModelRecord* /*record*/,
                                   XDEVMODE* /*devmode*/) {
  return nullptr;
}
