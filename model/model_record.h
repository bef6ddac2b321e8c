// The model record: everything the drivers know about one printer's model
// (languages, papers, trays, bins, finishers, media, resolutions, memory,
// installable options, resident fonts, constraints, hidden dialog controls),
// filled from its model description and a few values of the printer's own data.
//
// Both driver libraries build it with the same loader and keep it in memory only;
// it never crosses a process or library boundary, so its layout is the compiler's
// own. Every table is filled from its first row; the first row whose id (or name,
// or option) is zero ends a table that is not full. Names are ANSI text ended by a
// zero byte within their field.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/base/types.h"

// ---- Table capacities --------------------------------------------------------
constexpr int kModelMaxOptions = 8;
constexpr int kModelMaxOptionChoices = 10;
constexpr int kModelMaxMemoryRows = 24;
constexpr int kModelMaxResolutions = 4;
constexpr int kModelMaxPaperSources = 8;
constexpr int kModelMaxPapers = 28;
constexpr int kModelMaxMediaTypes = 16;
constexpr int kModelMaxOutputBins = 16;
constexpr int kModelMaxStapleLocations = 8;
constexpr int kModelMaxStaplers = 3;
constexpr int kModelMaxPunches = 3;
constexpr int kModelMaxFolds = 2;
constexpr int kModelMaxTrims = 4;
constexpr int kModelMaxDeviceFonts = 250;
constexpr int kModelMaxTabInfo = 4;
constexpr int kModelMaxConstraints = 120;
constexpr int kModelMaxHiddenControls = 128;
constexpr int kModelMaxVariableSizeRecords = 28;

constexpr size_t kPrinterNameSize = 260;

// The paper id of the user-defined-size paper.
constexpr WORD kCustomPaperId = 261;
// Installable options are numbered 1 to 35; constraints name option n as 64 + n.
constexpr int kFirstOptionId = 1;
constexpr int kLastOptionId = 35;

// The tag every load stamps into the record.
constexpr WORD kModelRecordFormatTag = 6;

// ---- Load-part bits: ModelRecord::partsLoaded and the loader's part mask -----
enum ModelPart : DWORD {
  kPartModelId = 0x80000000,          // modelId, modelSubId
  kPartOptions = 0x40000000,          // options
  kPartDeviceFonts = 0x20000000,      // deviceFonts
  kPartStapleLocations = 0x02000000,  // stapleLocations
  kPartPdlMask = 0x01000000,          // pdlMask
  kPartPrinterPdl = 0x00800000,       // printerPdl and configStamp
  kPartMemorySizeA = 0x00400000,
  kPartMemorySizeB = 0x00200000,
  kPartInstalledMemory = 0x00100000,
  kPartResolutions = 0x00080000,
  kPartOutputBins = 0x00040000,
  kPartPaperSources = 0x00020000,
  kPartPapers = 0x00010000,  // papers, customPaper, variableSizeDialog
  kPartMediaTypes = 0x00008000,
  kPartStaplers = 0x00001000,
  kPartTrims = 0x00000020,
  kPartTabInfo = 0x00000010,
  kPartHiddenControls = 0x00000030,  // read when either bit is asked; both set when it has rows
  kPartPunches = 0x00000002,
  kPartFolds = 0x00000001,
};
constexpr DWORD kAllModelParts = 0xFFFFFFFF;

// ---- Feature bits: ModelRecord::optionWord, featuresRead and the feature mask --
enum ModelFeature : DWORD {
  kFeatureDuplex = 0x00000001,
  kFeatureJobOffset = 0x00000002,  // output-bin capability
  kFeatureStapling = 0x00000004,   // output-bin capability
  kFeatureCollation = 0x00000008,
  kFeatureFaceUpLow = 0x00000200,   // output-bin capability; with the next one: face-up delivery
  kFeatureFaceUpHigh = 0x00000400,  // output-bin capability
  kFeatureStatusMonitor = 0x00000800,
  kFeaturePclDiskExtensions = 0x00001000,
  kFeatureEdgeToEdge = 0x00004000,
  kFeatureTrimming = 0x00008000,  // set when the model has trim units
  kFeatureFolding = 0x00010000,   // output-bin capability
  kFeaturePunching = 0x00020000,  // output-bin capability
  kFeatureUserNameChargeCode = 0x00040000,
  kFeatureNote = 0x00080000,
  kFeatureReverseOrder = 0x10000000,
  kFeaturePageRotation = 0x20000000,
};
constexpr DWORD kAllModelFeatures = 0xFFFFFFFF;
// The feature bits that come from the output bins' flags.
constexpr DWORD kOutputBinFeatures =
    kFeatureJobOffset | kFeatureStapling | kFeatureFaceUpLow | kFeatureFaceUpHigh | kFeatureFolding | kFeaturePunching;

// ModelRecord::optionWord2
constexpr DWORD kOption2QVoT = 0x00000010;

// ---- Feature codes: the option and feature columns of ConstraintRow ---------
enum FeatureCode : int32_t {
  kCodePaperSize = 1,    // 1-based index of the selected papers row
  kCodePaperSource = 2,  // dmDefaultSource - 256
  kCodeOutputBin = 4,    // _nOutputTray - 256
  kCodeFold = 8,
  kCodePunch = 16,
  kCodeStaple = 32,
  kCodeAnyOption = 64,    // wildcard: any installable option
  kCodeFirstOption = 65,  // installable option 1 ...
  kCodeLastOption = 99,   // ... to 35
  kCodeDuplex = 128,
  kCodeMediaType = 512,
  kCodeTrim = 1024,
  kCodeBooklet = 2048,
  kCodeCollate = 0x4000,
};

// ---- ConstraintRow flags -------------------------------------------------------
enum ConstraintFlag : int32_t {
  kConstraintIdleWhileHolds = 0x1,  // the row does not fire while its condition holds
  kConstraintIdleWhileFails = 0x4,  // the row does not fire while its condition fails
  kConstraintConflictPair = 0x10,   // marks a conflict pair; flags of 16 or more never fire
};

// ---- Rows ----------------------------------------------------------------------

struct InstallableOption {
  int32_t id;    // 1..35
  int32_t kind;  // kept and written back unchanged
  char name[32];
  int32_t extra;                            // fourth number of its record, 0 when absent
  int32_t value;                            // the installed choice
  int32_t choices[kModelMaxOptionChoices];  // from "InstallableOptions/<id>"
  int32_t choiceCount;
};

struct MemoryRow {
  int32_t megabytes;
  int32_t second;  // bytes
  int32_t third;   // bytes
};

struct ResolutionEntry {
  WORD id;
  WORD xDpi;
  WORD yDpi;
};

// Sizes in thousandths of an inch; margins 1 to 4 are left, top, right, bottom.
struct PaperGeometry {
  int32_t width;
  int32_t height;
  int32_t margin1;
  int32_t margin2;
  int32_t margin3;
  int32_t margin4;
};

// Size limits of a user-defined size.
struct VariableSizeRecord {
  WORD paperId;
  PaperGeometry geometry[3];  // the second takes the first's width and height; the third stays zero
  WORD u1;
  WORD u2;
};

struct PaperEntry {
  WORD id;                    // DEVMODE paper number; kCustomPaperId for the user-defined size
  char name[32];              // trailing blanks removed
  PaperGeometry geometry[3];  // same width and height; [0] PostScript margins, [1] PCL margins
  WORD attr1;                 // 0xFFFF when not given
  WORD attr3;                 // 0xFFFF when not given
  BYTE attr2;                 // 255 when not given
  BYTE attr4;                 // 255 when not given
  WORD pclSizeCode;           // the PCL page-size command's number, 0 when not given
  WORD attr6;
  int16_t userSizeMark;  // negative: user-defined size not yet stored; positive once stored
  VariableSizeRecord variableSize;
  WORD attr7;     // 0xFFFE when not given
  int32_t attr8;  // -2 when not given
  WORD attr9;     // 0xFFFF when not given
  BYTE feedDirection;
  char shortName[10];
  BYTE reserved[4];
};

struct PaperSourceEntry {
  WORD id;  // tray id; DEVMODE source = 256 + id
  char name[24];
  WORD s1;
  WORD s2;
  WORD s3;  // 0 when not given
  WORD s4;  // 0xFFFF when not given
  char text[20];
  int32_t s5;  // 1 when not given
  WORD s6;     // 0xFFFE when not given
  BYTE reserved[4];
  WORD d1;  // 0xFFFF when not given
  WORD d2;  // 0xFFFF when not given
  WORD d3;  // always 0
  WORD d4;  // always 0xFFFF
};

struct MediaTypeEntry {
  WORD id;
  char name[30];
  DWORD m1;              // 0xFFFFFFFE when not given
  int32_t m2;            // -2 when not given
  int32_t m3;            // 0xFFFF when not given
  char displayName[30];  // the name when not given
  char extra[24];
};

// Output-bin flag bits, the same bits as the output-bin features of optionWord.
struct OutputBinEntry {
  WORD id;
  WORD b1;
  char name[32];
  DWORD flags;
  WORD b2;
  WORD b3;  // 0xFFFF when not given
  WORD b4;  // 0xFFFF when not given
  char text[24];
};

struct StapleLocationEntry {
  WORD a;
  WORD b;
  WORD c;
  WORD d;
  WORD e;
};

struct StaplerEntry {
  WORD id;
  WORD a;
  WORD b;
};

// Punch, fold and trim units differ only in the size of their name.
template <size_t NameSize>
struct FinisherEntry {
  WORD id;
  WORD a;
  WORD b;
  char name[NameSize];
};
using PunchEntry = FinisherEntry<8>;
using FoldEntry = FinisherEntry<11>;
using TrimEntry = FinisherEntry<5>;

struct ModelFontRow {
  char faceName[32];
  char secondName[32];
  char shortName[13];
  int32_t fontId;
  WORD pdl;  // 0x103 PostScript, 0x408C PCL with PCL XL, 0x8C PCL, 0 other
};

struct TabInfoEntry {
  int32_t id;
  char name[30];
  int32_t l1;
  int32_t l2;
  int32_t l3;
  int32_t i1;
  int32_t i2;
  int32_t i3;
};

struct ConstraintRow {
  int32_t option;   // condition: a feature code, or 65..99 for installable option 1..35
  int32_t value;    // value of the condition
  int32_t feature;  // feature code of the constrained choice
  int32_t choice;   // the constrained choice
  int32_t flags;    // ConstraintFlag bits
};

struct HiddenControlRow {
  int32_t controlId;  // > 0
  int32_t dialogId1;
  int32_t dialogId2;
};

// ---- The record ----------------------------------------------------------------
// The cache keeps its own link beside the record, so the whole record can be
// cleared with one assignment: `record = ModelRecord{}`.
struct ModelRecord {
  WORD formatTag;
  DWORD partsLoaded;   // ModelPart bits
  DWORD featuresRead;  // ModelFeature bits read into optionWord
  DWORD configStamp;   // "Printer"/"Cfg" when loaded; 0 when it was missing
  char printerName[kPrinterNameSize];
  WORD modelId;
  char modelSubId;
  DWORD optionWord;   // ModelFeature bits
  DWORD optionWord2;  // kOption2QVoT
  WORD printerPdl;    // PdlKind of this printer
  WORD pdlMask;       // OR of the model's PdlKinds
  InstallableOption options[kModelMaxOptions];
  MemoryRow memoryRows[kModelMaxMemoryRows];
  // Installed memory in bytes. 64-bit, so that any size a description can name is
  // held exactly (2048 MB and more do not fit a signed 32-bit byte count).
  int64_t installedMemory;
  int32_t memorySizeB;  // bytes, from the third number of the installed memory's row
  int32_t memorySizeA;  // bytes, from the second number of that row
  ResolutionEntry resolutions[kModelMaxResolutions];
  PaperSourceEntry paperSources[kModelMaxPaperSources];
  PaperEntry papers[kModelMaxPapers];
  PaperEntry customPaper;
  WORD variableSizeDialog;
  MediaTypeEntry mediaTypes[kModelMaxMediaTypes];
  OutputBinEntry outputBins[kModelMaxOutputBins];
  StapleLocationEntry stapleLocations[kModelMaxStapleLocations];
  StaplerEntry staplers[kModelMaxStaplers];
  PunchEntry punches[kModelMaxPunches];
  FoldEntry folds[kModelMaxFolds];
  TrimEntry trims[kModelMaxTrims];
  ModelFontRow deviceFonts[kModelMaxDeviceFonts];
  TabInfoEntry tabInfo[kModelMaxTabInfo];
  ConstraintRow constraints[kModelMaxConstraints];
  HiddenControlRow hiddenControls[kModelMaxHiddenControls];
  DWORD reservedFlag;  // never set by the loader
  int32_t variant;     // 1 when "Printer"/"TRQ50Compatible" is non-zero
};
