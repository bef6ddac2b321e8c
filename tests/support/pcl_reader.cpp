#include "tests/support/pcl_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace testsupport {

namespace {

constexpr char kEsc = 0x1B;
constexpr char kFormFeed = 0x0C;
constexpr char kEtx = 0x03;
constexpr std::string_view kUel = "\x1b%-12345X";
// Bounds that no real page reaches; they keep hostile values from sizing seed rows.
constexpr long kMaxWidth = 1L << 20;
constexpr long kMaxPlanes = 8;

// Commands whose value is the byte count of binary data that follows them.
struct DataCommand {
  std::string_view family;
  char terminator;
};
constexpr DataCommand kDataCommands[] = {
    {"*b", 'W'},  // transfer raster row
    {"*b", 'V'},  // transfer raster plane
    {")s", 'W'},  // font header
    {"(s", 'W'},  // character data
    {"(f", 'W'},  // symbol set definition
    {"&p", 'X'},  // transparent print data
    {"*v", 'W'},  // configure image data
    {"*c", 'W'},  // user-defined pattern
    {"&n", 'W'},  // alphanumeric ID
    {"*m", 'W'},  // dither matrix
    {"*l", 'W'},  // colour lookup tables
    {"*i", 'W'},  // viewing illuminant
    {"*o", 'W'},  // driver configuration
    {"&b", 'W'},  // AppleTalk configuration
    {"*g", 'W'},  // configure raster data
};

bool IsDataCommand(std::string_view family, char terminator) {
  return std::any_of(std::begin(kDataCommands), std::end(kDataCommands),
                     [&](const DataCommand& d) { return d.family == family && d.terminator == terminator; });
}

std::string Hex(unsigned char byte) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "0x%02X", byte);
  return buffer;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperString(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Upper(c);
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// [+-]?digits*(.digits*)? with at least one digit; locale-free.
bool ParseNumber(std::string_view text, double& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  double result = 0;
  bool digits = false;
  while (i < text.size() && IsDigit(text[i])) {
    result = result * 10 + (text[i++] - '0');
    digits = true;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    double scale = 0.1;
    while (i < text.size() && IsDigit(text[i])) {
      result += (text[i++] - '0') * scale;
      scale /= 10;
      digits = true;
    }
  }
  if (!digits || i != text.size()) return false;
  value = negative ? -result : result;
  return true;
}

std::string Describe(const PclCommand& c) {
  std::string out = "ESC" + c.family + c.valueText;
  out += c.terminator;
  return out;
}

bool DecodeRunLength(std::string_view data, std::string& row, std::string* reason) {
  row.clear();
  if (data.size() % 2 != 0) {
    if (reason) *reason = "run-length data has an odd byte count";
    return false;
  }
  for (std::size_t i = 0; i < data.size(); i += 2) row.append(static_cast<unsigned char>(data[i]) + 1u, data[i + 1]);
  return true;
}

class Reader {
 public:
  Reader(std::string_view in, PclReport& report) : in_(in), r_(report) {}

  void Run() {
    if (Starts(0, kUel) || Starts(0, "@PJL")) {
      mode_ = Mode::Pjl;
    } else {
      OpenPcl(0, /*implied=*/true, /*framed=*/false);
    }
    while (pos_ < in_.size()) {
      switch (mode_) {
        case Mode::Pjl: StepPjl(); break;
        case Mode::Pcl: StepPcl(); break;
        case Mode::Hpgl: StepHpgl(); break;
      }
    }
    Finish();
  }

 private:
  enum class Mode { Pjl, Pcl, Hpgl };

  bool Starts(std::size_t at, std::string_view what) const {
    return in_.size() - at >= what.size() && in_.compare(at, what.size(), what) == 0;
  }
  void Error(PclProblem kind, std::size_t at, std::string message) {
    r_.errors.push_back({kind, at, std::move(message)});
  }
  void Warn(PclProblem kind, std::size_t at, std::string message) {
    r_.warnings.push_back({kind, at, std::move(message)});
  }

  // ---- PJL ---------------------------------------------------------------

  void StepPjl() {
    if (Starts(pos_, kUel)) {
      PclCommand uel;
      uel.offset = pos_;
      uel.family = "%";
      uel.terminator = 'X';
      uel.hasValue = true;
      uel.valueText = "-12345";
      uel.value = -12345;
      r_.commands.push_back(uel);
      r_.uels.push_back(pos_);
      pos_ += kUel.size();
      return;
    }
    if (Starts(pos_, "@PJL") && (pos_ + 4 == in_.size() || in_[pos_ + 4] == ' ' || in_[pos_ + 4] == '\t' ||
                                 in_[pos_ + 4] == '\r' || in_[pos_ + 4] == '\n')) {
      ReadPjlLine();
      return;
    }
    // A printer hands whatever is not PJL to its default language.
    Warn(PclProblem::ImplicitLanguage, pos_,
         "byte " + Hex(static_cast<unsigned char>(in_[pos_])) + " where a PJL line or UEL was expected; read as PCL");
    OpenPcl(pos_, /*implied=*/true, /*framed=*/true);
  }

  void ReadPjlLine() {
    const std::size_t start = pos_;
    std::size_t i = start;
    while (i < in_.size() && in_[i] != '\n' && in_[i] != kEsc) ++i;
    PjlLine line;
    line.offset = start;
    std::size_t textEnd = i;
    if (i < in_.size() && in_[i] == '\n') {
      const bool cr = i > start && in_[i - 1] == '\r';
      line.ending = cr ? PjlLineEnding::CrLf : PjlLineEnding::Lf;
      if (cr) --textEnd;
      pos_ = i + 1;
    } else {
      line.ending = PjlLineEnding::Missing;
      if (textEnd > start && in_[textEnd - 1] == '\r') --textEnd;
      pos_ = i;
    }
    line.text = std::string(in_.substr(start, textEnd - start));
    if (line.ending == PjlLineEnding::Missing)
      Error(PclProblem::PjlLineUnterminated, start,
            "PJL line \"" + line.text + "\" has no line feed before " +
                (i < in_.size() ? "an escape sequence" : "the end of the stream"));
    ParsePjlLine(line);
    r_.pjl.push_back(line);
    const PjlLine& stored = r_.pjl.back();

    if (stored.command == "JOB") {
      const PjlOption* name = stored.Option("NAME");
      openJobs_.push_back({start, name ? name->value : std::string()});
    } else if (stored.command == "EOJ") {
      if (openJobs_.empty()) {
        Error(PclProblem::PjlJobUnbalanced, start, "@PJL EOJ without an open @PJL JOB");
      } else {
        const PjlOption* name = stored.Option("NAME");
        if (name && !openJobs_.back().name.empty() && name->value != openJobs_.back().name)
          Warn(PclProblem::JobNameMismatch, start,
               "EOJ NAME \"" + name->value + "\" closes JOB NAME \"" + openJobs_.back().name + "\"");
        openJobs_.pop_back();
      }
    } else if (stored.command == "ENTER") {
      const PjlOption* language = stored.Option("LANGUAGE");
      if (!language || language->value.empty()) {
        Error(PclProblem::PjlMalformed, start, "@PJL ENTER without LANGUAGE=");
      } else {
        EnterLanguage(UpperString(language->value));
      }
    }
  }

  static void ParsePjlLine(PjlLine& line) {
    std::string_view rest = Trim(std::string_view(line.text).substr(4));
    std::size_t word = 0;
    while (word < rest.size() && rest[word] != ' ' && rest[word] != '\t') ++word;
    line.command = UpperString(rest.substr(0, word));
    std::string_view argument = Trim(rest.substr(word));
    line.argument = std::string(argument);
    if (line.command == "COMMENT" || line.command == "ECHO") return;
    std::size_t i = 0;
    auto skipSpace = [&] {
      while (i < argument.size() && (argument[i] == ' ' || argument[i] == '\t')) ++i;
    };
    while (true) {
      skipSpace();
      if (i >= argument.size()) break;
      const std::size_t keyStart = i;
      while (i < argument.size() && argument[i] != ' ' && argument[i] != '\t' && argument[i] != '=') ++i;
      PjlOption option;
      option.key = UpperString(argument.substr(keyStart, i - keyStart));
      skipSpace();
      if (i < argument.size() && argument[i] == '=') {
        ++i;
        skipSpace();
        option.hasValue = true;
        if (i < argument.size() && argument[i] == '"') {
          const std::size_t close = argument.find('"', i + 1);
          const std::size_t valueEnd = close == std::string_view::npos ? argument.size() : close;
          option.value = std::string(argument.substr(i + 1, valueEnd - i - 1));
          i = close == std::string_view::npos ? argument.size() : close + 1;
        } else {
          const std::size_t valueStart = i;
          while (i < argument.size() && argument[i] != ' ' && argument[i] != '\t') ++i;
          option.value = std::string(argument.substr(valueStart, i - valueStart));
        }
      }
      if (option.key.empty() && !option.hasValue) {
        ++i;  // a stray '=': skip it rather than loop
        continue;
      }
      line.options.push_back(std::move(option));
    }
  }

  void EnterLanguage(const std::string& language) {
    if (language == "PCL") {
      OpenPcl(pos_, /*implied=*/false, /*framed=*/true);
      return;
    }
    if (language != "POSTSCRIPT")
      Warn(PclProblem::UnsupportedLanguage, pos_, "language " + language + " kept as raw bytes");
    LanguageSection section;
    section.language = language;
    section.offset = pos_;
    const std::size_t uel = in_.find(kUel, pos_);
    if (uel == std::string_view::npos) {
      section.end = in_.size();
      Error(PclProblem::LanguageNotEnded, pos_, language + " data not ended by a UEL");
    } else {
      section.end = uel;
      section.endedByUel = true;
    }
    section.bytes = std::string(in_.substr(section.offset, section.end - section.offset));
    r_.sections.push_back(std::move(section));
    pos_ = r_.sections.back().end;  // the UEL is read in PJL context
  }

  // ---- PCL ---------------------------------------------------------------

  void OpenPcl(std::size_t at, bool implied, bool framed) {
    LanguageSection section;
    section.language = "PCL";
    section.offset = at;
    section.implied = implied;
    r_.sections.push_back(std::move(section));
    pclSection_ = static_cast<int>(r_.sections.size()) - 1;
    pclFramed_ = framed;
    mode_ = Mode::Pcl;
    ResetPclState();
  }

  void ResetPclState() {
    compression_ = 0;
    width_.reset();
    height_.reset();
    planes_ = 1;
    bitsPerPixel_ = 1;
    macroId_ = 0;
    labelTerminator_ = kEtx;
    // A reset or UEL deletes temporary macros; permanent ones stay.
    for (auto it = defined_.begin(); it != defined_.end();) it = it->second ? std::next(it) : defined_.erase(it);
  }

  void StepPcl() {
    const char c = in_[pos_];
    if (c == kEsc) {
      FlushText();
      ParseEscape();
    } else if (c == kFormFeed) {
      FlushText();
      if (!defining_) {
        ++r_.formFeeds;
        if (rasterOpen_ && !r_.raster.back().implicitStart)
          Warn(PclProblem::FormFeedInRaster, pos_,
               "form feed inside the raster block at " + std::to_string(r_.raster.back().offset));
      }
      ++pos_;
    } else if (static_cast<unsigned char>(c) >= 0x20) {
      if (textStart_ == std::string_view::npos) textStart_ = pos_;
      ++pos_;
    } else {
      FlushText();
      ++pos_;
    }
  }

  void FlushText() {
    if (textStart_ == std::string_view::npos) return;
    TextRun run;
    run.offset = textStart_;
    run.text = std::string(in_.substr(textStart_, pos_ - textStart_));
    run.page = r_.formFeeds;
    run.macroId = defining_ ? static_cast<int>(r_.macros[defIndex_].id) : -1;
    r_.text.push_back(std::move(run));
    textStart_ = std::string_view::npos;
  }

  // Reads one escape sequence at pos_ (two-character or parameterised, with
  // every command of a combined sequence and their data) and applies it.
  void ParseEscape() {
    const std::size_t start = pos_++;
    if (pos_ >= in_.size()) {
      Error(PclProblem::TruncatedEscape, start, "ESC at the end of the stream");
      return;
    }
    const auto first = static_cast<unsigned char>(in_[pos_]);
    if (first >= 0x30 && first <= 0x7E) {
      PclCommand command;
      command.offset = start;
      command.terminator = static_cast<char>(first);
      ++pos_;
      Record(command, true);
      return;
    }
    if (first < 0x21 || first > 0x2F) {
      // Leave the byte to be read as data: the ESC alone is the fault.
      Error(PclProblem::MalformedEscape, start, "ESC followed by byte " + Hex(first));
      return;
    }
    std::string family(1, static_cast<char>(first));
    ++pos_;
    if (pos_ < in_.size() && static_cast<unsigned char>(in_[pos_]) >= 0x60 &&
        static_cast<unsigned char>(in_[pos_]) <= 0x7E)
      family += in_[pos_++];

    while (true) {
      const std::size_t valueStart = pos_;
      if (pos_ < in_.size() && (in_[pos_] == '+' || in_[pos_] == '-')) ++pos_;
      while (pos_ < in_.size() && IsDigit(in_[pos_])) ++pos_;
      if (pos_ < in_.size() && in_[pos_] == '.') {
        ++pos_;
        while (pos_ < in_.size() && IsDigit(in_[pos_])) ++pos_;
      }
      if (pos_ >= in_.size()) {
        Error(PclProblem::TruncatedEscape, start,
              "stream ends inside ESC" + family + std::string(in_.substr(valueStart)));
        return;
      }
      const auto p = static_cast<unsigned char>(in_[pos_]);
      const bool lower = p >= 0x60 && p <= 0x7E;
      const bool upper = p >= 0x40 && p <= 0x5E;
      if (!lower && !upper) {
        Error(PclProblem::MalformedEscape, pos_,
              "byte " + Hex(p) + " where ESC" + family + " expects a parameter character");
        return;
      }
      PclCommand command;
      command.offset = start;
      command.family = family;
      command.terminator = Upper(static_cast<char>(p));
      command.continued = lower;
      command.valueText = std::string(in_.substr(valueStart, pos_ - valueStart));
      double value = 0;
      command.hasValue = ParseNumber(command.valueText, value);
      command.value = value;
      ++pos_;

      bool complete = true;
      if (IsDataCommand(family, command.terminator)) {
        command.hasData = true;
        command.dataOffset = pos_;
        const std::size_t remaining = in_.size() - pos_;
        if (command.value < 0) {
          Error(PclProblem::BadDataCount, start, Describe(command) + " announces a negative byte count");
          complete = false;
        } else if (std::floor(command.value) > static_cast<double>(remaining)) {
          Error(PclProblem::DataPastEnd, start,
                Describe(command) + " announces " + command.valueText + " bytes of data, only " +
                    std::to_string(remaining) + " follow");
          command.data = std::string(in_.substr(pos_));
          pos_ = in_.size();
          complete = false;
        } else {
          const auto count = static_cast<std::size_t>(command.value);
          command.data = std::string(in_.substr(pos_, count));
          pos_ += count;
        }
      }
      Record(command, complete);
      if (upper) return;
    }
  }

  void Record(PclCommand command, bool complete) {
    command.inHpgl = mode_ == Mode::Hpgl;
    command.macroId = defining_ ? static_cast<int>(r_.macros[defIndex_].id) : -1;
    r_.commands.push_back(command);
    if (mode_ == Mode::Hpgl) {
      ApplyInHpgl(command, complete);
    } else {
      ApplyInPcl(command, complete);
    }
  }

  static bool IsUel(const PclCommand& c) { return c.Is("%", 'X') && c.hasValue && c.value == -12345; }

  void ApplyInPcl(const PclCommand& c, bool complete) {
    if (defining_) {
      // A macro body is stored, not run: only what ends the definition, or
      // changes how the following bytes are tokenised, acts now.
      if (c.Is("&f", 'X') && c.IntValue() == 1) {
        StopMacro(c.offset);
        return;
      }
      if (c.Is("&f", 'X') && c.IntValue() == 0) {
        Error(PclProblem::MacroUnbalanced, c.offset,
              "macro definition started inside the definition of macro " + std::to_string(r_.macros[defIndex_].id));
        return;
      }
      if (c.Is("%", 'B')) {
        EnterHpgl(c);
        return;
      }
      if (!c.Is("", 'E') && !IsUel(c)) return;
      Error(PclProblem::MacroUnbalanced, r_.macros[defIndex_].offset,
            "definition of macro " + std::to_string(r_.macros[defIndex_].id) + " not stopped before " +
                (IsUel(c) ? "the UEL" : "ESC E") + " at " + std::to_string(c.offset));
      r_.macros[defIndex_].end = c.offset;
      defining_ = false;
    }

    if (c.Is("", 'E')) {
      ++r_.resets;
      CloseRaster(c.offset, "ESC E");
      ResetPclState();
    } else if (c.family == "%") {
      if (c.terminator == 'X') {
        if (IsUel(c)) {
          Uel(c.offset);
        } else {
          Warn(PclProblem::UnknownUel, c.offset, Describe(c) + " is not the UEL ESC%-12345X");
        }
      } else if (c.terminator == 'B') {
        EnterHpgl(c);
      }
    } else if (c.family == "*r") {
      RasterControl(c);
    } else if (c.family == "*b") {
      if (c.terminator == 'M') {
        compression_ = static_cast<int>(c.IntValue());
      } else if ((c.terminator == 'W' || c.terminator == 'V') && complete) {
        RasterTransfer(c, c.terminator == 'V');
      } else if (c.terminator == 'Y') {
        // A vertical move zeroes the seed rows of delta-row compression.
        for (std::string& seed : seeds_) seed.assign(seed.size(), '\0');
      }
    } else if (c.Is("*v", 'W') && complete) {
      ConfigureImage(c);
    } else if (c.family == "&f") {
      if (c.terminator == 'Y') macroId_ = c.IntValue();
      if (c.terminator == 'X') MacroControl(c);
    }
  }

  void Uel(std::size_t at) {
    r_.uels.push_back(at);
    CloseRaster(at, "the UEL");
    if (pclSection_ >= 0) {
      r_.sections[pclSection_].end = at;
      r_.sections[pclSection_].endedByUel = true;
      pclSection_ = -1;
    }
    ResetPclState();
    mode_ = Mode::Pjl;
  }

  // ---- Raster ------------------------------------------------------------

  bool InExplicitRaster() const { return rasterOpen_ && !r_.raster.back().implicitStart; }

  void OpenRaster(std::size_t at, long startMode, bool implicit) {
    RasterBlock block;
    block.offset = at;
    block.startMode = startMode;
    block.implicitStart = implicit;
    block.sourceWidth = width_;
    block.sourceHeight = height_;
    block.planes = planes_;
    block.bitsPerPixel = bitsPerPixel_;
    if (width_) block.rowBytes = (static_cast<std::size_t>(*width_) * bitsPerPixel_ + 7) / 8;
    r_.raster.push_back(std::move(block));
    rasterOpen_ = true;
    plane_ = 0;
    warnedUndecoded_ = false;
    // Delta rows start from a zero seed row in every plane.
    seeds_.assign(static_cast<std::size_t>(planes_), std::string(r_.raster.back().rowBytes.value_or(0), '\0'));
  }

  void CloseRaster(std::size_t at, const std::string& why) {
    if (!rasterOpen_) return;
    RasterBlock& block = r_.raster.back();
    block.end = at;
    if (!block.implicitStart)
      Error(PclProblem::RasterNotEnded, block.offset,
            "raster block started at " + std::to_string(block.offset) + " cut short by " + why + " at " +
                std::to_string(at) + " without ESC*rB/ESC*rC");
    rasterOpen_ = false;
  }

  void RasterControl(const PclCommand& c) {
    switch (c.terminator) {
      case 'A':
        if (InExplicitRaster()) {
          Warn(PclProblem::RasterSettingIgnored, c.offset, "ESC*r#A inside a raster block is ignored");
          return;
        }
        if (rasterOpen_) {  // an implicit block ends where an explicit one starts
          r_.raster.back().end = c.offset;
          rasterOpen_ = false;
        }
        OpenRaster(c.offset, c.IntValue(), false);
        return;
      case 'B':
      case 'C':
        if (!rasterOpen_) {
          Error(PclProblem::RasterUnbalanced, c.offset, Describe(c) + " without a raster start ESC*r#A");
        } else {
          r_.raster.back().end = c.offset;
          r_.raster.back().ended = true;
          rasterOpen_ = false;
        }
        if (c.terminator == 'C') compression_ = 0;
        return;
      case 'S':
      case 'T':
      case 'U': {
        if (InExplicitRaster()) {
          Warn(PclProblem::RasterSettingIgnored, c.offset, Describe(c) + " inside a raster block is ignored");
          return;
        }
        const long v = c.IntValue();
        if (c.terminator == 'S') {
          if (v > kMaxWidth) {
            Warn(PclProblem::RasterSettingIgnored, c.offset, Describe(c) + " is wider than any page; width left unset");
            width_.reset();
          } else {
            width_ = v > 0 ? std::optional<long>(v) : std::nullopt;
          }
        }
        if (c.terminator == 'T') height_ = v > 0 ? std::optional<long>(v) : std::nullopt;
        if (c.terminator == 'U') {
          if (std::labs(v) > kMaxPlanes) {
            Warn(PclProblem::RasterSettingIgnored, c.offset, Describe(c) + " asks for more planes than PCL has");
          } else {
            planes_ = v == 0 ? 1 : static_cast<int>(std::labs(v));
            bitsPerPixel_ = 1;
          }
        }
        return;
      }
      default: return;
    }
  }

  void ConfigureImage(const PclCommand& c) {
    if (c.data.size() < 6) {
      Error(PclProblem::BadImageConfiguration, c.offset,
            "ESC*v#W carries " + std::to_string(c.data.size()) + " bytes, at least 6 are needed");
      return;
    }
    if (InExplicitRaster()) {
      Warn(PclProblem::RasterSettingIgnored, c.offset, "ESC*v#W inside a raster block is ignored");
      return;
    }
    const auto encoding = static_cast<unsigned char>(c.data[1]);
    const int bitsPerIndex = static_cast<unsigned char>(c.data[2]);
    const int primaries = static_cast<unsigned char>(c.data[3]) + static_cast<unsigned char>(c.data[4]) +
                          static_cast<unsigned char>(c.data[5]);
    if (encoding <= 1 && (bitsPerIndex < 1 || bitsPerIndex > 8)) {
      Error(PclProblem::BadImageConfiguration, c.offset, "bits per index " + std::to_string(bitsPerIndex) + " not 1-8");
      return;
    }
    if (encoding == 3 && (primaries < 1 || primaries > 48)) {
      Error(PclProblem::BadImageConfiguration, c.offset,
            "bits per primary add up to " + std::to_string(primaries) + ", not 1-48");
      return;
    }
    switch (encoding) {
      case 0: planes_ = bitsPerIndex, bitsPerPixel_ = 1; break;  // indexed by plane
      case 1: planes_ = 1, bitsPerPixel_ = bitsPerIndex; break;  // indexed by pixel
      case 2: planes_ = 3, bitsPerPixel_ = 1; break;             // direct by plane
      case 3: planes_ = 1, bitsPerPixel_ = primaries; break;     // direct by pixel
      default:
        Error(PclProblem::BadImageConfiguration, c.offset, "unknown pixel encoding mode " + std::to_string(encoding));
    }
  }

  void RasterTransfer(const PclCommand& c, bool morePlanes) {
    if (!rasterOpen_) {
      Warn(PclProblem::ImplicitRasterStart, c.offset,
           "raster " + std::string(morePlanes ? "plane" : "row") + " outside a raster block (implicit start)");
      OpenRaster(c.offset, 0, true);
    }
    RasterBlock& block = r_.raster.back();
    if (static_cast<std::size_t>(plane_) >= seeds_.size())
      seeds_.resize(static_cast<std::size_t>(plane_) + 1, std::string(block.rowBytes.value_or(0), '\0'));
    std::string& seed = seeds_[static_cast<std::size_t>(plane_)];

    RasterRow row;
    row.offset = c.offset;
    row.method = compression_;
    row.plane = plane_;
    row.data = c.data;

    std::string out;
    std::size_t extent = 0;
    std::string reason;
    bool known = true;
    bool good = false;
    switch (row.method) {
      case 0:
        out = row.data;
        extent = out.size();
        good = true;
        break;
      case 1:
        good = DecodeRunLength(row.data, out, &reason);
        extent = out.size();
        break;
      case 2:
        good = DecodePackBits(row.data, out, &reason);
        extent = out.size();
        break;
      case 3: good = DecodeDeltaRow(row.data, seed, out, extent, &reason); break;
      default: known = false;
    }
    if (!known) {
      if (!warnedUndecoded_)
        Warn(PclProblem::UndecodedCompression, c.offset,
             "rows in compression method " + std::to_string(row.method) + " are not decoded");
      warnedUndecoded_ = true;
      seed.assign(block.rowBytes.value_or(0), '\0');
    } else if (!good) {
      Error(PclProblem::RasterDecodeError, c.offset, "method " + std::to_string(row.method) + " row: " + reason);
      row.bytes = out;
      seed = out;
    } else {
      row.decoded = true;
      row.decodedLength = extent;
      if (block.rowBytes && extent > *block.rowBytes) {
        Error(PclProblem::RasterRowTooWide, c.offset,
              "row decodes to " + std::to_string(extent) + " bytes, past the " + std::to_string(*block.rowBytes) +
                  "-byte row of the " + std::to_string(*block.sourceWidth) + "-pixel source width");
      } else if (block.rowBytes) {
        out.resize(*block.rowBytes, '\0');
      }
      row.bytes = out;
      seed = out;
    }
    block.rows.push_back(std::move(row));
    plane_ = morePlanes ? plane_ + 1 : 0;
  }

  // ---- Macros ------------------------------------------------------------

  void MacroControl(const PclCommand& c) {
    const long control = c.IntValue();
    switch (control) {
      case 0: {
        MacroDefinition definition;
        definition.id = macroId_;
        definition.offset = c.offset;
        r_.macros.push_back(definition);
        defIndex_ = r_.macros.size() - 1;
        defining_ = true;
        return;
      }
      case 1: Error(PclProblem::MacroUnbalanced, c.offset, "macro stop ESC&f1X without a definition"); return;
      case 2:
      case 3:
      case 4: {
        MacroCall call;
        call.id = macroId_;
        call.control = control;
        call.offset = c.offset;
        call.defined = defined_.count(macroId_) != 0;
        if (!call.defined)
          Warn(PclProblem::UndefinedMacroCall, c.offset,
               "macro " + std::to_string(macroId_) + " used (control " + std::to_string(control) +
                   ") but not defined in this stream");
        r_.macroCalls.push_back(call);
        return;
      }
      case 6: defined_.clear(); return;
      case 7:
        for (auto it = defined_.begin(); it != defined_.end();) it = it->second ? std::next(it) : defined_.erase(it);
        return;
      case 8: defined_.erase(macroId_); return;
      case 9:
      case 10: {
        const auto it = defined_.find(macroId_);
        if (it != defined_.end()) it->second = control == 10;
        for (auto d = r_.macros.rbegin(); d != r_.macros.rend(); ++d) {
          if (d->id == macroId_) {
            d->permanent = control == 10;
            break;
          }
        }
        return;
      }
      default: return;
    }
  }

  void StopMacro(std::size_t at) {
    MacroDefinition& definition = r_.macros[defIndex_];
    definition.end = at;
    definition.ended = true;
    defined_[definition.id] = false;
    defining_ = false;
  }

  // ---- HP-GL/2 -----------------------------------------------------------

  void EnterHpgl(const PclCommand& c) {
    if (!defining_) CloseRaster(c.offset, "ESC%#B");
    HpglSection section;
    section.offset = c.offset;
    section.enterValue = c.IntValue();
    r_.hpglSections.push_back(section);
    hpglSection_ = static_cast<int>(r_.hpglSections.size()) - 1;
    mode_ = Mode::Hpgl;
  }

  void LeaveHpgl(std::size_t at) {
    HpglSection& section = r_.hpglSections[hpglSection_];
    section.end = at;
    section.left = true;
    mode_ = Mode::Pcl;
  }

  void ApplyInHpgl(const PclCommand& c, bool complete) {
    if (c.Is("%", 'A')) {
      LeaveHpgl(c.offset);
    } else if (IsUel(c)) {
      LeaveHpgl(c.offset);
      ApplyInPcl(c, complete);
    } else if (c.Is("", 'E')) {
      Warn(PclProblem::HpglLeftByReset, c.offset, "HP-GL/2 left by ESC E");
      LeaveHpgl(c.offset);
      ApplyInPcl(c, complete);
    } else if (!c.Is("%", 'B')) {
      Error(PclProblem::EscapeInHpgl, c.offset, Describe(c) + " inside HP-GL/2 context");
    }
  }

  void StepHpgl() {
    const char c = in_[pos_];
    if (c == kEsc) {
      ParseEscape();
    } else if (c == ';' || IsSpace(c)) {
      ++pos_;
    } else if (IsAlpha(c)) {
      ReadInstruction();
    } else {
      Error(PclProblem::HpglSyntax, pos_,
            "byte " + Hex(static_cast<unsigned char>(c)) + " where an HP-GL/2 mnemonic was expected");
      ++pos_;
    }
  }

  void ReadInstruction() {
    const std::size_t start = pos_;
    if (pos_ + 1 >= in_.size()) {
      Error(PclProblem::HpglSyntax, start, "stream ends inside an HP-GL/2 mnemonic");
      pos_ = in_.size();
      return;
    }
    if (!IsAlpha(in_[pos_ + 1])) {
      Error(PclProblem::HpglSyntax, start,
            std::string("'") + in_[pos_] + "' followed by " + Hex(static_cast<unsigned char>(in_[pos_ + 1])) +
                " is no HP-GL/2 mnemonic");
      ++pos_;
      return;
    }
    HpglInstruction ins;
    ins.offset = start;
    ins.mnemonic = UpperString(in_.substr(pos_, 2));
    ins.section = hpglSection_;
    pos_ += 2;
    if (ins.mnemonic == "LB") {
      ReadLabel(ins);
    } else if (ins.mnemonic == "DT" || ins.mnemonic == "SM") {
      ReadCharacterParameter(ins);
    } else if (ins.mnemonic == "PE") {
      ReadPolylineEncoded(ins);
    } else {
      ReadParameters(ins);
    }
    r_.hpgl.push_back(std::move(ins));
  }

  void ReadLabel(HpglInstruction& ins) {
    const char terminator = labelTerminator_;
    std::size_t i = pos_;
    while (i < in_.size() && in_[i] != terminator && in_[i] != kEsc) ++i;
    ins.label = std::string(in_.substr(pos_, i - pos_));
    ins.parameters = ins.label;
    if (i < in_.size() && in_[i] == terminator) {
      ins.terminated = true;
      ins.labelTerminator = terminator;
      pos_ = i + 1;
    } else {
      Error(PclProblem::HpglUnterminatedLabel, ins.offset,
            "LB text not closed by its terminator " + Hex(static_cast<unsigned char>(terminator)) + " before " +
                (i < in_.size() ? "an escape sequence" : "the end of the stream"));
      pos_ = i;
    }
  }

  // DT and SM take the byte right after the mnemonic as a character; ";" or
  // nothing means the default.
  void ReadCharacterParameter(HpglInstruction& ins) {
    const bool isDt = ins.mnemonic == "DT";
    if (pos_ >= in_.size() || in_[pos_] == ';' || in_[pos_] == kEsc) {
      if (isDt) labelTerminator_ = kEtx;
      ins.labelTerminator = isDt ? kEtx : 0;
      if (pos_ < in_.size() && in_[pos_] == ';') {
        ins.terminated = true;
        ++pos_;
      }
      return;
    }
    const char c = in_[pos_];
    if (isDt && (c == '\0' || c == '\n')) {
      Error(PclProblem::HpglSyntax, pos_,
            "DT label terminator " + Hex(static_cast<unsigned char>(c)) + " is not allowed");
    } else if (isDt) {
      labelTerminator_ = c;
      ins.labelTerminator = c;
    }
    ++pos_;
    ReadParameters(ins);
    ins.parameters.insert(ins.parameters.begin(), c);
  }

  void ReadParameters(HpglInstruction& ins) {
    const std::size_t start = pos_;
    std::size_t end = std::string_view::npos;
    while (pos_ < in_.size()) {
      const char c = in_[pos_];
      if (c == ';') {
        end = pos_++;
        ins.terminated = true;
        break;
      }
      if (c == kEsc || IsAlpha(c)) break;
      if (c == '"') {
        const std::size_t close = in_.find('"', pos_ + 1);
        if (close == std::string_view::npos) {
          Error(PclProblem::HpglSyntax, pos_, "quoted string in " + ins.mnemonic + " not closed");
          pos_ = in_.size();
          break;
        }
        pos_ = close + 1;
        continue;
      }
      if (!IsDigit(c) && c != '+' && c != '-' && c != '.' && c != ',' && !IsSpace(c))
        Error(PclProblem::HpglSyntax, pos_,
              "byte " + Hex(static_cast<unsigned char>(c)) + " in the parameters of " + ins.mnemonic);
      ++pos_;
    }
    if (end == std::string_view::npos) end = pos_;
    ins.parameters = std::string(in_.substr(start, end - start));
    ParseNumbers(ins);
  }

  void ParseNumbers(HpglInstruction& ins) {
    const std::string& p = ins.parameters;
    std::size_t i = 0;
    while (i < p.size()) {
      if (p[i] == ',' || IsSpace(p[i])) {
        ++i;
        continue;
      }
      if (p[i] == '"') {
        const std::size_t close = p.find('"', i + 1);
        i = close == std::string::npos ? p.size() : close + 1;
        continue;
      }
      const std::size_t tokenStart = i;
      while (i < p.size() && p[i] != ',' && !IsSpace(p[i]) && p[i] != '"') ++i;
      double value = 0;
      if (ParseNumber(std::string_view(p).substr(tokenStart, i - tokenStart), value)) {
        ins.numbers.push_back(value);
      } else {
        Error(PclProblem::HpglSyntax, ins.offset,
              "\"" + p.substr(tokenStart, i - tokenStart) + "\" is no number in " + ins.mnemonic);
      }
    }
  }

  // PE: flags and base-64 (or, after '7', base-32) numbers whose lowest bit
  // is the sign; non-terminal digits first, least significant first.
  void ReadPolylineEncoded(HpglInstruction& ins) {
    const std::size_t start = pos_;
    std::size_t end = std::string_view::npos;
    bool sevenBit = false;
    bool penUp = false;
    bool absolute = false;
    enum class Next { Coordinate, Pen, Fraction } next = Next::Coordinate;
    int pen = -1;
    long fractionBits = 0;
    bool haveX = false;
    double x = 0;
    std::uint64_t accumulated = 0;
    std::uint64_t multiplier = 1;
    bool inNumber = false;
    bool rangeReported = false;

    while (true) {
      if (pos_ >= in_.size()) {
        Error(PclProblem::PeMalformed, ins.offset, "PE data not terminated by ';' before the end of the stream");
        break;
      }
      const auto c = static_cast<unsigned char>(in_[pos_]);
      if (c == ';') {
        if (inNumber || next != Next::Coordinate || haveX || penUp || absolute)
          Error(PclProblem::PeMalformed, pos_, "PE ends with an unfinished number, coordinate pair or flag");
        end = pos_++;
        ins.terminated = true;
        break;
      }
      if (c == static_cast<unsigned char>(kEsc)) {
        Error(PclProblem::PeMalformed, pos_, "PE data cut by an escape sequence before its ';'");
        break;
      }
      if (c == '7' || c == ':' || c == '<' || c == '=' || c == '>') {
        if (inNumber || haveX) {
          Error(PclProblem::PeMalformed, pos_,
                std::string("PE flag '") + static_cast<char>(c) + "' inside a number or coordinate pair");
          inNumber = false;
          haveX = false;
          accumulated = 0;
          multiplier = 1;
        }
        if (c == '7') sevenBit = true;
        if (c == ':') next = Next::Pen;
        if (c == '>') next = Next::Fraction;
        if (c == '<') penUp = true;
        if (c == '=') absolute = true;
        ++pos_;
        continue;
      }
      int digit = -1;
      bool terminal = false;
      if (sevenBit) {
        if (c >= 63 && c <= 94) digit = c - 63;
        if (c >= 95 && c <= 126) digit = c - 95, terminal = true;
      } else {
        if (c >= 63 && c <= 126) digit = c - 63;
        if (c >= 191 && c <= 254) digit = c - 191, terminal = true;
      }
      if (digit < 0) {
        if (!rangeReported)
          Error(PclProblem::PeByteOutOfRange, pos_,
                "PE byte " + Hex(c) + " (" + std::to_string(c) + ") outside " +
                    (sevenBit ? "63-126 (7-bit mode)" : "63-126 and 191-254") + " and the flags");
        rangeReported = true;
        ++pos_;
        continue;
      }
      accumulated += static_cast<std::uint64_t>(digit) * multiplier;
      ++pos_;
      if (!terminal) {
        multiplier *= sevenBit ? 32 : 64;
        inNumber = true;
        if (multiplier > (std::uint64_t{1} << 50)) {
          Error(PclProblem::PeMalformed, pos_ - 1, "PE number longer than any coordinate");
          accumulated = 0;
          multiplier = 1;
          inNumber = false;
        }
        continue;
      }
      const auto magnitude = static_cast<double>(accumulated >> 1);
      const double number = (accumulated & 1) ? -magnitude : magnitude;
      accumulated = 0;
      multiplier = 1;
      inNumber = false;
      if (next == Next::Pen) {
        pen = static_cast<int>(std::clamp(number, -1e9, 1e9));
        next = Next::Coordinate;
      } else if (next == Next::Fraction) {
        fractionBits = static_cast<long>(std::clamp(number, -1e9, 1e9));
        next = Next::Coordinate;
      } else if (!haveX) {
        x = number;
        haveX = true;
      } else {
        const double scale = std::ldexp(1.0, static_cast<int>(std::clamp(fractionBits, -60L, 60L)));
        ins.vertices.push_back({x / scale, number / scale, penUp, absolute, pen});
        haveX = false;
        penUp = false;
        absolute = false;
      }
    }
    if (end == std::string_view::npos) end = pos_;
    ins.parameters = std::string(in_.substr(start, end - start));
  }

  // ---- End of the stream -------------------------------------------------

  void Finish() {
    FlushText();
    if (mode_ == Mode::Hpgl) {
      HpglSection& section = r_.hpglSections[hpglSection_];
      section.end = in_.size();
      Error(PclProblem::HpglNotLeft, section.offset,
            "HP-GL/2 entered at " + std::to_string(section.offset) + " is never left (no ESC%#A or UEL)");
      mode_ = Mode::Pcl;
    }
    if (defining_) {
      MacroDefinition& definition = r_.macros[defIndex_];
      definition.end = in_.size();
      Error(PclProblem::MacroUnbalanced, definition.offset,
            "definition of macro " + std::to_string(definition.id) + " never stopped");
      defining_ = false;
    }
    CloseRaster(in_.size(), "the end of the stream");
    if (pclSection_ >= 0) {
      LanguageSection& section = r_.sections[pclSection_];
      section.end = in_.size();
      if (pclFramed_)
        Error(PclProblem::LanguageNotEnded, section.offset,
              "PCL entered at " + std::to_string(section.offset) + " not ended by a UEL");
    }
    for (const OpenJob& job : openJobs_)
      Error(PclProblem::PjlJobUnbalanced, job.offset,
            "@PJL JOB" + (job.name.empty() ? "" : " \"" + job.name + "\"") + " never closed by @PJL EOJ");
  }

  struct OpenJob {
    std::size_t offset;
    std::string name;
  };

  std::string_view in_;
  PclReport& r_;
  std::size_t pos_ = 0;
  Mode mode_ = Mode::Pjl;
  std::vector<OpenJob> openJobs_;
  int pclSection_ = -1;
  bool pclFramed_ = false;
  std::size_t textStart_ = std::string_view::npos;

  // PCL state that a reset or UEL restores.
  int compression_ = 0;
  std::optional<long> width_;
  std::optional<long> height_;
  int planes_ = 1;
  int bitsPerPixel_ = 1;
  long macroId_ = 0;
  char labelTerminator_ = kEtx;

  bool rasterOpen_ = false;
  int plane_ = 0;
  std::vector<std::string> seeds_;
  bool warnedUndecoded_ = false;

  bool defining_ = false;
  std::size_t defIndex_ = 0;
  std::map<long, bool> defined_;  // id -> permanent

  int hpglSection_ = -1;
};

}  // namespace

std::string_view PclProblemName(PclProblem kind) {
  switch (kind) {
    case PclProblem::TruncatedEscape: return "TruncatedEscape";
    case PclProblem::MalformedEscape: return "MalformedEscape";
    case PclProblem::DataPastEnd: return "DataPastEnd";
    case PclProblem::BadDataCount: return "BadDataCount";
    case PclProblem::PjlLineUnterminated: return "PjlLineUnterminated";
    case PclProblem::PjlMalformed: return "PjlMalformed";
    case PclProblem::PjlJobUnbalanced: return "PjlJobUnbalanced";
    case PclProblem::LanguageNotEnded: return "LanguageNotEnded";
    case PclProblem::HpglNotLeft: return "HpglNotLeft";
    case PclProblem::HpglSyntax: return "HpglSyntax";
    case PclProblem::HpglUnterminatedLabel: return "HpglUnterminatedLabel";
    case PclProblem::PeByteOutOfRange: return "PeByteOutOfRange";
    case PclProblem::PeMalformed: return "PeMalformed";
    case PclProblem::EscapeInHpgl: return "EscapeInHpgl";
    case PclProblem::RasterUnbalanced: return "RasterUnbalanced";
    case PclProblem::RasterNotEnded: return "RasterNotEnded";
    case PclProblem::RasterRowTooWide: return "RasterRowTooWide";
    case PclProblem::RasterDecodeError: return "RasterDecodeError";
    case PclProblem::BadImageConfiguration: return "BadImageConfiguration";
    case PclProblem::MacroUnbalanced: return "MacroUnbalanced";
    case PclProblem::ImplicitRasterStart: return "ImplicitRasterStart";
    case PclProblem::ImplicitLanguage: return "ImplicitLanguage";
    case PclProblem::UnsupportedLanguage: return "UnsupportedLanguage";
    case PclProblem::UndefinedMacroCall: return "UndefinedMacroCall";
    case PclProblem::UndecodedCompression: return "UndecodedCompression";
    case PclProblem::RasterSettingIgnored: return "RasterSettingIgnored";
    case PclProblem::FormFeedInRaster: return "FormFeedInRaster";
    case PclProblem::JobNameMismatch: return "JobNameMismatch";
    case PclProblem::HpglLeftByReset: return "HpglLeftByReset";
    case PclProblem::UnknownUel: return "UnknownUel";
  }
  return "?";
}

const PjlOption* PjlLine::Option(std::string_view key) const {
  const std::string wanted = UpperString(key);
  for (const PjlOption& option : options)
    if (option.key == wanted) return &option;
  return nullptr;
}

bool PclReport::HasError(PclProblem kind) const {
  return std::any_of(errors.begin(), errors.end(), [&](const PclIssue& i) { return i.kind == kind; });
}

bool PclReport::HasWarning(PclProblem kind) const {
  return std::any_of(warnings.begin(), warnings.end(), [&](const PclIssue& i) { return i.kind == kind; });
}

std::vector<const PclCommand*> PclReport::Find(std::string_view family, char terminator) const {
  std::vector<const PclCommand*> found;
  for (const PclCommand& c : commands)
    if (c.Is(family, terminator)) found.push_back(&c);
  return found;
}

std::size_t PclReport::Count(std::string_view family, char terminator) const {
  return static_cast<std::size_t>(
      std::count_if(commands.begin(), commands.end(), [&](const PclCommand& c) { return c.Is(family, terminator); }));
}

std::vector<const HpglInstruction*> PclReport::Instructions(std::string_view mnemonic) const {
  std::vector<const HpglInstruction*> found;
  const std::string wanted = UpperString(mnemonic);
  for (const HpglInstruction& i : hpgl)
    if (i.mnemonic == wanted) found.push_back(&i);
  return found;
}

std::vector<std::string> PclReport::PostScript() const {
  std::vector<std::string> blobs;
  for (const LanguageSection& s : sections)
    if (s.language == "POSTSCRIPT") blobs.push_back(s.bytes);
  return blobs;
}

std::string PclReport::Text() const {
  std::string joined;
  for (const TextRun& run : text) {
    if (!joined.empty()) joined += '\n';
    joined += run.text;
  }
  return joined;
}

std::string PclReport::Summary() const {
  std::string out;
  auto add = [&](const char* what, const PclIssue& issue) {
    out += std::string(what) + " at " + std::to_string(issue.offset) + " [" + std::string(PclProblemName(issue.kind)) +
           "]: " + issue.message + "\n";
  };
  for (const PclIssue& issue : errors) add("error", issue);
  for (const PclIssue& issue : warnings) add("warning", issue);
  return out.empty() ? "no errors or warnings\n" : out;
}

bool DecodePackBits(std::string_view data, std::string& row, std::string* reason) {
  row.clear();
  std::size_t i = 0;
  while (i < data.size()) {
    const int n = static_cast<signed char>(data[i++]);
    if (n >= 0) {
      const auto count = static_cast<std::size_t>(n) + 1;
      if (count > data.size() - i) {
        if (reason)
          *reason = "literal run of " + std::to_string(count) + " bytes at " + std::to_string(i - 1) +
                    " past the end of the row data";
        return false;
      }
      row.append(data.substr(i, count));
      i += count;
    } else if (n != -128) {
      if (i >= data.size()) {
        if (reason) *reason = "repeat run at " + std::to_string(i - 1) + " without its byte";
        return false;
      }
      row.append(static_cast<std::size_t>(1 - n), data[i++]);
    }
  }
  return true;
}

// Far wider than any page at any resolution; keeps hostile offsets from
// allocating without bound.
constexpr std::size_t kMaxDeltaRow = std::size_t{1} << 22;

bool DecodeDeltaRow(std::string_view data, const std::string& seed, std::string& row, std::size_t& extent,
                    std::string* reason) {
  row = seed;
  extent = 0;
  std::size_t current = 0;  // offsets count from the byte after the last replacement
  std::size_t i = 0;
  while (i < data.size()) {
    const auto command = static_cast<unsigned char>(data[i++]);
    const std::size_t count = (command >> 5) + 1u;
    std::size_t offset = command & 0x1F;
    if (offset == 31) {
      while (true) {
        if (i >= data.size()) {
          if (reason) *reason = "offset extension missing after command byte";
          return false;
        }
        const auto more = static_cast<unsigned char>(data[i++]);
        offset += more;
        if (more != 255) break;
      }
    }
    if (count > data.size() - i) {
      if (reason)
        *reason =
            "command replaces " + std::to_string(count) + " bytes, only " + std::to_string(data.size() - i) + " follow";
      return false;
    }
    current += offset;
    if (current + count > kMaxDeltaRow) {
      if (reason) *reason = "offset " + std::to_string(current) + " lies past any printable row";
      return false;
    }
    if (row.size() < current + count) row.resize(current + count, '\0');
    row.replace(current, count, data.substr(i, count));
    i += count;
    current += count;
    extent = std::max(extent, current);
  }
  return true;
}

PclReport ReadPclJob(std::string_view bytes) {
  PclReport report;
  Reader(bytes, report).Run();
  return report;
}

}  // namespace testsupport
