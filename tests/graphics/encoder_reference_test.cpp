// The PostScript text and run-length encoders checked by decoders that are not
// ours: Ghostscript's ASCII85Decode, ASCIIHexDecode and RunLengthDecode filters
// and Python's base64 and hex routines. Every input must come back byte-exact.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "graphics/encode/encoders.h"
#include "tests/support/ghostscript_run.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<BYTE>;

bool HaveTool(const char* name) {
  const std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

void WriteFile(const fs::path& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void WriteFile(const fs::path& path, const std::string& text) { WriteFile(path, Bytes(text.begin(), text.end())); }

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string AsText(const Bytes& b) { return std::string(b.begin(), b.end()); }

std::string WithoutLineFeeds(std::string text) {
  std::erase(text, '\n');
  return text;
}

// A folder of its own for the files handed to the decoders.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "zel-encoder-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// --- Inputs --------------------------------------------------------------------

Bytes RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (BYTE& v : b) v = static_cast<BYTE>(rng());
  return b;
}

// Rows of a 1-bit scanned text page: white (0) with short black strokes.
Bytes TextPageRows(size_t rows, size_t rowBytes, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes page(rows * rowBytes, 0);
  for (size_t r = 0; r < rows; ++r) {
    if (rng() % 3 == 0) continue;  // blank line between text lines
    for (size_t x = 40; x + 6 < rowBytes; x += 2 + rng() % 9) {
      page[r * rowBytes + x] = static_cast<BYTE>(rng() % 2 ? 0xFF : 0x3C);
      if (rng() % 4 == 0) page[r * rowBytes + x + 1] = 0xFF;
    }
  }
  return page;
}

struct Sample {
  std::string name;
  Bytes data;
};

std::vector<Sample> Samples() {
  std::vector<Sample> samples = {
      {"empty", {}},
      {"one byte", {0x9C}},
      {"three zeros", Bytes(3, 0)},
      {"four zeros", Bytes(4, 0)},
      {"seven zeros", Bytes(7, 0)},
      {"zeros then a byte", {0, 0, 0, 0, 0xFF}},
      {"all ones", Bytes(9, 0xFF)},
      {"random 5000", RandomBytes(5000, 1)},
      {"random 4097", RandomBytes(4097, 2)},
      {"text page", TextPageRows(40, 638, 3)},
  };
  Bytes alternating(3001);
  for (size_t i = 0; i < alternating.size(); ++i) alternating[i] = (i & 1) ? 0x00 : 0xFF;
  samples.push_back({"alternating", alternating});
  Bytes runs;
  for (size_t length : {1u, 2u, 3u, 127u, 128u, 129u, 130u, 255u, 256u, 257u}) {
    runs.insert(runs.end(), length, static_cast<BYTE>(length));
    runs.push_back(0x01);
  }
  samples.push_back({"runs of every edge length", runs});
  return samples;
}

// --- Encoding as the output writer and the image writer use the encoders ----------

// ASCII85 in the writer's pieces of 1,596 bytes through a 2,048-byte buffer, then "~>".
std::string Ascii85Stream(const Bytes& data) {
  std::string text;
  BYTE buffer[2048];
  for (size_t at = 0; at < data.size(); at += 1596) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(1596, data.size() - at));
    const DWORD n = EncodeAscii85(data.data() + at, piece, buffer, sizeof buffer);
    text.append(reinterpret_cast<const char*>(buffer), n);
  }
  return text + "~>\n";
}

// ASCIIHex in the writer's pieces of 1,014 bytes through a 2,048-byte buffer, then ">".
std::string AsciiHexStream(const Bytes& data) {
  std::string text;
  BYTE buffer[2048];
  for (size_t at = 0; at < data.size(); at += 1014) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(1014, data.size() - at));
    const DWORD n = EncodeAsciiHex(data.data() + at, piece, buffer, sizeof buffer);
    EXPECT_EQ(n, 2 * piece + 2 * piece / 100) << "a whole piece must fit the buffer";
    text.append(reinterpret_cast<const char*>(buffer), n);
  }
  return text + ">\n";
}

// Run length row by row into a buffer of twice the row length, then the end
// marker from a call with no source.
Bytes RunLengthStream(const Bytes& data, size_t rowBytes) {
  Bytes out;
  Bytes buffer(2 * rowBytes);
  for (size_t at = 0; at < data.size(); at += rowBytes) {
    const DWORD row = static_cast<DWORD>(std::min(rowBytes, data.size() - at));
    const DWORD n = EncodeRunLength(data.data() + at, row, buffer.data(), static_cast<DWORD>(buffer.size()), FALSE);
    out.insert(out.end(), buffer.begin(), buffer.begin() + n);
  }
  const DWORD n = EncodeRunLength(nullptr, 0, buffer.data(), static_cast<DWORD>(buffer.size()), TRUE);
  out.insert(out.end(), buffer.begin(), buffer.begin() + n);
  return out;
}

// --- Ghostscript ---------------------------------------------------------------

// Decodes each file through the given filter chain in one Ghostscript run and
// returns the decoded bytes.
struct GsJob {
  std::string filters;  // e.g. "/ASCII85Decode filter /RunLengthDecode filter"
  Bytes encoded;
};

std::vector<Bytes> DecodeWithGhostscript(const ScratchFolder& folder, const std::vector<GsJob>& jobs) {
  std::string program;
  for (size_t i = 0; i < jobs.size(); ++i) {
    const fs::path in = folder.path() / ("gs-in-" + std::to_string(i));
    const fs::path out = folder.path() / ("gs-out-" + std::to_string(i));
    WriteFile(in, jobs[i].encoded);
    program += "/src (" + in.string() + ") (r) file " + jobs[i].filters + " def\n";
    program += "/dst (" + out.string() + ") (w) file def\n";
    program += "{ src buf readstring exch dst exch writestring not { exit } if } loop\n";
    program += "dst closefile src closefile\n";
  }
  testsupport::GhostscriptCall call;
  call.device.clear();  // no display: the program only copies files through the filters
  call.prelude = false;
  call.safer = false;  // it opens the files named above
  const testsupport::GhostscriptRun run =
      testsupport::RunGhostscript("/buf 4096 string def\n" + program + "quit\n", call);
  EXPECT_TRUE(run.exited && run.exitCode == 0) << run.output;

  std::vector<Bytes> decoded;
  for (size_t i = 0; i < jobs.size(); ++i) decoded.push_back(ReadFile(folder.path() / ("gs-out-" + std::to_string(i))));
  return decoded;
}

class GhostscriptDecodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript (gs) is not installed";
    ASSERT_FALSE(folder_.path().empty());
  }
  ScratchFolder folder_;
};

TEST_F(GhostscriptDecodeTest, Ascii85) {
  const std::vector<Sample> samples = Samples();
  std::vector<GsJob> jobs;
  for (const Sample& s : samples) {
    const std::string text = Ascii85Stream(s.data);
    jobs.push_back({"/ASCII85Decode filter", Bytes(text.begin(), text.end())});
  }
  const std::vector<Bytes> decoded = DecodeWithGhostscript(folder_, jobs);
  for (size_t i = 0; i < samples.size(); ++i) EXPECT_EQ(decoded[i], samples[i].data) << samples[i].name;
}

TEST_F(GhostscriptDecodeTest, AsciiHex) {
  const std::vector<Sample> samples = Samples();
  std::vector<GsJob> jobs;
  for (const Sample& s : samples) {
    const std::string text = AsciiHexStream(s.data);
    jobs.push_back({"/ASCIIHexDecode filter", Bytes(text.begin(), text.end())});
  }
  const std::vector<Bytes> decoded = DecodeWithGhostscript(folder_, jobs);
  for (size_t i = 0; i < samples.size(); ++i) EXPECT_EQ(decoded[i], samples[i].data) << samples[i].name;
}

TEST_F(GhostscriptDecodeTest, RunLengthAloneAndUnderAscii85) {
  // Images send run-length rows, optionally wrapped in ASCII85, as the prolog's
  // image procedures read them.
  const std::vector<Sample> samples = Samples();
  std::vector<GsJob> jobs;
  for (const Sample& s : samples) {
    for (size_t rowBytes : {size_t{1}, size_t{2}, size_t{638}, size_t{5100}}) {
      const Bytes encoded = RunLengthStream(s.data, rowBytes);
      jobs.push_back({"/RunLengthDecode filter", encoded});
      const std::string text = Ascii85Stream(encoded);
      jobs.push_back({"/ASCII85Decode filter /RunLengthDecode filter", Bytes(text.begin(), text.end())});
    }
  }
  const std::vector<Bytes> decoded = DecodeWithGhostscript(folder_, jobs);
  for (size_t i = 0; i < jobs.size(); ++i) {
    EXPECT_EQ(decoded[i], samples[i / 8].data) << samples[i / 8].name << " job " << i;
  }
}

// --- Python ---------------------------------------------------------------------

class PythonDecodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveTool("python3")) GTEST_SKIP() << "python3 is not installed";
    ASSERT_FALSE(folder_.path().empty());
  }

  // Evaluates each job's expression over its bytes `data`, all in one Python
  // process, and returns the bytes each gives.
  struct Job {
    std::string expression;
    Bytes data;
  };
  std::vector<Bytes> Run(const std::vector<Job>& jobs) {
    std::string expressions;
    for (size_t i = 0; i < jobs.size(); ++i) {
      WriteFile(folder_.path() / ("py-in-" + std::to_string(i)), jobs[i].data);
      expressions += jobs[i].expression + "\n";
    }
    WriteFile(folder_.path() / "expressions", expressions);
    const std::string script =
        "import base64, binascii, sys, pathlib\n"
        "d = pathlib.Path(sys.argv[1])\n"
        "for i, e in enumerate((d / 'expressions').read_text().splitlines()):\n"
        "    data = (d / f'py-in-{i}').read_bytes()\n"
        "    (d / f'py-out-{i}').write_bytes(eval(e))\n";
    WriteFile(folder_.path() / "run.py", script);
    const std::string command = "python3 '" + (folder_.path() / "run.py").string() + "' '" + folder_.path().string() +
                                "' > '" + (folder_.path() / "py.log").string() + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << AsText(ReadFile(folder_.path() / "py.log"));
    std::vector<Bytes> outputs;
    for (size_t i = 0; i < jobs.size(); ++i)
      outputs.push_back(ReadFile(folder_.path() / ("py-out-" + std::to_string(i))));
    return outputs;
  }

  ScratchFolder folder_;
};

TEST_F(PythonDecodeTest, Ascii85DecodesAndMatchesTheStandardEncoding) {
  // a85decode skips line feeds, expands "z" and takes a last group of k + 1
  // characters as k bytes; a85encode of the same data must equal our text
  // without its line feeds (so "z" appears exactly where it should).
  const std::vector<Sample> samples = Samples();
  std::vector<Bytes> texts;
  std::vector<Job> jobs;
  for (const Sample& s : samples) {
    BYTE buffer[2048];
    std::string text;
    for (size_t at = 0; at < s.data.size(); at += 1596) {
      const DWORD piece = static_cast<DWORD>(std::min<size_t>(1596, s.data.size() - at));
      text.append(reinterpret_cast<const char*>(buffer),
                  EncodeAscii85(s.data.data() + at, piece, buffer, sizeof buffer));
    }
    texts.emplace_back(text.begin(), text.end());
    jobs.push_back({"base64.a85decode(data, adobe=False)", texts.back()});
    jobs.push_back({"base64.a85encode(data)", s.data});
  }
  const std::vector<Bytes> results = Run(jobs);
  for (size_t i = 0; i < samples.size(); ++i) {
    EXPECT_EQ(results[2 * i], samples[i].data) << samples[i].name;
    EXPECT_EQ(WithoutLineFeeds(AsText(texts[i])), AsText(results[2 * i + 1])) << samples[i].name;
  }
}

TEST_F(PythonDecodeTest, AsciiHexMatchesUpperCaseHexlify) {
  const std::vector<Sample> samples = Samples();
  std::vector<Bytes> texts;
  std::vector<Job> jobs;
  for (const Sample& s : samples) {
    std::string text = AsciiHexStream(s.data);
    text.resize(text.size() - 2);  // the ">" end and its line feed
    texts.emplace_back(text.begin(), text.end());
    jobs.push_back({"bytes.fromhex(data.decode())", texts.back()});
    jobs.push_back({"binascii.hexlify(data).upper()", s.data});
  }
  const std::vector<Bytes> results = Run(jobs);
  for (size_t i = 0; i < samples.size(); ++i) {
    EXPECT_EQ(results[2 * i], samples[i].data) << samples[i].name;
    EXPECT_EQ(WithoutLineFeeds(AsText(texts[i])), AsText(results[2 * i + 1])) << samples[i].name;
  }
}

}  // namespace
