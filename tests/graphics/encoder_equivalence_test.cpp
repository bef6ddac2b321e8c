// The encoders scan several bytes at a time for speed. Here each is compared,
// byte for byte and on its return value, with a plain one-byte-at-a-time
// version of the same rules, over rows built to hit every branch: runs and
// zero stretches of all lengths, tight capacities, line breaks at every offset.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "graphics/encode/encoders.h"

namespace {

using Bytes = std::vector<BYTE>;

// --- Plain versions of the rules --------------------------------------------------

Bytes PlainAsciiHex(const Bytes& data, size_t capacity) {
  static const char kDigits[] = "0123456789ABCDEF";
  Bytes out;
  const size_t count = std::min(data.size(), capacity / 2);
  int lineDigits = 0;
  for (size_t i = 0; i < count && capacity - out.size() >= 2; ++i) {
    out.push_back(static_cast<BYTE>(kDigits[data[i] >> 4]));
    out.push_back(static_cast<BYTE>(kDigits[data[i] & 15]));
    lineDigits += 2;
    if (lineDigits == 100) {
      if (out.size() == capacity) break;
      out.push_back('\n');
      lineDigits = 0;
    }
  }
  return out;
}

Bytes PlainAscii85(const Bytes& data, size_t capacity) {
  Bytes out;
  if (data.empty() || capacity < 1) return out;
  size_t line = 0;
  for (size_t at = 0; at < data.size() && capacity - out.size() >= 5; at += 4) {
    const size_t k = std::min<size_t>(4, data.size() - at);
    uint32_t v = 0;
    for (size_t j = 0; j < 4; ++j) v = v << 8 | (j < k ? data[at + j] : 0);
    size_t chars;
    if (k == 4 && v == 0) {
      out.push_back('z');
      chars = 1;
    } else {
      BYTE d[5];
      for (int j = 4; j >= 0; --j, v /= 85) d[j] = static_cast<BYTE>('!' + v % 85);
      out.insert(out.end(), d, d + k + 1);
      chars = k + 1;
    }
    line += chars;
    if (line >= 100) {
      if (out.size() == capacity) break;
      out.push_back('\n');
      line = 0;
    }
  }
  return out;
}

Bytes PlainRunLength(const Bytes& src, bool marker) {
  Bytes out;
  size_t literalStart = 0, literalLength = 0;
  auto flush = [&] {
    if (literalLength == 0) return;
    out.push_back(static_cast<BYTE>(literalLength - 1));
    out.insert(out.end(), src.begin() + static_cast<long>(literalStart),
               src.begin() + static_cast<long>(literalStart + literalLength));
    literalLength = 0;
  };
  size_t pos = 0;
  while (pos < src.size()) {
    size_t run = 1;
    while (pos + run < src.size() && run < 128 && src[pos + run] == src[pos]) ++run;
    if (run >= 3) {
      flush();
      out.push_back(static_cast<BYTE>(257 - run));
      out.push_back(src[pos]);
    } else {
      if (literalLength == 0) literalStart = pos;
      literalLength += run;
    }
    pos += run;
    if (literalLength >= 127 || pos >= src.size()) flush();
  }
  if (marker) out.push_back(128);
  return out;
}

// The four-state scan with the end-of-row rule for the open record.
Bytes PlainPackBits(const Bytes& row) {
  enum { kNone, kPending, kLiteral, kRepeat } state = kNone;
  Bytes out;
  size_t head = 0, length = 0;
  BYTE last = 0;
  for (size_t i = 0; i < row.size(); ++i) {
    const BYTE b = row[i];
    switch (state) {
      case kNone:
        head = out.size();
        out.push_back(0);
        out.push_back(b);
        last = b;
        state = kPending;
        break;
      case kPending:
        length = 2;
        if (b == last) {
          state = kRepeat;
        } else {
          out.push_back(b);
          last = b;
          state = kLiteral;
        }
        break;
      case kLiteral:
        if (b == last && i + 1 < row.size() && row[i + 1] == b) {
          out[head] = static_cast<BYTE>(length - 2);
          head = out.size() - 1;
          out.push_back(b);
          length = 2;
          state = kRepeat;
        } else {
          out.push_back(b);
          last = b;
          if (++length == 128) {
            out[head] = 127;
            state = kNone;
          }
        }
        break;
      case kRepeat:
        if (b == last) {
          if (++length == 128) {
            out[head] = static_cast<BYTE>(-127);
            state = kNone;
          }
        } else {
          out[head] = static_cast<BYTE>(1 - static_cast<int>(length));
          head = out.size();
          out.push_back(0);
          out.push_back(b);
          last = b;
          state = kPending;
        }
        break;
    }
  }
  switch (state) {
    case kNone: break;
    case kPending:
      if (last != 0) {
        out[head] = 0;
      } else {
        out.resize(head);
      }
      break;
    case kLiteral:
      while (length > 0 && out[head + length] == 0) --length;
      if (length > 0) {
        out[head] = static_cast<BYTE>(length - 1);
        out.resize(head + 1 + length);
      } else {
        out.resize(head);
      }
      break;
    case kRepeat:
      if (last != 0) {
        out[head] = static_cast<BYTE>(1 - static_cast<int>(length));
      } else {
        out.resize(head);
      }
      break;
  }
  return out;
}

Bytes PlainDeltaRow(const Bytes& row, Bytes& seed) {
  Bytes out;
  size_t groupEnd = 0;
  size_t i = 0;
  while (i < row.size()) {
    if (row[i] == seed[i]) {
      ++i;
      continue;
    }
    const size_t start = i;
    while (i < row.size() && i - start < 8 && row[i] != seed[i]) {
      seed[i] = row[i];
      ++i;
    }
    size_t offset = start - groupEnd;
    out.push_back(static_cast<BYTE>((i - start - 1) << 5 | std::min<size_t>(offset, 31)));
    if (offset >= 31) {
      for (offset -= 31; offset >= 255; offset -= 255) out.push_back(255);
      out.push_back(static_cast<BYTE>(offset));
    }
    out.insert(out.end(), row.begin() + static_cast<long>(start), row.begin() + static_cast<long>(i));
    groupEnd = i;
  }
  return out;
}

// --- Rows that reach every branch ---------------------------------------------------

// Stretches of random length (1 to 300) of: equal bytes (often zero), random
// bytes from a small or full alphabet, or pairs; a share of rows ends in zeros.
Bytes StretchyRow(std::mt19937& rng, size_t length) {
  Bytes row;
  while (row.size() < length) {
    const size_t n = 1 + rng() % (rng() % 4 == 0 ? 300 : 12);
    switch (rng() % 4) {
      case 0: row.insert(row.end(), n, rng() % 2 ? 0 : static_cast<BYTE>(rng())); break;
      case 1:
        for (size_t k = 0; k < n; ++k) row.push_back(static_cast<BYTE>(rng() % 3));
        break;
      case 2:
        for (size_t k = 0; k < n; ++k) row.push_back(static_cast<BYTE>(rng()));
        break;
      default:
        for (size_t k = 0; k < n; k += 2) row.insert(row.end(), 2, static_cast<BYTE>(rng()));
        break;
    }
  }
  row.resize(length);
  if (rng() % 3 == 0) std::fill(row.begin() + static_cast<long>(rng() % (length + 1)), row.end(), 0);
  return row;
}

Bytes Call(DWORD (*encode)(const BYTE*, DWORD, BYTE*, DWORD), const Bytes& data, size_t capacity) {
  Bytes out(capacity + 16, 0xA5);
  const DWORD n = encode(data.data(), static_cast<DWORD>(data.size()), out.data(), static_cast<DWORD>(capacity));
  for (size_t i = capacity; i < out.size(); ++i) EXPECT_EQ(out[i], 0xA5) << "wrote past the capacity";
  out.resize(n);
  return out;
}

TEST(EncoderEquivalenceTest, TextEncodersAtEveryCapacity) {
  std::mt19937 rng(41);
  for (int trial = 0; trial < 400; ++trial) {
    Bytes data = StretchyRow(rng, 1 + rng() % 1200);
    // Zero groups at odd offsets move where the ASCII85 lines break.
    if (trial % 2) data.insert(data.begin(), 1 + rng() % 3, 7);
    const size_t full = 3 * data.size() + 64;
    for (size_t capacity : {full, size_t{1} + rng() % full, size_t{1} + rng() % 64, 2 * data.size(), data.size()}) {
      SCOPED_TRACE("trial " + std::to_string(trial) + " capacity " + std::to_string(capacity));
      ASSERT_EQ(Call(EncodeAsciiHex, data, capacity), PlainAsciiHex(data, capacity));
      ASSERT_EQ(Call(EncodeAscii85, data, capacity), PlainAscii85(data, capacity));
    }
  }
}

TEST(EncoderEquivalenceTest, RunLengthRows) {
  std::mt19937 rng(42);
  for (int trial = 0; trial < 1500; ++trial) {
    const Bytes row = StretchyRow(rng, 1 + rng() % 2000);
    const bool marker = trial % 2 == 0;
    Bytes out(2 * row.size() + 2);
    const DWORD n = EncodeRunLength(row.data(), static_cast<DWORD>(row.size()), out.data(),
                                    static_cast<DWORD>(out.size()), marker ? TRUE : FALSE);
    out.resize(n);
    ASSERT_EQ(out, PlainRunLength(row, marker)) << "trial " << trial;
  }
}

TEST(EncoderEquivalenceTest, PackBitsRows) {
  // The encoder drops every trailing zero of the row: its output is the scan of
  // the row without them. Where the end-of-row rule alone already drops them
  // all (they fit in the open record), that is the scan of the whole row.
  std::mt19937 rng(43);
  int wholeRowMatches = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    const Bytes row = StretchyRow(rng, 1 + rng() % 1500);
    Bytes out(PackBitsBound(static_cast<DWORD>(row.size())));
    out.resize(CompressPackBits(static_cast<DWORD>(row.size()), row.data(), out.data()));

    Bytes trimmed = row;
    while (!trimmed.empty() && trimmed.back() == 0) trimmed.pop_back();
    ASSERT_EQ(out, PlainPackBits(trimmed)) << "trial " << trial;

    const Bytes whole = PlainPackBits(row);
    size_t decodedLength = 0;
    for (size_t i = 0; i < whole.size();) {
      const int n = static_cast<signed char>(whole[i]);
      decodedLength += n >= 0 ? n + 1u : 1u - n;
      i += n >= 0 ? n + 2u : 2u;
    }
    if (decodedLength == trimmed.size()) {
      ASSERT_EQ(out, whole) << "trial " << trial;
      ++wholeRowMatches;
    }
  }
  EXPECT_GT(wholeRowMatches, 1000);
}

TEST(EncoderEquivalenceTest, DeltaRowRows) {
  std::mt19937 rng(44);
  for (int trial = 0; trial < 1500; ++trial) {
    const size_t length = 1 + rng() % 1500;
    Bytes seed = StretchyRow(rng, length);
    Bytes row = seed;
    // Changes in stretches of random length, from sparse to everywhere.
    const unsigned density = rng() % 8;
    for (size_t i = 0; i < length;) {
      const size_t n = 1 + rng() % 20;
      if (rng() % 8 < density) {
        for (size_t k = i; k < std::min(length, i + n); ++k) row[k] = static_cast<BYTE>(row[k] + 1 + rng() % 255);
      }
      i += n + rng() % 40;
    }
    Bytes plainSeed = seed;
    const Bytes expected = PlainDeltaRow(row, plainSeed);
    const DWORD bound = DeltaRowBound(static_cast<DWORD>(length));
    Bytes out(bound + 8, 0xA5);
    const DWORD n = CompressDeltaRow(static_cast<DWORD>(length), row.data(), seed.data(), out.data());
    for (size_t i = bound; i < out.size(); ++i) ASSERT_EQ(out[i], 0xA5) << "wrote past DeltaRowBound";
    out.resize(n);
    ASSERT_EQ(out, expected) << "trial " << trial;
    ASSERT_EQ(seed, row);
  }
}

TEST(EncoderEquivalenceTest, RasterChoiceCounts) {
  std::mt19937 rng(45);
  for (int trial = 0; trial < 2000; ++trial) {
    const size_t length = 1 + rng() % 700;
    const Bytes seed = StretchyRow(rng, length);
    Bytes row = trial % 2 ? StretchyRow(rng, length) : seed;
    for (size_t i = 0; i < length; i += 1 + rng() % 6) row[i] = static_cast<BYTE>(rng() % 3);
    const size_t seedCount = rng() % 4 == 0 ? rng() % (length + 1) : length;
    size_t s = 0, r = 0;
    for (size_t i = 0; i < seedCount; ++i) s += row[i] == seed[i];
    for (size_t i = 1; i < length; ++i) r += row[i] == row[i - 1];
    const int expected = s < r ? (r > length / 3 ? 2 : 0) : (s > length / 3 ? 3 : 0);
    ASSERT_EQ(
        ChooseRasterCompression(row.data(), static_cast<DWORD>(length), seed.data(), static_cast<DWORD>(seedCount)),
        expected)
        << "trial " << trial << " s " << s << " r " << r;
  }
}

}  // namespace
