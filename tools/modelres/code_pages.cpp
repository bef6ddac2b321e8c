#include "tools/modelres/code_pages.h"

#include <iconv.h>

#include <cerrno>
#include <utility>

namespace modelres {
namespace {

constexpr uint32_t kSixteenBitHandles = 4;

class Converter {
 public:
  Converter(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw CodePageError("iconv knows no " + to + " or " + from);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Nothing when the input has no code in the target.
  bool Convert(const std::string& in, std::string* out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string input = in;
    char* inPtr = input.data();
    size_t inLeft = input.size();
    out->assign(input.size() * 4 + 8, '\0');
    char* outPtr = out->data();
    size_t outLeft = out->size();
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
    if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
    out->resize(out->size() - outLeft);
    return true;
  }

 private:
  iconv_t cd_;
};

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

}  // namespace

std::string ToCodePage(const std::string& utf8, const std::string& codePage) {
  Converter converter(codePage, "UTF-8");
  std::string out;
  if (!converter.Convert(utf8, &out)) throw CodePageError("'" + utf8 + "' has no code in " + codePage);
  return out;
}

std::vector<uint8_t> GlyphSetBytes(const std::string& codePage) {
  Converter converter(codePage, "UTF-32LE");
  std::vector<std::pair<uint16_t, uint32_t>> mapped;  // character, printer code
  for (uint32_t ch = 0x20; ch <= 0xFFFF; ++ch) {
    if (ch == 0x7F || (ch >= 0xD800 && ch <= 0xDFFF)) continue;
    std::string in(4, '\0');
    for (int i = 0; i < 4; ++i) in[static_cast<size_t>(i)] = static_cast<char>((ch >> (8 * i)) & 0xFF);
    std::string code;
    if (!converter.Convert(in, &code) || code.empty() || code.size() > 2) continue;
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(code[i]); };
    const uint32_t value = code.size() == 1 ? byte(0) : (static_cast<uint32_t>(byte(0)) << 8) | byte(1);
    mapped.emplace_back(static_cast<uint16_t>(ch), value);
  }
  if (mapped.empty()) throw CodePageError(codePage + " maps no character");

  std::vector<std::pair<uint16_t, uint16_t>> runs;  // first character, count
  for (const auto& [ch, code] : mapped) {
    if (!runs.empty() && runs.back().first + runs.back().second == ch && runs.back().second < 0xFFFF) {
      ++runs.back().second;
    } else {
      runs.emplace_back(ch, 1);
    }
  }
  std::vector<uint8_t> out;
  Put32(out, 0);
  Put32(out, kSixteenBitHandles);
  Put32(out, static_cast<uint32_t>(mapped.size()));
  Put32(out, static_cast<uint32_t>(runs.size()));
  for (const auto& [first, count] : runs) {
    Put16(out, first);
    Put16(out, count);
    Put32(out, 0);
  }
  for (const auto& entry : mapped) Put32(out, entry.second);
  return out;
}

}  // namespace modelres
