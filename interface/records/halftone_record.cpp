#include "interface/records/halftone_record.h"

#include <optional>
#include <string_view>
#include <vector>

#include "interface/records/record_fields.h"

int ParseHalftoneRecord(HalftoneSetting* record, const char* value) {
  if (!record || !value) return 0;
  const std::vector<std::string_view> fields = records::SplitFields(value, ',');
  if (fields.size() != 3) return 0;
  std::optional<uint32_t> numbers[3];
  for (int i = 0; i < 3; ++i) {
    numbers[i] = records::ParseField32(fields[i]);
    if (!numbers[i]) return 0;
  }
  record->mode = static_cast<INT>(*numbers[0]);
  record->frequency = static_cast<SHORT>(*numbers[1]);
  record->angle = static_cast<SHORT>(*numbers[2]);
  return 1;
}

std::string FormatHalftoneRecord(const HalftoneSetting& record) {
  if (record.mode != 0) return std::to_string(record.mode) + ",0,0";
  return std::to_string(record.mode) + "," + std::to_string(record.frequency) + "," + std::to_string(record.angle);
}
