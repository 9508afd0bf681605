// Reading back what the printer wrote, as a reader of the PDF sees it: the
// text of each page laid out as printed (pdftotext -layout) and every word
// with its box in points from the sheet's top left corner (pdftotext -bbox).
// A PDF that cannot be read gives no pages and no words.
#ifndef VQ_TESTS_COMMON_PDF_TEXT_H
#define VQ_TESTS_COMMON_PDF_TEXT_H

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vqtest {

inline std::string Slurp(const std::string &path) {
  std::ifstream in(path);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// The layout text of the whole document, pages ended by form feeds.
inline std::string PdfText(const std::string &pdf) {
  const std::string txt = pdf + ".txt";
  if (std::system(("pdftotext -layout '" + pdf + "' '" + txt + "'").c_str()) != 0)
    return {};
  std::string text = Slurp(txt);
  std::remove(txt.c_str());
  return text;
}

inline std::vector<std::string> PdfPages(const std::string &pdf) {
  std::vector<std::string> pages(1);
  for (char c : PdfText(pdf))
    if (c == '\f')
      pages.emplace_back();
    else
      pages.back() += c;
  pages.pop_back();
  return pages;
}

// The line of a page's layout text holding `what`; -1 when none does.
inline int LineOf(const std::string &page, const std::string &what) {
  std::istringstream in(page);
  std::string line;
  for (int row = 0; std::getline(in, line); ++row)
    if (line.find(what) != std::string::npos)
      return row;
  return -1;
}

struct PdfWord {
  int page; // from 0
  double xMin, yMin, xMax;
  std::string text;
};

inline std::vector<PdfWord> PdfWords(const std::string &pdf) {
  const std::string html = pdf + ".html";
  std::vector<PdfWord> words;
  if (std::system(("pdftotext -bbox '" + pdf + "' '" + html + "'").c_str()) != 0)
    return words;
  std::istringstream in(Slurp(html));
  std::remove(html.c_str());
  int page = -1;
  for (std::string line; std::getline(in, line);) {
    if (line.find("<page") != std::string::npos)
      ++page;
    const size_t open = line.find("<word "), end = line.find("</word>");
    if (open == std::string::npos || end == std::string::npos)
      continue;
    PdfWord w{page, 0, 0, 0, {}};
    double yMax = 0;
    std::sscanf(line.c_str() + line.find("xMin"),
                "xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"", &w.xMin, &w.yMin, &w.xMax,
                &yMax);
    const size_t start = line.find('>', open) + 1;
    w.text = line.substr(start, end - start);
    words.push_back(w);
  }
  return words;
}

} // namespace vqtest

#endif
