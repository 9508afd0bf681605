// Cost of parsing a selection of 100 comparisons, beside a plain pass of a
// tokenizer over the same text in the same run: the least any parser of
// the language must do (blanks skipped, words, operator runs and quoted
// texts cut out and copied). The closing table prints parse / tokenizer.
// Two shapes: a flat level, which nests 99 operations to the right, and
// ten groups of ten.
#include <windows.h>
#include <vq_tbl32.h>

#include <benchmark/benchmark.h>

#include "common/ratio_reporter.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

std::string Comparison(int i) {
  static const char *const columns[] = {"NAME", "PLZ", "ORT", "DATUM", "BETRAG", "kunde_nr"};
  static const char *const opers[] = {"=", ">=", "<>", "<", "==", "!="};
  static const char *const values[] = {"'MAIER'",    "80000", "M*ER?",
                                       "12.03.2009", "-5",    "\"Bad T\xF6lz\""};
  return std::string(columns[i % 6]) + " " + opers[i % 6] + " " + values[(i / 6 + i) % 6];
}

const char *Logical(int i) {
  static const char *const names[] = {"und", "oder", "AND", "xor", "||", "&&"};
  return names[i % 6];
}

std::string Flat() {
  std::string text = Comparison(0);
  for (int i = 1; i < 100; ++i)
    text += std::string(" ") + Logical(i) + " " + Comparison(i);
  return text;
}

std::string Grouped() {
  std::string text;
  for (int g = 0; g < 10; ++g) {
    text += g ? " oder (" : "(";
    for (int i = 0; i < 10; ++i)
      text +=
          (i ? std::string(" ") + Logical(g + i) + " " : std::string()) + Comparison(g * 10 + i);
    text += ")";
  }
  return text;
}

// The baseline: cuts the text into the language's tokens and copies each.
size_t Tokenize(const char *text, size_t length) {
  static const char kOperators[] = "!&<=>^|";
  char token[64];
  size_t tokens = 0, i = 0;
  while (i < length) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '(' || c == ')') {
      ++i;
      continue;
    }
    size_t begin = i, end;
    if (c == '\'' || c == '"') {
      const void *close = std::memchr(text + i + 1, c, length - i - 1);
      if (!close)
        break;
      begin = i + 1;
      end = size_t(static_cast<const char *>(close) - text);
      i = end + 1;
    } else {
      const bool oper = std::strchr(kOperators, c) != nullptr;
      while (i < length && text[i] != ' ' && text[i] != '\t' && text[i] != '(' && text[i] != ')' &&
             (std::strchr(kOperators, text[i]) != nullptr) == oper)
        ++i;
      end = i;
    }
    const size_t n = end - begin < sizeof token ? end - begin : sizeof token - 1;
    std::memcpy(token, text + begin, n);
    token[n] = '\0';
    benchmark::DoNotOptimize(token);
    ++tokens;
  }
  return tokens;
}

void Parse(benchmark::State &state, std::string (*make)()) {
  const std::string text = make();
  CVQTblSelDesc sel;
  for (auto _ : state) {
    if (!sel.parse(text.data(), UINT(text.size()))) {
      state.SkipWithError("the selection does not parse");
      break;
    }
    benchmark::DoNotOptimize(sel.Root.pOper);
  }
}

void TokenizerPass(benchmark::State &state, std::string (*make)()) {
  const std::string text = make();
  for (auto _ : state)
    benchmark::DoNotOptimize(Tokenize(text.data(), text.size()));
}

} // namespace

BENCHMARK_CAPTURE(Parse, flat, Flat);
BENCHMARK_CAPTURE(TokenizerPass, flat, Flat);
BENCHMARK_CAPTURE(Parse, grouped, Grouped);
BENCHMARK_CAPTURE(TokenizerPass, grouped, Grouped);

int main(int argc, char **argv) {
  vqbench::RatioReporter reporter;
  if (vqbench::RunBenchmarks(argc, argv, reporter) != 0)
    return 1;
  std::printf("\n%-10s %12s %14s %8s\n", "shape", "parse ns", "tokenizer ns", "ratio");
  for (const char *shape : {"flat", "grouped"}) {
    const double parse = reporter.Time(std::string("Parse/") + shape),
                 base = reporter.Time(std::string("TokenizerPass/") + shape);
    if (parse > 0 && base > 0)
      std::printf("%-10s %12.0f %14.0f %8.2f\n", shape, parse, base, parse / base);
  }
  return 0;
}
