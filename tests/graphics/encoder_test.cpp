// The job-stream encoders: exact output on edge cases, output that never passes
// the capacity it is given (line feeds and end markers included), and the PCL
// raster methods and polyline numbers checked by decoders written here from the
// published formats, not from the encoders.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "graphics/encode/encoders.h"

namespace {

using Bytes = std::vector<BYTE>;

constexpr BYTE kGuard = 0xA5;
constexpr size_t kGuardBytes = 16;

Bytes Repeat(size_t n, BYTE value) { return Bytes(n, value); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes RandomBytes(size_t n, unsigned seed, int alphabet = 256) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> pick(0, alphabet - 1);
  Bytes b(n);
  for (BYTE& v : b) v = static_cast<BYTE>(pick(rng));
  return b;
}

// A buffer of `capacity` bytes followed by guard bytes that must survive.
struct GuardedBuffer {
  explicit GuardedBuffer(size_t capacity) : size(capacity), storage(capacity + kGuardBytes, kGuard) {}
  BYTE* data() { return storage.data(); }
  bool GuardIntact() const {
    for (size_t i = size; i < storage.size(); ++i) {
      if (storage[i] != kGuard) return false;
    }
    return true;
  }
  Bytes Prefix(size_t n) const { return Bytes(storage.begin(), storage.begin() + static_cast<long>(n)); }
  size_t size;
  Bytes storage;
};

std::string AsText(const Bytes& b) { return std::string(b.begin(), b.end()); }

std::string Hex(const Bytes& data, DWORD capacity) {
  GuardedBuffer out(capacity);
  const DWORD n = EncodeAsciiHex(data.data(), static_cast<DWORD>(data.size()), out.data(), capacity);
  EXPECT_TRUE(out.GuardIntact());
  return AsText(out.Prefix(n));
}

std::string A85(const Bytes& data, DWORD capacity) {
  GuardedBuffer out(capacity);
  const DWORD n = EncodeAscii85(data.data(), static_cast<DWORD>(data.size()), out.data(), capacity);
  EXPECT_TRUE(out.GuardIntact());
  return AsText(out.Prefix(n));
}

Bytes RunLength(const Bytes& data, DWORD capacity, bool marker) {
  GuardedBuffer out(capacity);
  const DWORD n = EncodeRunLength(data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()), out.data(),
                                  capacity, marker ? TRUE : FALSE);
  EXPECT_TRUE(out.GuardIntact());
  return out.Prefix(n);
}

// --- Decoders written from the published formats ---------------------------

// RunLengthDecode: length byte n 0-127 copies n + 1 bytes, 129-255 repeats the
// next byte 257 - n times, 128 ends the data.
Bytes DecodeRunLength(const Bytes& encoded, bool* sawEnd = nullptr) {
  Bytes out;
  size_t i = 0;
  if (sawEnd) *sawEnd = false;
  while (i < encoded.size()) {
    const BYTE n = encoded[i++];
    if (n == 128) {
      if (sawEnd) *sawEnd = true;
      break;
    }
    if (n < 128) {
      out.insert(out.end(), encoded.begin() + static_cast<long>(i), encoded.begin() + static_cast<long>(i + n + 1));
      i += n + 1;
    } else {
      out.insert(out.end(), static_cast<size_t>(257 - n), encoded.at(i));
      ++i;
    }
  }
  return out;
}

// TIFF PackBits as PCL method 2: header n (signed) 0..127 copies n + 1 bytes,
// -1..-127 repeats the next byte 1 - n times, -128 does nothing. The printer
// fills the row up to its length with zeros.
Bytes DecodePackBits(const Bytes& encoded, size_t rowLength) {
  Bytes out;
  size_t i = 0;
  while (i < encoded.size()) {
    const int n = static_cast<signed char>(encoded[i++]);
    if (n >= 0) {
      for (int k = 0; k <= n; ++k) out.push_back(encoded.at(i++));
    } else if (n != -128) {
      const BYTE b = encoded.at(i++);
      out.insert(out.end(), static_cast<size_t>(1 - n), b);
    }
  }
  EXPECT_LE(out.size(), rowLength) << "decoded past the row";
  out.resize(rowLength, 0);
  return out;
}

// PCL method 3: each command byte holds in its upper 3 bits the number of
// replacement bytes minus one and in its lower 5 bits the offset from the byte
// after the previous replacement; an offset of 31 continues in further bytes,
// added up until one below 255. Bytes not replaced come from the seed row.
Bytes DecodeDeltaRow(const Bytes& encoded, const Bytes& seed) {
  Bytes row = seed;
  size_t at = 0;
  size_t i = 0;
  while (i < encoded.size()) {
    const BYTE command = encoded[i++];
    const size_t replace = (command >> 5) + 1;
    size_t offset = command & 31;
    if (offset == 31) {
      BYTE more;
      do {
        more = encoded.at(i++);
        offset += more;
      } while (more == 255);
    }
    at += offset;
    for (size_t k = 0; k < replace; ++k) row.at(at++) = encoded.at(i++);
  }
  return row;
}

// HP-GL/2 PE base 64: least significant digit first; 63-126 carry 6 bits and
// continue, 191-254 carry the last 6 bits. The low bit of the result is the sign.
long long DecodePolylineNumber(const BYTE* text, int* digits) {
  unsigned long long v = 0;
  int shift = 0;
  int i = 0;
  for (;; ++i) {
    const BYTE d = text[i];
    if (d >= 63 && d <= 126) {
      v |= static_cast<unsigned long long>(d - 63) << shift;
      shift += 6;
    } else if (d >= 191 && d <= 254) {
      v |= static_cast<unsigned long long>(d - 191) << shift;
      break;
    } else {
      ADD_FAILURE() << "not a base-64 digit: " << int(d);
      return 0;
    }
  }
  *digits = i + 1;
  const long long magnitude = static_cast<long long>(v >> 1);
  return (v & 1) ? -magnitude : magnitude;
}

// --- ASCIIHex ----------------------------------------------------------------

TEST(AsciiHexTest, DigitsAndLineFeeds) {
  struct Case {
    const char* name;
    Bytes input;
    std::string expected;
  };
  const std::string line100 = std::string(100, 'F');
  const Case cases[] = {
      {"empty", {}, ""},
      {"upper-case digits", {0x00, 0xAB, 0x0F, 0x90}, "00AB0F90"},
      {"50 bytes fill a line and end it", Repeat(50, 0xFF), line100 + "\n"},
      {"51 bytes start a second line", Repeat(51, 0xFF), line100 + "\nFF"},
      {"100 bytes give two full lines", Repeat(100, 0xFF), line100 + "\n" + line100 + "\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hex(c.input, 4096), c.expected) << c.name;
  }
}

TEST(AsciiHexTest, NullPointersWriteNothing) {
  BYTE out[8] = {};
  const BYTE in[2] = {1, 2};
  EXPECT_EQ(EncodeAsciiHex(nullptr, 2, out, 8), 0u);
  EXPECT_EQ(EncodeAsciiHex(in, 2, nullptr, 8), 0u);
}

TEST(AsciiHexTest, WriterPieceFillsTheEncoderBufferExactly) {
  // The output writer cuts hex data into pieces of 1,014 bytes for its
  // 2,048-byte encoder buffer: 2,028 digits and 20 line feeds.
  const Bytes piece = RandomBytes(1014, 1);
  const std::string text = Hex(piece, 2048);
  ASSERT_EQ(text.size(), 2048u);
  size_t lineStart = 0;
  for (int line = 0; line < 20; ++line) {
    EXPECT_EQ(text[lineStart + 100], '\n') << "line " << line;
    lineStart += 101;
  }
  EXPECT_EQ(text.find('\n', lineStart), std::string::npos);
  EXPECT_EQ(text.size() - lineStart, 28u);
}

TEST(AsciiHexTest, CapacityIsNeverPassedAndCutsFallBetweenBytes) {
  // Line feeds count against the capacity: with capacity 2 x count the full
  // text needs count / 50 more bytes, which must be cut, not written past.
  for (const size_t count : {0u, 1u, 49u, 50u, 51u, 100u, 101u, 150u}) {
    const Bytes data = RandomBytes(count, static_cast<unsigned>(count) + 7);
    const std::string full = Hex(data, 4096);
    for (DWORD capacity = 0; capacity <= full.size() + 2; ++capacity) {
      SCOPED_TRACE("count " + std::to_string(count) + " capacity " + std::to_string(capacity));
      const std::string got = Hex(data, capacity);  // checks the guard
      ASSERT_LE(got.size(), capacity);
      ASSERT_EQ(full.compare(0, got.size(), got), 0) << "not a prefix of the full text";
      if (capacity >= full.size()) {
        EXPECT_EQ(got, full);
      } else {
        // Maximal: the next unit (a line feed or a byte's two digits) does not fit.
        const size_t next = full[got.size()] == '\n' ? 1 : 2;
        EXPECT_GT(next, capacity - got.size());
        EXPECT_EQ(std::count_if(got.begin(), got.end(), [](char ch) { return ch != '\n'; }) % 2, 0);
      }
    }
  }
}

// --- ASCII85 -------------------------------------------------------------------

TEST(Ascii85Test, GroupsAndZeroShorthand) {
  struct Case {
    const char* name;
    Bytes input;
    std::string expected;
  };
  const Case cases[] = {
      {"a full group", Text("Man "), "9jqo^"},
      {"a full zero group is z", Repeat(4, 0), "z"},
      {"three zero bytes are four digits, never z", Repeat(3, 0), "!!!!"},
      {"seven zero bytes", Repeat(7, 0), "z!!!!"},
      {"z then a partial group", {0, 0, 0, 0, 1}, "z!<"},
      {"all ones", Repeat(4, 0xFF), "s8W-!"},
      {"one byte gives two characters", {0xFF}, "rr"},
      {"five bytes", Text("sure."), "F*2M7/c"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(A85(c.input, 4096), c.expected) << c.name;
  }
}

TEST(Ascii85Test, GroupGivesCountPlusOneCharacters) {
  const BYTE nonzero[4] = {0x12, 0x34, 0x56, 0x78};
  const BYTE zeros[4] = {};
  BYTE out[8];
  for (DWORD count = 1; count <= 4; ++count) {
    EXPECT_EQ(EncodeAscii85Group(nonzero, count, out), count + 1);
    EXPECT_EQ(EncodeAscii85Group(zeros, count, out), count == 4 ? 1u : count + 1);
  }
  std::memset(out, kGuard, sizeof out);
  EXPECT_EQ(EncodeAscii85Group(nonzero, 0, out), 0u);
  EXPECT_EQ(EncodeAscii85Group(nonzero, 5, out), 0u);
  EXPECT_EQ(out[0], kGuard);
}

TEST(Ascii85Test, RefusesEmptyInputAndNoRoom) {
  const BYTE in[4] = {1, 2, 3, 4};
  BYTE out[8] = {};
  EXPECT_EQ(EncodeAscii85(nullptr, 4, out, 8), 0u);
  EXPECT_EQ(EncodeAscii85(in, 4, nullptr, 8), 0u);
  EXPECT_EQ(EncodeAscii85(in, 0, out, 8), 0u);
  EXPECT_EQ(EncodeAscii85(in, 4, out, 0), 0u);
  EXPECT_EQ(EncodeAscii85(in, 1, out, 4), 0u) << "a group is taken only with 5 characters of room";
}

TEST(Ascii85Test, LineFeedWhenALineReachesOneHundred) {
  const Bytes nonzero = Repeat(4, 0x41);
  const Bytes zero = Repeat(4, 0);
  struct Case {
    const char* name;
    Bytes input;
    std::vector<size_t> lineLengths;  // characters before each line feed
    size_t tail;                      // characters after the last one
  };
  std::vector<Bytes> twenty(20, nonzero);
  Bytes twentyGroups;
  for (const Bytes& g : twenty) twentyGroups.insert(twentyGroups.end(), g.begin(), g.end());
  Bytes nineteenThenZ;
  for (int i = 0; i < 19; ++i) nineteenThenZ.insert(nineteenThenZ.end(), nonzero.begin(), nonzero.end());
  nineteenThenZ.insert(nineteenThenZ.end(), zero.begin(), zero.end());
  const Case cases[] = {
      {"twenty groups make 100 characters", twentyGroups, {100}, 0},
      {"nineteen groups and a z stay on the line", nineteenThenZ, {}, 96},
      {"the next group ends a 101-character line", Concat({nineteenThenZ, nonzero, nonzero}), {101}, 5},
      {"four z make 104", Concat({nineteenThenZ, zero, zero, zero, nonzero, nonzero}), {104}, 5},
      {"a short last group counts its characters", Concat({twentyGroups, {1}}), {100}, 2},
  };
  for (const Case& c : cases) {
    const std::string text = A85(c.input, 4096);
    std::vector<size_t> lengths;
    size_t start = 0;
    for (size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', start)) {
      lengths.push_back(lf - start);
      start = lf + 1;
    }
    EXPECT_EQ(lengths, c.lineLengths) << c.name;
    EXPECT_EQ(text.size() - start, c.tail) << c.name;
  }
}

TEST(Ascii85Test, WriterPieceFitsTheEncoderBuffer) {
  // The output writer's ASCII85 pieces: 1,596 bytes give 1,995 characters and
  // 19 line feeds in its 2,048-byte buffer.
  const Bytes piece = RandomBytes(1596, 3, 255);
  Bytes nonzeroPiece = piece;
  for (BYTE& b : nonzeroPiece) b = static_cast<BYTE>(b | 1);
  const std::string text = A85(nonzeroPiece, 2048);
  EXPECT_EQ(text.size(), 1995u + 19u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 19);
}

TEST(Ascii85Test, CapacityIsNeverPassedAndCutsFallBetweenGroups) {
  for (const size_t count : {1u, 4u, 7u, 80u, 81u, 84u, 200u}) {
    Bytes data = RandomBytes(count, static_cast<unsigned>(count));
    if (count >= 8) std::fill(data.begin() + 4, data.begin() + 8, 0);  // one "z"
    const std::string full = A85(data, 4096);
    for (DWORD capacity = 1; capacity <= full.size() + 2; ++capacity) {
      SCOPED_TRACE("count " + std::to_string(count) + " capacity " + std::to_string(capacity));
      const std::string got = A85(data, capacity);  // checks the guard
      ASSERT_LE(got.size(), capacity);
      ASSERT_EQ(full.compare(0, got.size(), got), 0) << "not a prefix of the full text";
      if (capacity >= full.size() + 4) {
        EXPECT_EQ(got, full);
      } else if (got.size() < full.size()) {
        // Cut only where the rule stops: no room for a line feed, or less than 5
        // characters left for the next group.
        const bool nextIsLineFeed = full[got.size()] == '\n';
        EXPECT_TRUE(nextIsLineFeed ? got.size() == capacity : capacity - got.size() < 5);
      }
    }
  }
}

// --- RunLengthDecode form ----------------------------------------------------

TEST(RunLengthTest, RunsLiteralsAndMarker) {
  const BYTE a = 0x41, b = 0x42;
  struct Case {
    const char* name;
    Bytes input;
    bool marker;
    Bytes expected;
  };
  Bytes distinct200(200);
  for (size_t i = 0; i < distinct200.size(); ++i) distinct200[i] = static_cast<BYTE>(i);
  const Case cases[] = {
      {"one byte", {a}, false, {0, a}},
      {"two equal bytes stay literal", {a, a}, false, {1, a, a}},
      {"three equal bytes are a run", Repeat(3, a), false, {254, a}},
      {"127", Repeat(127, a), false, {130, a}},
      {"128", Repeat(128, a), false, {129, a}},
      {"129", Repeat(129, a), false, {129, a, 0, a}},
      {"130: a run of 128 and a literal of 2", Repeat(130, a), false, {129, a, 1, a, a}},
      {"run at the start", {a, a, a, b}, false, {254, a, 0, b}},
      {"run at the end", {b, a, a, a}, false, {0, b, 254, a}},
      {"literal around pairs", {a, b, b, a}, false, {3, a, b, b, a}},
      {"the end marker follows", {a}, true, {0, a, 128}},
      {"marker alone", {}, true, {128}},
      {"nothing at all", {}, false, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RunLength(c.input, 1024, c.marker), c.expected) << c.name;
  }
  // Distinct bytes: the literal is cut as soon as it holds 127 bytes.
  const Bytes encoded = RunLength(distinct200, 1024, false);
  ASSERT_EQ(encoded.size(), 202u);
  EXPECT_EQ(encoded[0], 126);
  EXPECT_EQ(encoded[128], 72);
  EXPECT_EQ(DecodeRunLength(encoded), distinct200);
}

TEST(RunLengthTest, RefusesNoDestination) {
  const BYTE in[3] = {1, 1, 1};
  BYTE out[4] = {};
  EXPECT_EQ(EncodeRunLength(in, 3, nullptr, 4, TRUE), 0u);
  EXPECT_EQ(EncodeRunLength(in, 3, out, 0, TRUE), 0u);
}

TEST(RunLengthTest, RoundTripsWithinTwiceTheRowLength) {
  // Callers give twice the row length; the worst cases must fit and decode back.
  Bytes alternating(1000);
  for (size_t i = 0; i < alternating.size(); ++i) alternating[i] = (i & 1) ? 0xAA : 0x55;
  const Bytes rows[] = {
      // clang-format off
      RandomBytes(1000, 11), alternating, RandomBytes(1000, 12, 2), RandomBytes(2, 13),
      // clang-format on
      Concat({Repeat(2, 9), Repeat(1, 8), Repeat(2, 9), Repeat(500, 0), RandomBytes(300, 14, 3)}),
  };
  for (const Bytes& row : rows) {
    const Bytes encoded = RunLength(row, static_cast<DWORD>(2 * row.size()), false);
    EXPECT_EQ(DecodeRunLength(encoded), row);
  }
}

TEST(RunLengthTest, CapacityIsNeverPassedAndCutsFallBetweenRecords) {
  const Bytes data = Concat({RandomBytes(150, 21), Repeat(140, 7), RandomBytes(20, 22, 2)});
  const Bytes full = RunLength(data, 4096, true);
  ASSERT_EQ(full.back(), 128);
  for (DWORD capacity = 1; capacity <= full.size() + 1; ++capacity) {
    SCOPED_TRACE("capacity " + std::to_string(capacity));
    const Bytes got = RunLength(data, capacity, true);  // checks the guard
    ASSERT_LE(got.size(), capacity);
    ASSERT_TRUE(std::equal(got.begin(), got.end(), full.begin())) << "not a prefix of the full output";
    if (capacity >= full.size()) {
      EXPECT_EQ(got, full);
      continue;
    }
    // Whole records only, and the next one would not have fitted.
    const BYTE head = full[got.size()];
    const size_t next = head < 128 ? head + 2u : head > 128 ? 2u : 1u;
    EXPECT_GT(next, capacity - got.size());
    bool sawEnd = false;
    const Bytes decoded = DecodeRunLength(got, &sawEnd);
    EXPECT_FALSE(sawEnd) << "the marker must not end cut data";
    ASSERT_LE(decoded.size(), data.size());
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), data.begin()));
  }
}

// --- PackBits (PCL method 2) -----------------------------------------------------

Bytes PackBits(const Bytes& row) {
  GuardedBuffer out(PackBitsBound(static_cast<DWORD>(row.size())));
  const DWORD n = CompressPackBits(static_cast<DWORD>(row.size()), row.data(), out.data());
  EXPECT_LE(n, out.size);
  EXPECT_TRUE(out.GuardIntact()) << "wrote past PackBitsBound";
  return out.Prefix(n);
}

TEST(PackBitsTest, StateMachineOutput) {
  const BYTE x = 0x58, y = 0x59, z = 0x5A, w = 0x57;
  struct Case {
    const char* name;
    Bytes row;
    Bytes expected;
  };
  Bytes distinct129(129);
  for (size_t i = 0; i < distinct129.size(); ++i) distinct129[i] = static_cast<BYTE>(i + 1);
  const Case cases[] = {
      {"empty row", {}, {}},
      {"all zero row", Repeat(64, 0), {}},
      // Trailing zeros go even where the scan closed them in runs of 128.
      {"blank 600 dpi row", Repeat(638, 0), {}},
      {"a byte then a blank rest", Concat({{x}, Repeat(400, 0)}), {0, x}},
      {"X X Y Z", {x, x, y, z}, {0xFF, x, 1, y, z}},
      {"Y Z W W W", {y, z, w, w, w}, {1, y, z, 0xFE, w}},
      {"two equal bytes inside a literal do not break it", {x, y, z, z, w}, {4, x, y, z, z, w}},
      {"one byte", {x}, {0, x}},
      {"one zero byte", {0}, {}},
      {"run of 127", Repeat(127, x), {0x82, x}},
      {"run of 128", Repeat(128, x), {0x81, x}},
      {"run of 129", Repeat(129, x), {0x81, x, 0, x}},
      {"run of 130", Repeat(130, x), {0x81, x, 0xFF, x}},
      {"literal trailing zeros dropped", {x, y, 0, 0}, {1, x, y}},
      {"zero run at the end dropped", {x, 0, 0, 0}, {0, x}},
      {"zero run inside kept", {0, 0, 0, x}, {0xFE, 0, 0, x}},
      {"pending zero dropped", {x, x, 0}, {0xFF, x}},
      {"literal of 128 closes", Bytes(distinct129.begin(), distinct129.end() - 1),
       Concat({{127}, Bytes(distinct129.begin(), distinct129.end() - 1)})},
      {"literal of 129", distinct129, Concat({{127}, Bytes(distinct129.begin(), distinct129.end() - 1), {0, 129}})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PackBits(c.row), c.expected) << c.name;
  }
}

TEST(PackBitsTest, DecodesBackWithinTheBound) {
  // Small alphabets make runs of every length; zero-heavy rows exercise the
  // dropping of trailing zeros, which the decoder restores from the row length.
  std::vector<Bytes> rows;
  for (unsigned seed = 0; seed < 300; ++seed) {
    const size_t length = 1 + (seed * 37) % 700;
    rows.push_back(RandomBytes(length, seed, 2 + static_cast<int>(seed % 5)));
  }
  rows.push_back(RandomBytes(638, 1000));
  rows.push_back(Concat({RandomBytes(300, 1001), Repeat(338, 0)}));
  for (int run : {1, 2, 3, 127, 128, 129, 255, 256, 257}) {
    rows.push_back(Concat({Repeat(static_cast<size_t>(run), 0x33), {1, 2}, Repeat(static_cast<size_t>(run), 0x44)}));
  }
  for (const Bytes& row : rows) {
    const Bytes encoded = PackBits(row);
    ASSERT_EQ(DecodePackBits(encoded, row.size()), row) << "row of " << row.size();
  }
}

// --- Delta row (PCL method 3) ----------------------------------------------------

struct DeltaResult {
  Bytes encoded;
  Bytes seedAfter;
};

DeltaResult DeltaRow(const Bytes& row, const Bytes& seed) {
  GuardedBuffer out(DeltaRowBound(static_cast<DWORD>(row.size())));
  DeltaResult r;
  r.seedAfter = seed;
  const DWORD n = CompressDeltaRow(static_cast<DWORD>(row.size()), row.data(), r.seedAfter.data(), out.data());
  EXPECT_LE(n, out.size);
  EXPECT_TRUE(out.GuardIntact()) << "wrote past DeltaRowBound";
  r.encoded = out.Prefix(n);
  return r;
}

TEST(DeltaRowTest, CommandsAndOffsets) {
  const Bytes seed = Repeat(600, 0x10);
  auto changed = [&](std::initializer_list<size_t> positions) {
    Bytes row = seed;
    for (size_t p : positions) row[p] = static_cast<BYTE>(0x80 + p % 64);
    return row;
  };
  struct Case {
    const char* name;
    Bytes row;
    Bytes expected;
  };
  const Case cases[] = {
      {"row equal to seed", seed, {}},
      {"change at byte 40", changed({40}), {31, 9, 0x80 + 40}},
      {"change at byte 0", changed({0}), {0x00, 0x80}},
      {"offset 30", changed({30}), {30, 0x80 + 30}},
      {"offset 31 takes an extra 0", changed({31}), {31, 0, 0x80 + 31}},
      {"offset 285", changed({285}), {31, 254, 0x80 + 285 % 64}},
      {"offset 286 takes 255 then 0", changed({286}), {31, 255, 0, 0x80 + 286 % 64}},
      {"eight changes in one command",
       changed({0, 1, 2, 3, 4, 5, 6, 7}),
       {0xE0, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87}},
      {"the ninth starts a new command at offset 0",
       changed({0, 1, 2, 3, 4, 5, 6, 7, 8}),
       {0xE0, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x00, 0x88}},
      {"offsets count from the end of the previous group", changed({2, 3, 10}), {0x22, 0x82, 0x83, 6, 0x8A}},
      {"change at the last byte", changed({599}), {31, 255, 255, 58, 0x80 + 599 % 64}},
  };
  for (const Case& c : cases) {
    const DeltaResult r = DeltaRow(c.row, seed);
    EXPECT_EQ(r.encoded, c.expected) << c.name;
    EXPECT_EQ(r.seedAfter, c.row) << c.name << ": the seed must become the row";
  }
}

TEST(DeltaRowTest, DecodesBackAgainstTheSeedWithinTheBound) {
  std::mt19937 rng(5);
  for (int trial = 0; trial < 300; ++trial) {
    const size_t length = 1 + static_cast<size_t>(trial * 53) % 900;
    Bytes seed = RandomBytes(length, static_cast<unsigned>(trial), 4);
    Bytes row = seed;
    // Change a share of the bytes that goes from none to all.
    const int share = trial % 11;
    for (BYTE& b : row) {
      if (static_cast<int>(rng() % 10) < share) b = static_cast<BYTE>(b + 1 + rng() % 255);
    }
    const DeltaResult r = DeltaRow(row, seed);
    ASSERT_EQ(DecodeDeltaRow(r.encoded, seed), row) << "trial " << trial;
    ASSERT_EQ(r.seedAfter, row);
  }
}

TEST(DeltaRowTest, SuccessiveRowsAgainstTheUpdatedSeed) {
  // The printer keeps its own seed: decoding each row against the previous
  // decoded row must follow the page.
  Bytes seed(638, 0), printerSeed(638, 0);
  for (int line = 0; line < 50; ++line) {
    Bytes row = RandomBytes(638, 100 + static_cast<unsigned>(line), 3);
    for (size_t i = 0; i < row.size(); i += 7) row[i] = 0;
    GuardedBuffer out(DeltaRowBound(638));
    const DWORD n = CompressDeltaRow(638, row.data(), seed.data(), out.data());
    printerSeed = DecodeDeltaRow(out.Prefix(n), printerSeed);
    ASSERT_EQ(printerSeed, row) << "line " << line;
    ASSERT_TRUE(out.GuardIntact());
  }
}

// --- Choice of method -------------------------------------------------------------

TEST(RasterChoiceTest, PicksTheMethodTheRowFavours) {
  const Bytes seed = RandomBytes(90, 31);
  Bytes runs(90);
  for (size_t i = 0; i < runs.size(); ++i) runs[i] = static_cast<BYTE>(0x20 + i / 30);
  Bytes mostlySeed = seed;
  for (size_t i = 0; i < 20; ++i) mostlySeed[i * 4] ^= 0xFF;
  // r = 30 exactly count / 3 (not above); s = 0.
  Bytes thirdRuns(90);
  for (size_t i = 0; i < 60; ++i) thirdRuns[i] = static_cast<BYTE>(0x90 + i / 2);
  for (size_t i = 60; i < 90; ++i) thirdRuns[i] = static_cast<BYTE>(0x20 + i);
  Bytes thirdRunsPlusOne = thirdRuns;
  thirdRunsPlusOne[61] = thirdRunsPlusOne[60];
  // Ties go to method 3: a constant row equal to a constant seed.
  const Bytes constant = Repeat(90, 0x77);

  auto r = [](const Bytes& b) { return static_cast<DWORD>(b.size()); };
  struct Case {
    const char* name;
    const Bytes& row;
    const Bytes* seedRow;
    DWORD seedCount;
    int expected;
  };
  const Case cases[] = {
      {"row equal to its seed", seed, &seed, r(seed), 3},
      {"mostly the seed", mostlySeed, &seed, r(seed), 3},
      {"long runs, seed unlike", runs, &seed, r(seed), 2},
      {"noise", RandomBytes(90, 33), &seed, r(seed), 0},
      {"repeats exactly a third", thirdRuns, &seed, r(seed), 0},
      {"repeats one above a third", thirdRunsPlusOne, &seed, r(seed), 2},
      {"tie goes to delta row", constant, &constant, r(constant), 3},
      {"no seed never gives 3", seed, &seed, 0, 0},
      {"no seed, runs give 2", constant, nullptr, 0, 2},
      {"a short seed counts only its bytes", seed, &seed, 30, 0},
      {"a short seed over a third", seed, &seed, 31, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseRasterCompression(c.row.data(), r(c.row), c.seedRow ? c.seedRow->data() : nullptr, c.seedCount),
              c.expected)
        << c.name;
  }
}

// --- Polyline-encoded numbers -----------------------------------------------------

TEST(PolylineNumberTest, PublishedDigits) {
  struct Case {
    int32_t value;
    Bytes digits;
  };
  const Case cases[] = {
      {0, {191}}, {1, {193}}, {-1, {194}}, {31, {253}}, {32, {63, 192}}, {-32, {64, 192}},
  };
  for (const Case& c : cases) {
    BYTE out[kPolylineNumberMaxBytes + 1];
    std::memset(out, kGuard, sizeof out);
    const int last = EncodePolylineNumber(c.value, out);
    EXPECT_EQ(last, static_cast<int>(c.digits.size()) - 1) << c.value;
    EXPECT_EQ(Bytes(out, out + c.digits.size()), c.digits) << c.value;
    EXPECT_EQ(out[c.digits.size()], 0) << c.value;
  }
}

TEST(PolylineNumberTest, DecodesBackOverTheWholeRange) {
  std::vector<int32_t> values = {INT32_MIN, INT32_MIN + 1, INT32_MAX, -1024, 1023, 1024, -33, 33, 2047, 2048};
  std::mt19937 rng(9);
  for (int i = 0; i < 2000; ++i) values.push_back(static_cast<int32_t>(rng()));
  for (int32_t value : values) {
    BYTE out[kPolylineNumberMaxBytes + 4];
    std::memset(out, kGuard, sizeof out);
    const int last = EncodePolylineNumber(value, out);
    int digits = 0;
    ASSERT_EQ(DecodePolylineNumber(out, &digits), value);
    ASSERT_EQ(last, digits - 1);
    ASSERT_EQ(out[digits], 0);
    ASSERT_LE(static_cast<DWORD>(digits + 1), kPolylineNumberMaxBytes);
    ASSERT_EQ(out[kPolylineNumberMaxBytes], kGuard);
  }
}

}  // namespace
