// The questions an application asks a printer's driver about what the printer can
// do (DeviceCapabilities), and the constants of their answers.
#pragma once

#include "platform/base/types.h"

// Capability indexes.
#define DC_FIELDS 1
#define DC_PAPERS 2
#define DC_PAPERSIZE 3
#define DC_MINEXTENT 4
#define DC_MAXEXTENT 5
#define DC_BINS 6
#define DC_DUPLEX 7
#define DC_SIZE 8
#define DC_EXTRA 9
#define DC_VERSION 10
#define DC_DRIVER 11
#define DC_BINNAMES 12
#define DC_ENUMRESOLUTIONS 13
#define DC_FILEDEPENDENCIES 14
#define DC_TRUETYPE 15
#define DC_PAPERNAMES 16
#define DC_ORIENTATION 17
#define DC_COPIES 18
#define DC_BINADJUST 19
#define DC_EMF_COMPLIANT 20
#define DC_DATATYPE_PRODUCED 21
#define DC_COLLATE 22
#define DC_MANUFACTURER 23
#define DC_MODEL 24
#define DC_PERSONALITY 25
#define DC_PRINTRATE 26
#define DC_PRINTRATEUNIT 27
#define DC_PRINTERMEM 28
#define DC_MEDIAREADY 29
#define DC_STAPLE 30
#define DC_PRINTRATEPPM 31
#define DC_COLORDEVICE 32
#define DC_NUP 33
#define DC_MEDIATYPENAMES 34
#define DC_MEDIATYPES 35

// DC_TRUETYPE answer bits.
#define DCTT_BITMAP 0x0000001L
#define DCTT_DOWNLOAD 0x0000002L
#define DCTT_SUBDEV 0x0000004L
#define DCTT_DOWNLOAD_OUTLINE 0x0000008L

// DC_PRINTRATEUNIT answers.
#define PRINTRATEUNIT_PPM 1
#define PRINTRATEUNIT_CPS 2
#define PRINTRATEUNIT_LPM 3
#define PRINTRATEUNIT_IPM 4

// The paper source that lets the printer choose by the form.
#ifndef DMBIN_FORMSOURCE
#define DMBIN_FORMSOURCE 15
#endif

namespace platform::spooler {

// Characters per name in the answers that list names: each name takes a slot of
// this many characters (bytes in the ANSI call), ended by a NUL within the slot.
constexpr int kPaperNameChars = 64;
constexpr int kBinNameChars = 24;
constexpr int kFileDependencyChars = 64;
constexpr int kPersonalityChars = 32;
constexpr int kMediaReadyChars = 64;
constexpr int kMediaTypeNameChars = 64;

// The slot of a capability that answers names; 0 for one that answers numbers.
int CapabilityNameChars(WORD capability);

}  // namespace platform::spooler
