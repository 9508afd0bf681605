// Runs one conformance program and compares the facts it prints with the
// recorded expectation:
//
//   conformance_compare PROGRAM EXPECTED WINDOWS README
//
// EXPECTED is the recording ("key: value" lines). WINDOWS holds lines in
// the same form that replace recorded facts where the recording is known to
// differ from Windows; text after " # " on such a line is the reason.
// README lists the facts our layer still answers differently, one
// "- `key`: reason" line each; those are reported but do not fail.
// Exit status 0 when every other fact agrees and none is missing.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Facts = std::vector<std::pair<std::string, std::string>>;

bool SplitFact(std::string line, std::string &key, std::string &value) {
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  size_t colon = line.find(": ");
  if (colon == std::string::npos || line.empty() || line[0] == '#')
    return false;
  key = line.substr(0, colon);
  value = line.substr(colon + 2);
  return true;
}

Facts ReadFacts(std::istream &in) {
  Facts facts;
  std::string line, key, value;
  while (std::getline(in, line))
    if (SplitFact(line, key, value))
      facts.emplace_back(key, value);
  return facts;
}

std::map<std::string, std::string> ReadOverrides(const char *path) {
  std::map<std::string, std::string> overrides;
  std::ifstream in(path);
  std::string line, key, value;
  while (std::getline(in, line)) {
    if (!SplitFact(line, key, value))
      continue;
    size_t reason = value.find(" # ");
    overrides[key] = value.substr(0, reason);
  }
  return overrides;
}

std::set<std::string> ReadKnown(const char *path) {
  std::set<std::string> known;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("- `", 0) != 0)
      continue;
    size_t end = line.find('`', 3);
    if (end != std::string::npos)
      known.insert(line.substr(3, end - 3));
  }
  return known;
}

Facts RunProgram(const char *program) {
  Facts facts;
  FILE *pipe = popen(program, "r");
  if (!pipe)
    return facts;
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    text.append(buffer, n);
  int status = pclose(pipe);
  if (status != 0)
    std::cout << "program exited with status " << status << "\n";
  std::istringstream lines(text);
  return ReadFacts(lines);
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 5) {
    std::cerr << "usage: conformance_compare PROGRAM EXPECTED WINDOWS README\n";
    return 2;
  }
  std::ifstream expectedFile(argv[2]);
  if (!expectedFile) {
    std::cerr << "cannot read " << argv[2] << "\n";
    return 2;
  }
  Facts expected = ReadFacts(expectedFile);
  std::map<std::string, std::string> overrides = ReadOverrides(argv[3]);
  std::set<std::string> known = ReadKnown(argv[4]);
  std::map<std::string, std::string> actual;
  for (const auto &[key, value] : RunProgram(argv[1]))
    actual.emplace(key, value);

  int agree = 0, listed = 0, differ = 0, listedButAgree = 0;
  for (const auto &[key, recorded] : expected) {
    auto over = overrides.find(key);
    const std::string &want = over != overrides.end() ? over->second : recorded;
    auto got = actual.find(key);
    bool same = got != actual.end() && got->second == want;
    bool isKnown = known.count(key) != 0;
    if (same) {
      ++agree;
      if (isKnown) {
        ++listedButAgree;
        std::cout << "listed but agrees: " << key << "\n";
      }
      continue;
    }
    isKnown ? ++listed : ++differ;
    std::cout << (isKnown ? "known " : "DIFFERS ") << key << "\n  expected: " << want
              << "\n  actual:   " << (got == actual.end() ? "(missing)" : got->second) << "\n";
  }
  std::cout << expected.size() << " facts, " << agree << " agree, " << listed
            << " listed differences, " << differ << " unlisted differences";
  if (listedButAgree)
    std::cout << ", " << listedButAgree << " listed but agreeing";
  std::cout << "\n";
  return differ == 0 && !expected.empty() ? 0 : 1;
}
