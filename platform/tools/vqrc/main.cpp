// vqrc command line: compiles one resource script into the C++ source of a
// module's resource table, and optionally a make-style dependency file so
// the build recompiles when an included header or image changes.
//
//   vqrc [-I dir]... [-D name[=value]]... [-l language] -o out.cpp [-d out.d] script.rc
#include "rc_compiler.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

int Usage() {
  std::fprintf(stderr, "usage: vqrc [-I dir]... [-D name[=value]]... [-l language] -o out.cpp "
                       "[-d out.d] script.rc\n");
  return 2;
}

bool WriteFile(const std::string &path, const std::string &text) {
  // Leave an unchanged output untouched so the build does not recompile it.
  if (auto old = vqrc::ReadFileFromDisk(path); old && *old == text)
    return true;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

} // namespace

int main(int argc, char **argv) {
  vqrc::Options options;
  std::string output, depfile, script;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string &into) {
      if (arg.size() > 2) {
        into = arg.substr(2);
        return true;
      }
      if (i + 1 >= argc)
        return false;
      into = argv[++i];
      return true;
    };
    std::string v;
    if (arg.rfind("-I", 0) == 0) {
      if (!value(v))
        return Usage();
      options.includeDirs.push_back(v);
    } else if (arg.rfind("-D", 0) == 0) {
      if (!value(v))
        return Usage();
      const size_t eq = v.find('=');
      options.defines.emplace_back(v.substr(0, eq),
                                   eq == std::string::npos ? "" : v.substr(eq + 1));
    } else if (arg.rfind("-l", 0) == 0) {
      if (!value(v))
        return Usage();
      char *end = nullptr;
      const unsigned long lang = std::strtoul(v.c_str(), &end, 0);
      if (!end || *end || lang > 0xFFFF)
        return Usage();
      options.defaultLanguage = static_cast<uint16_t>(lang);
    } else if (arg.rfind("-o", 0) == 0) {
      if (!value(output))
        return Usage();
    } else if (arg.rfind("-d", 0) == 0) {
      if (!value(depfile))
        return Usage();
    } else if (!arg.empty() && arg[0] != '-' && script.empty()) {
      script = arg;
    } else {
      return Usage();
    }
  }
  if (script.empty() || output.empty())
    return Usage();

  const vqrc::Result result = vqrc::Compile(script, options, vqrc::ReadFileFromDisk);
  if (!result.ok) {
    std::fprintf(stderr, "%s\n", result.error.c_str());
    return 1;
  }
  const std::string base = script.substr(script.find_last_of('/') + 1);
  if (!WriteFile(output, vqrc::EmitSource(result.resources, base))) {
    std::fprintf(stderr, "vqrc: cannot write %s\n", output.c_str());
    return 1;
  }
  if (!depfile.empty()) {
    std::string deps = output + ":";
    for (const std::string &d : result.dependencies) {
      deps += " \\\n  ";
      for (char c : d)
        deps += c == ' ' ? std::string("\\ ") : std::string(1, c);
    }
    if (!WriteFile(depfile, deps + "\n")) {
      std::fprintf(stderr, "vqrc: cannot write %s\n", depfile.c_str());
      return 1;
    }
  }
  return 0;
}
