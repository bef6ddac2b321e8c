// rescomp: compiles a module's resource script into a C++ source that holds the
// resource blob in the module's "zelres" section under a fixed exported name.
//
//   rescomp <script> -o <output.cpp> [-d <depfile>]
//
// The script format is described in script.h, the blob in platform/base/resource_format.h.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/resource_format.h"
#include "tools/rescomp/blob_writer.h"
#include "tools/rescomp/script.h"

namespace {

int Usage() {
  std::cerr << "usage: rescomp <script> -o <output.cpp> [-d <depfile>]\n";
  return 2;
}

std::string CppSource(const std::vector<unsigned char>& blob, const std::string& scriptName) {
  std::ostringstream out;
  out << "// Resources compiled by rescomp from " << scriptName << ". Do not edit.\n"
      << "extern \"C\" {\n"
      << "__attribute__((visibility(\"default\"))) extern const unsigned char " << zelres::kSymbolName << "["
      << blob.size() << "];\n"
      << "__attribute__((section(\"" << zelres::kSectionName << "\"), used, aligned(16)))\n"
      << "const unsigned char " << zelres::kSymbolName << "[" << blob.size() << "] = {";
  char byte[8];
  for (size_t i = 0; i < blob.size(); ++i) {
    if (i % 16 == 0) out << "\n ";
    std::snprintf(byte, sizeof(byte), " 0x%02x,", blob[i]);
    out << byte;
  }
  out << "\n};\n}\n";
  return out.str();
}

// Make's depfile syntax: spaces in paths are escaped.
std::string DepfilePath(const std::filesystem::path& path) {
  std::string out;
  for (char c : std::filesystem::absolute(path).string()) {
    if (c == ' ' || c == '#') out.push_back('\\');
    if (c == '$') out.push_back('$');
    out.push_back(c);
  }
  return out;
}

bool WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path scriptPath, outputPath, depfilePath;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if ((argument == "-o" || argument == "-d") && i + 1 < argc) {
      (argument == "-o" ? outputPath : depfilePath) = argv[++i];
    } else if (!argument.empty() && argument[0] != '-' && scriptPath.empty()) {
      scriptPath = argument;
    } else {
      return Usage();
    }
  }
  if (scriptPath.empty() || outputPath.empty()) return Usage();

  std::ifstream in(scriptPath, std::ios::binary);
  if (!in) {
    std::cerr << scriptPath.string() << ": error: cannot read the script\n";
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();

  std::vector<unsigned char> blob;
  rescomp::Script script;
  try {
    script = rescomp::ParseScript(text.str(), std::filesystem::absolute(scriptPath).parent_path());
    blob = rescomp::BuildBlob(script);
  } catch (const rescomp::ScriptError& error) {
    std::cerr << scriptPath.string() << ":" << error.line << ": error: " << error.what() << "\n";
    return 1;
  }

  if (!WriteFile(outputPath, CppSource(blob, scriptPath.filename().string()))) {
    std::cerr << outputPath.string() << ": error: cannot write the output\n";
    return 1;
  }
  if (!depfilePath.empty()) {
    std::string deps = DepfilePath(outputPath) + ":";
    deps += " " + DepfilePath(scriptPath);
    for (const rescomp::FileResource& file : script.files) deps += " \\\n  " + DepfilePath(file.path);
    deps += "\n";
    if (!WriteFile(depfilePath, deps)) {
      std::cerr << depfilePath.string() << ": error: cannot write the depfile\n";
      return 1;
    }
  }
  return 0;
}
