#include "tests/support/ghostscript_run.h"

#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace testsupport {
namespace {

namespace fs = std::filesystem;

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::optional<RenderedPage> ReadPgm(const fs::path& path) {
  const std::string data = ReadWhole(path);
  if (data.size() < 2 || data.compare(0, 2, "P5") != 0) return std::nullopt;
  size_t pos = 2;
  int values[3] = {};
  for (int& value : values) {
    while (pos < data.size() && (std::isspace(static_cast<unsigned char>(data[pos])) || data[pos] == '#')) {
      if (data[pos] == '#') {
        while (pos < data.size() && data[pos] != '\n') ++pos;
      } else {
        ++pos;
      }
    }
    size_t end = pos;
    while (end < data.size() && std::isdigit(static_cast<unsigned char>(data[end]))) ++end;
    value = std::atoi(data.substr(pos, end - pos).c_str());
    pos = end;
  }
  ++pos;  // the single white-space byte before the pixels
  RenderedPage page;
  page.width = values[0];
  page.height = values[1];
  const size_t size = static_cast<size_t>(page.width) * static_cast<size_t>(page.height);
  if (values[2] != 255 || data.size() < pos + size) return std::nullopt;
  page.gray.assign(data.begin() + static_cast<std::ptrdiff_t>(pos),
                   data.begin() + static_cast<std::ptrdiff_t>(pos + size));
  return page;
}

}  // namespace

const char kPrinterPrelude[] = ZEL_SOURCE_DIR "/tools/render/printer_prelude.ps";

int RenderedPage::DarkCount(int x, int y, int w, int h) const {
  int count = 0;
  for (int row = std::max(y, 0); row < std::min(y + h, height); ++row) {
    for (int column = std::max(x, 0); column < std::min(x + w, width); ++column) {
      if (gray[static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(column)] < 128) ++count;
    }
  }
  return count;
}

bool GhostscriptAvailable() { return std::system("command -v gs >/dev/null 2>&1") == 0; }

GhostscriptRun RunGhostscript(const std::string& program, const GhostscriptCall& call) {
  GhostscriptRun run;
  std::string pattern = (fs::temp_directory_path() / "gsjob_XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return run;
  const fs::path dir = pattern;
  std::ofstream(dir / "job.ps", std::ios::binary) << program;
  const fs::path out = dir / "gs.out";
  const bool text = call.device == "txtwrite";
  std::string command = "gs -q -dNOPAUSE -dBATCH ";
  command += call.safer ? "-dSAFER " : "-dNOSAFER ";
  if (call.device.empty()) {
    command += "-dNODISPLAY ";
  } else {
    command +=
        "-sDEVICE=" + call.device + " -sOutputFile='" + (dir / (text ? "text.txt" : "page%03d.pgm")).string() + "' ";
    if (call.dpi > 0) command += "-r" + std::to_string(call.dpi) + " ";
  }
  if (call.prelude) command += "'" + std::string(kPrinterPrelude) + "' ";
  command += "'" + (dir / "job.ps").string() + "' >'" + out.string() + "' 2>&1";
  const int status = std::system(command.c_str());
  run.exited = status != -1 && WIFEXITED(status);
  run.exitCode = run.exited ? WEXITSTATUS(status) : -1;
  run.output = ReadWhole(out);
  if (text) run.text = ReadWhole(dir / "text.txt");
  for (int i = 1; call.device == "pgmraw"; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "page%03d.pgm", i);
    std::optional<RenderedPage> page = ReadPgm(dir / name);
    if (!page) break;
    run.pages.push_back(std::move(*page));
  }
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return run;
}

GhostscriptRun RunPostScriptJob(const std::string& job, int dpi) {
  GhostscriptCall call;
  call.dpi = dpi;
  return RunGhostscript(job, call);
}

}  // namespace testsupport
