// Text runs handed to DrvTextOut.
#include "platform/gdi/engine_internal.h"
#include "platform/gdi/live_objects.h"

namespace platform::gdi {

TextRun::TextRun(std::vector<GLYPHPOS> glyphs, std::u16string text, DWORD codePage, FLONG accel,
                 const RECTL& background, ULONG charInc)
    : STROBJ{}, glyphs_(std::move(glyphs)), text_(std::move(text)), codePage_(codePage) {
  cGlyphs = static_cast<ULONG>(glyphs_.size());
  flAccel = accel;
  ulCharInc = charInc;
  rclBkGround = background;
  pgp = glyphs_.empty() ? nullptr : glyphs_.data();
  pwszOrg = text_.data();
  LiveObjects<TextRun>::Add(this);
}

TextRun::~TextRun() { LiveObjects<TextRun>::Remove(this); }

bool TextRun::Enum(ULONG* count, GLYPHPOS** glyphs) {
  if (enumerated_) {
    *count = 0;
    *glyphs = nullptr;
    return false;
  }
  enumerated_ = true;
  *count = static_cast<ULONG>(glyphs_.size());
  *glyphs = glyphs_.empty() ? nullptr : glyphs_.data();
  return false;  // everything came in this one batch
}

}  // namespace platform::gdi

using platform::gdi::LiveObjects;
using platform::gdi::TextRun;

ZEL_EXTERN_C void STROBJ_vEnumStart(STROBJ* pstro) {
  if (TextRun* run = LiveObjects<TextRun>::Find(pstro)) run->EnumStart();
}

ZEL_EXTERN_C BOOL STROBJ_bEnum(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos) {
  TextRun* run = LiveObjects<TextRun>::Find(pstro);
  if (pc == nullptr || ppgpos == nullptr) return FALSE;
  if (run == nullptr) {
    *pc = 0;
    *ppgpos = nullptr;
    return FALSE;
  }
  return run->Enum(pc, ppgpos) ? TRUE : FALSE;
}

ZEL_EXTERN_C DWORD STROBJ_dwGetCodePage(STROBJ* pstro) {
  const TextRun* run = LiveObjects<TextRun>::Find(pstro);
  return run != nullptr ? run->codePage() : 0;
}
