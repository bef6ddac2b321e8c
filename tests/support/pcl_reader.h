// A structural reader of PJL-framed PCL 5 / HP-GL/2 job streams, for tests.
//
// It reads a whole job the way a printer would tokenise it (PJL lines, PCL
// escape sequences with their byte-counted data, HP-GL/2 instructions, raster
// rows) and reports what it found plus every structural fault: a test prints
// the job through the driver, calls ReadPclJob on the bytes, asserts ok() and
// then checks the commands, raster rows, HP-GL/2 instructions or PostScript
// sections it cares about.
//
// The reader is written from the public command syntax only, never from the
// driver's writers, so a fault shared by writer and reader cannot hide.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// What went wrong (errors) or is legal but worth a look (warnings).
enum class PclProblem {
  // Escape sequences and their data.
  TruncatedEscape,  // the stream ends inside an escape sequence
  MalformedEscape,  // a byte that cannot appear where it does in a sequence
  DataPastEnd,      // a byte-counted data block runs past the end of the stream
  BadDataCount,     // a negative byte count for a data-carrying command
  // PJL.
  PjlLineUnterminated,  // a PJL line without its LF (end of stream or an ESC came first)
  PjlMalformed,         // e.g. ENTER without LANGUAGE=
  PjlJobUnbalanced,     // EOJ without JOB, or JOB never closed
  LanguageNotEnded,     // a language entered from PJL not closed by a UEL
  // HP-GL/2.
  HpglNotLeft,            // the stream ends in HP-GL/2 context
  HpglSyntax,             // a byte that is no mnemonic, separator or parameter
  HpglUnterminatedLabel,  // LB text without its label terminator
  PeByteOutOfRange,       // a PE byte outside the encoding's legal ranges
  PeMalformed,            // PE not terminated by ';', a number or pair left incomplete
  EscapeInHpgl,           // a PCL command other than ESC%#A, ESC E or the UEL inside HP-GL/2
  // Raster graphics.
  RasterUnbalanced,       // ESC*rB/C without ESC*r#A
  RasterNotEnded,         // an explicit raster block cut short (reset, UEL, HP-GL/2 or end)
  RasterRowTooWide,       // a row decodes past the declared source width
  RasterDecodeError,      // compressed row data that its method cannot decode
  BadImageConfiguration,  // ESC*v#W data too short
  // Macros.
  MacroUnbalanced,  // nested definition, stop without start, definition never stopped
  // Warnings.
  ImplicitRasterStart,   // a raster row outside a raster block (PCL starts one implicitly)
  ImplicitLanguage,      // bytes after a UEL that are no PJL line (the printer picks PCL)
  UnsupportedLanguage,   // ENTER LANGUAGE with a language this reader does not parse
  UndefinedMacroCall,    // execute/call/overlay of an id not defined in this stream
  UndecodedCompression,  // rows in a compression method this reader does not decode
  RasterSettingIgnored,  // ESC*r#S/T/U inside a raster block (the printer ignores it)
  FormFeedInRaster,      // a form feed inside an explicit raster block
  JobNameMismatch,       // EOJ NAME differs from its JOB NAME
  HpglLeftByReset,       // HP-GL/2 left by ESC E rather than ESC%#A or a UEL
  UnknownUel,            // ESC%#X with a value other than -12345
};

// Stable short name of a problem, for messages.
std::string_view PclProblemName(PclProblem kind);

struct PclIssue {
  PclProblem kind;
  std::size_t offset;  // byte offset in the job where the fault was seen
  std::string message;
};

enum class PjlLineEnding { CrLf, Lf, Missing };

struct PjlOption {
  std::string key;    // upper-cased
  std::string value;  // quotes removed; empty when the option has no "= value"
  bool hasValue = false;
};

struct PjlLine {
  std::size_t offset = 0;
  std::string text;                // the whole line without its ending
  std::string command;             // upper-cased word after "@PJL" ("" for a bare "@PJL")
  std::string argument;            // everything after the command word, trimmed (COMMENT text)
  std::vector<PjlOption> options;  // KEY[=VALUE] words (not parsed for COMMENT/ECHO)
  PjlLineEnding ending = PjlLineEnding::Missing;

  // The option named key (case-insensitive), or nullptr.
  const PjlOption* Option(std::string_view key) const;
};

// A stretch of the job in one printer language.
struct LanguageSection {
  std::string language;    // "PCL", "POSTSCRIPT" or the name given to ENTER LANGUAGE
  std::size_t offset = 0;  // first byte of the language data
  std::size_t end = 0;     // one past the last byte (the UEL that closed it, or the end)
  bool implied = false;    // entered without ENTER LANGUAGE (a bare PCL stream, or stray bytes)
  bool endedByUel = false;
  std::string bytes;  // the raw data for every language but PCL (PCL is parsed instead)
};

// One PCL command. A combined sequence (ESC&l1o0E) yields one command per
// parameter character, all with the offset of their ESC.
struct PclCommand {
  std::size_t offset = 0;
  std::string family;      // "*b", "&l", "(s", "(" (no group character), "%", "" for ESC E etc.
  char terminator = 0;     // parameter character upper-cased: 'W', 'M', or 'E' of ESC E
  bool continued = false;  // written lower-case: more of the combined sequence follows
  bool hasValue = false;   // the value field had digits
  std::string valueText;   // the value field as written ("+12.5", "" when absent)
  double value = 0;
  bool hasData = false;  // a data-carrying command (its data follows the parameter character)
  std::size_t dataOffset = 0;
  std::string data;     // cut short when the stream ended first (DataPastEnd)
  bool inHpgl = false;  // met in HP-GL/2 context
  int macroId = -1;     // the macro being defined when it was read, else -1

  // The value truncated toward zero, held to the 32-bit range.
  long IntValue() const {
    if (value >= 2147483647.0) return 2147483647L;
    if (value <= -2147483647.0) return -2147483647L;
    return static_cast<long>(value);
  }
  bool Is(std::string_view fam, char term) const { return family == fam && terminator == term; }
};

// One coordinate of a PE (polyline encoded) instruction, decoded.
struct PeVertex {
  double x = 0;
  double y = 0;
  bool penUp = false;     // preceded by the '<' flag
  bool absolute = false;  // preceded by the '=' flag
  int pen = -1;           // pen selected by ':' earlier in this PE, -1 if none
};

struct HpglInstruction {
  std::size_t offset = 0;
  std::string mnemonic;            // upper-cased, "PD"
  std::string parameters;          // raw text between mnemonic and terminator (PE's encoded bytes)
  std::vector<double> numbers;     // the numeric parameters (quoted strings skipped)
  bool terminated = false;         // closed by ';' (LB: by its label terminator)
  std::string label;               // LB text without its terminator
  char labelTerminator = 0;        // DT: the terminator it set; LB: the one that closed it
  std::vector<PeVertex> vertices;  // PE only
  int section = 0;                 // index into PclReport::hpglSections
};

struct HpglSection {
  std::size_t offset = 0;  // the ESC%#B that entered
  long enterValue = 0;
  std::size_t end = 0;  // the ESC that left it, or the end of the stream
  bool left = false;    // left by ESC%#A, a UEL or ESC E
};

struct RasterRow {
  std::size_t offset = 0;         // the ESC of its ESC*b#W/V
  int method = 0;                 // compression method in force
  int plane = 0;                  // 0 for the first plane of a row; planes come from ESC*b#V
  std::string data;               // the transfer data as sent
  bool decoded = false;           // method 0, 1, 2 or 3 and the data decoded cleanly
  std::size_t decodedLength = 0;  // bytes the data itself produced (delta row: furthest byte written)
  std::string bytes;              // the row as printed: zero-padded to the row width when it is known;
                                  // delta rows start from the seed row
};

struct RasterBlock {
  std::size_t offset = 0;
  std::size_t end = 0;
  long startMode = 0;                   // value of ESC*r#A
  bool implicitStart = false;           // opened by a row outside any block
  bool ended = false;                   // closed by ESC*rB or ESC*rC
  std::optional<long> sourceWidth;      // pixels (ESC*r#S), if given
  std::optional<long> sourceHeight;     // rows (ESC*r#T), if given
  int planes = 1;                       // from ESC*r#U or the image configuration
  int bitsPerPixel = 1;                 // per plane
  std::optional<std::size_t> rowBytes;  // bytes per plane row, when the width is known
  std::vector<RasterRow> rows;          // every plane of every row, in order
};

struct MacroDefinition {
  long id = 0;
  std::size_t offset = 0;  // the ESC&f0X
  std::size_t end = 0;     // the ESC&f1X
  bool ended = false;
  bool permanent = false;
};

struct MacroCall {
  long id = 0;
  long control = 0;  // 2 execute, 3 call, 4 enable overlay
  std::size_t offset = 0;
  bool defined = false;  // defined earlier in this stream and not deleted since
};

struct TextRun {
  std::size_t offset = 0;
  std::string text;  // bytes 0x20 and up between commands and control codes
  int page = 0;      // form feeds seen before it
  int macroId = -1;  // the macro being defined when it was read, else -1
};

struct PclReport {
  std::vector<PjlLine> pjl;
  std::vector<std::size_t> uels;  // offsets of every ESC%-12345X
  std::vector<LanguageSection> sections;
  std::vector<PclCommand> commands;
  std::vector<HpglSection> hpglSections;
  std::vector<HpglInstruction> hpgl;
  std::vector<RasterBlock> raster;
  std::vector<MacroDefinition> macros;
  std::vector<MacroCall> macroCalls;
  std::vector<TextRun> text;
  int formFeeds = 0;  // 0x0C outside macro definitions
  int resets = 0;     // ESC E outside macro definitions
  std::vector<PclIssue> errors;
  std::vector<PclIssue> warnings;

  bool ok() const { return errors.empty(); }
  bool HasError(PclProblem kind) const;
  bool HasWarning(PclProblem kind) const;
  // Commands of one family and terminator, in stream order.
  std::vector<const PclCommand*> Find(std::string_view family, char terminator) const;
  std::size_t Count(std::string_view family, char terminator) const;
  std::vector<const HpglInstruction*> Instructions(std::string_view mnemonic) const;
  // The data of every POSTSCRIPT section, ready for Ghostscript.
  std::vector<std::string> PostScript() const;
  // All text runs joined with '\n'.
  std::string Text() const;
  // Errors and warnings, one per line, for assertion messages.
  std::string Summary() const;
};

// Reads a whole job: a PJL-framed job (starting with a UEL or "@PJL") or a bare
// PCL stream. Never throws on malformed input; faults go into errors/warnings.
PclReport ReadPclJob(std::string_view bytes);

// The row decoders on their own, for tests that build rows themselves. Each
// returns false (with a reason) on data the method cannot decode; `row` then
// holds what was decoded so far. `extent` is the number of bytes the data
// produced (delta row: one past the furthest byte written).
bool DecodePackBits(std::string_view data, std::string& row, std::string* reason = nullptr);
bool DecodeDeltaRow(std::string_view data, const std::string& seed, std::string& row, std::size_t& extent,
                    std::string* reason = nullptr);

}  // namespace testsupport
