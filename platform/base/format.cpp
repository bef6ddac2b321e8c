#include "platform/base/format.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/codepage.h"
#include "platform/base/text_cut.h"

namespace platform {
namespace {

// The window library's formatter never writes more than this, terminator included.
constexpr size_t kMaxOutput = 1024;

enum class Size { Default, Short, Long };

struct Spec {
  bool left = false;
  bool zero = false;
  bool alternate = false;
  int width = 0;
  int precision = -1;  // none
  Size size = Size::Default;
};

template <class Ch>
class Formatter {
 public:
  using String = std::basic_string<Ch>;
  using View = std::basic_string_view<Ch>;

  // Runs the format; the result is kept to a little more than the limit, so the
  // final cut can still see whether a character straddles it.
  String Run(const Ch* format, va_list& arguments) {
    for (const Ch* p = format; *p && !Full();) {
      if (*p != Ch('%')) {
        out_.push_back(*p++);
        continue;
      }
      ++p;
      if (*p == Ch('%')) {
        out_.push_back(*p++);
        continue;
      }
      Spec spec;
      for (;; ++p) {
        // clang-format off
        if (*p == Ch('-')) spec.left = true;
        else if (*p == Ch('0')) spec.zero = true;
        else if (*p == Ch('#')) spec.alternate = true;
        else break;
        // clang-format on
      }
      if (*p == Ch('*')) {
        spec.width = va_arg(arguments, int);
        if (spec.width < 0) {
          spec.left = true;
          spec.width = spec.width == INT32_MIN ? 0 : -spec.width;
        }
        ++p;
      } else {
        spec.width = ReadNumber(p);
      }
      if (*p == Ch('.')) {
        ++p;
        if (*p == Ch('*')) {
          spec.precision = va_arg(arguments, int);
          if (spec.precision < 0) spec.precision = -1;
          ++p;
        } else {
          spec.precision = ReadNumber(p);
        }
      }
      if (*p == Ch('l') || *p == Ch('w')) {
        spec.size = Size::Long;
        ++p;
      } else if (*p == Ch('h')) {
        spec.size = Size::Short;
        ++p;
      }
      if (!*p) break;
      Convert(*p++, spec, arguments);
    }
    return std::move(out_);
  }

 private:
  static constexpr bool kWide = sizeof(Ch) == 2;

  bool Full() const { return out_.size() > kMaxOutput; }

  // Widths beyond the output limit mean the same as the limit.
  static int ReadNumber(const Ch*& p) {
    int value = 0;
    for (; *p >= Ch('0') && *p <= Ch('9'); ++p) {
      if (value < 100000) value = value * 10 + (*p - Ch('0'));
    }
    return value;
  }

  void Pad(size_t count, Ch fill) {
    count = std::min(count, kMaxOutput + 1);
    out_.append(count, fill);
  }

  // Text with its width: blanks (or zeros) on the left, or blanks on the right.
  void Field(View text, const Spec& spec) {
    size_t padding = spec.width > 0 && size_t(spec.width) > text.size() ? size_t(spec.width) - text.size() : 0;
    if (!spec.left) Pad(padding, spec.zero ? Ch('0') : Ch(' '));
    out_.append(text.substr(0, kMaxOutput + 1));
    if (spec.left) Pad(padding, Ch(' '));
  }

  void Text(View text, const Spec& spec) {
    if (spec.precision >= 0) text = text.substr(0, CutPoint(text, size_t(spec.precision)));
    Field(text, spec);
  }

  // ANSI or wide text from an argument, in this formatter's kind of characters.
  void NarrowArgument(const char* text, const Spec& spec) {
    if (!text) text = "(null)";
    if constexpr (kWide)
      Text(ToUtf16(text), spec);
    else
      Text(text, spec);
  }
  void WideArgument(const char16_t* text, const Spec& spec) {
    if (!text) text = u"(null)";
    if constexpr (kWide)
      Text(text, spec);
    else
      Text(FromUtf16(text), spec);
  }

  void Number(uint64_t magnitude, bool negative, unsigned base, bool upper, const Spec& spec) {
    const char* digitSet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    String digits;
    for (uint64_t v = magnitude; v != 0; v /= base) digits.insert(digits.begin(), Ch(digitSet[v % base]));
    if (spec.precision < 0 && digits.empty()) digits.push_back(Ch('0'));
    if (spec.precision > 0 && digits.size() < size_t(spec.precision)) {
      digits.insert(digits.begin(), size_t(spec.precision) - digits.size(), Ch('0'));
    }
    String prefix;
    if (negative) prefix.push_back(Ch('-'));
    if (spec.alternate && base == 16) {
      prefix.push_back(Ch('0'));
      prefix.push_back(upper ? Ch('X') : Ch('x'));
    }
    size_t length = prefix.size() + digits.size();
    size_t padding = spec.width > 0 && size_t(spec.width) > length ? size_t(spec.width) - length : 0;
    // Zeros go between the sign or prefix and the digits; a precision turns them off, as in C.
    if (spec.zero && !spec.left && spec.precision < 0) {
      out_ += prefix;
      Pad(padding, Ch('0'));
      out_ += digits;
      return;
    }
    if (!spec.left) Pad(padding, Ch(' '));
    out_ += prefix;
    out_ += digits;
    if (spec.left) Pad(padding, Ch(' '));
  }

  void Convert(Ch type, const Spec& spec, va_list& arguments) {
    // "l" always means the wide form and "h" the ANSI one; without either, the
    // lower-case letter is this formatter's own kind and the capital the other.
    auto wantsWide = [&](bool capital) {
      if (spec.size == Size::Long) return true;
      if (spec.size == Size::Short) return false;
      return capital ? !kWide : kWide;
    };
    switch (type) {
      case Ch('d'):
      case Ch('i'): {
        int32_t value = va_arg(arguments, int32_t);
        if (spec.size == Size::Short) value = int16_t(value);
        uint32_t magnitude = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
        Number(magnitude, value < 0, 10, false, spec);
        break;
      }
      case Ch('u'):
      case Ch('x'):
      case Ch('X'): {
        uint32_t value = va_arg(arguments, uint32_t);
        if (spec.size == Size::Short) value = uint16_t(value);
        Number(value, false, type == Ch('u') ? 10 : 16, type == Ch('X'), spec);
        break;
      }
      case Ch('p'): {
        Spec pointer = spec;
        pointer.precision = int(sizeof(void*) * 2);
        Number(reinterpret_cast<uintptr_t>(va_arg(arguments, void*)), false, 16, true, pointer);
        break;
      }
      case Ch('c'):
      case Ch('C'): {
        int value = va_arg(arguments, int);
        Spec character = spec;
        character.precision = -1;
        if (wantsWide(type == Ch('C'))) {
          char16_t c = char16_t(value);
          if constexpr (kWide)
            Field(View(&c, 1), character);
          else
            Field(FromUtf16(std::u16string_view(&c, 1)), character);
        } else {
          char c = char(value);
          if constexpr (kWide)
            Field(ToUtf16(std::string_view(&c, 1)), character);
          else
            Field(View(&c, 1), character);
        }
        break;
      }
      case Ch('s'):
      case Ch('S'):
        if (wantsWide(type == Ch('S')))
          WideArgument(va_arg(arguments, const char16_t*), spec);
        else
          NarrowArgument(va_arg(arguments, const char*), spec);
        break;
      default:
        out_.push_back(type);  // unknown conversion: the letter itself
        break;
    }
  }

  String out_;
};

template <class Ch>
int Finish(const std::basic_string<Ch>& text, Ch* buffer) {
  size_t length = CutPoint(std::basic_string_view<Ch>(text), kMaxOutput - 1);
  std::char_traits<Ch>::copy(buffer, text.data(), length);
  buffer[length] = 0;
  return static_cast<int>(length);
}

}  // namespace
}  // namespace platform

int wvsprintfA(LPSTR buffer, LPCSTR format, va_list arguments) {
  if (!buffer) return 0;
  if (!format) {
    buffer[0] = 0;
    return 0;
  }
  va_list copy;
  va_copy(copy, arguments);
  std::string text = platform::Formatter<char>().Run(format, copy);
  va_end(copy);
  return platform::Finish(text, buffer);
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int written = wvsprintfA(buffer, format, arguments);
  va_end(arguments);
  return written;
}

int wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list arguments) {
  if (!buffer) return 0;
  if (!format) {
    buffer[0] = 0;
    return 0;
  }
  va_list copy;
  va_copy(copy, arguments);
  std::u16string text = platform::Formatter<char16_t>().Run(format, copy);
  va_end(copy);
  return platform::Finish(text, buffer);
}

int wsprintfW(LPWSTR buffer, LPCWSTR format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int written = wvsprintfW(buffer, format, arguments);
  va_end(arguments);
  return written;
}
