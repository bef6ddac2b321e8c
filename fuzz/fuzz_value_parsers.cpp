// The model description's table records: one key and value pair per input (the
// first line the key, the rest the value) through every record parser, which
// must fill its row within its fields or refuse it all zero.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/value_parsers.h"

namespace {

template <class Row, class Parser>
void Parse(Parser parser, const char* key, const char* value) {
  static Row row;
  parser(&row, key, value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t line = input.find('\n');
  const std::string key = input.substr(0, line).c_str();
  const std::string value = line == std::string::npos ? std::string() : input.substr(line + 1).c_str();
  const char* k = key.c_str();
  const char* v = value.c_str();
  Parse<MemoryRow>(ParseMemoryRecord, k, v);
  Parse<ConstraintRow>(ParseConstraintRecord, k, v);
  Parse<StaplerEntry>(ParseStaplerRecord, k, v);
  Parse<InstallableOption>(ParseInstallableOptionRecord, k, v);
  Parse<FoldEntry>(ParseFoldRecord, k, v);
  Parse<PunchEntry>(ParsePunchRecord, k, v);
  Parse<TrimEntry>(ParseTrimRecord, k, v);
  Parse<MediaTypeEntry>(ParseMediaTypeRecord, k, v);
  Parse<PaperEntry>(ParsePaperRecord, k, v);
  Parse<VariableSizeRecord>(ParseVariableSizeRecord, k, v);
  Parse<PaperSourceEntry>(ParsePaperSourceRecord, k, v);
  Parse<OutputBinEntry>(ParsePaperDestinationRecord, k, v);
  Parse<StapleLocationEntry>(ParseStapleLocationRecord, k, v);
  Parse<ResolutionEntry>(ParseResolutionRecord, k, v);
  Parse<ModelFontRow>(ParseFontRecord, k, v);
  Parse<TabInfoEntry>(ParseTabInfoRecord, k, v);
  static HiddenControlRow hidden;
  ParseHiddenControlRecord(&hidden, k, v);
  return 0;
}
