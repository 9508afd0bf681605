// Feeds arbitrary bytes to CVQConfFile::ReadIt, walks the blocks of the
// input's own keywords two levels deep and runs every parser in every block,
// once and as a sequence. Buffers are sized exactly, so a write past one is
// an AddressSanitizer report; reported counts and lengths must fit their
// buffers, and every text read must survive the editor's round trip.
#include <vq_lib32.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(bool ok) {
  if (!ok)
    std::abort();
}

// The keywords the input itself uses (up to eight), plus the family's own.
std::vector<std::string> KeywordsOf(const char *text, size_t size) {
  std::vector<std::string> keywords = {"TABLE", "FIELD", "KEY", "KEYPART"};
  for (size_t i = 0; i < size && keywords.size() < 12; ++i) {
    if (i > 0 && text[i - 1] != '\n')
      continue;
    size_t j = i;
    while (j < size && j - i < 63 &&
           ((text[j] >= 'A' && text[j] <= 'Z') || (text[j] >= 'a' && text[j] <= 'z') ||
            text[j] == '_' || (j > i && text[j] >= '0' && text[j] <= '9')))
      ++j;
    if (j > i)
      keywords.emplace_back(text + i, j - i);
  }
  return keywords;
}

// Every text a parser hands out must come back unchanged through the
// editor: the reader refuses what the editor could not write (control bytes
// but tab, a CR inside a text), so nothing read is lost when written again.
void RoundTrip(const char *text, UINT length) {
  Check(std::strlen(text) == length);
  CVQConfFile editor, reader;
  Check(editor.StartEdit(256, 8, 32, 24, 80, 104));
  Check(editor.EditTextLine("Text:", text));
  Check(reader.ReadIt(editor.GetEditText(), editor.GetEditLength()));
  std::vector<char> back(length + 1);
  UINT backLength = 0;
  Check(reader.GetText("TEXT", back.data(), length + 1, &backLength) == 0);
  Check(backLength == length && std::memcmp(back.data(), text, length) == 0);
}

void ParseAll(CVQConfFile &conf, const char *keyword) {
  std::vector<UINT> values(9);
  std::vector<char> text1(17), text2(5);
  UINT count = 0, length1 = 0, length2 = 0;
  auto checkTexts = [&] {
    Check(count <= 9 && length1 < text1.size() && length2 < text2.size());
    Check(std::strlen(text1.data()) == length1 && std::strlen(text2.data()) == length2);
  };
  conf.GetKeyCount(keyword);
  UINT value = 0;
  conf.GetWord(keyword, &value);
  conf.GetWords(keyword, values.data(), 9, &count);
  Check(count <= 9);
  length1 = length2 = 0;
  text2[0] = '\0';
  if (conf.GetText(keyword, text1.data(), UINT(text1.size()), &length1) == 0)
    RoundTrip(text1.data(), length1);
  checkTexts();
  if (conf.Get2Text(keyword, text1.data(), 17, &length1, text2.data(), 5, &length2) == 0) {
    RoundTrip(text1.data(), length1);
    RoundTrip(text2.data(), length2);
  }
  checkTexts();
  if (conf.GetWordsText(keyword, values.data(), 9, &count, text1.data(), 17, &length1) == 0)
    RoundTrip(text1.data(), length1);
  checkTexts();
  conf.BeginSequence();
  for (int i = 0; i < 64; ++i) {
    const UINT rc = conf.GetWords2Text(keyword, values.data(), 9, &count, text1.data(), 17,
                                       &length1, text2.data(), 5, &length2);
    checkTexts();
    if (rc == VQCF_NO_MORE_LINES)
      break;
  }
  conf.EndSequence();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > (1u << 20))
    return 0;
  const char *text = reinterpret_cast<const char *>(data);
  CVQConfFile conf;
  Check(conf.ReadIt(text, UINT(size)));
  const std::vector<std::string> keywords = KeywordsOf(text, size);
  for (const std::string &outer : keywords) {
    UINT blocks = 0;
    Check(conf.GetBlockCount(outer.c_str(), &blocks));
    UINT walked = 0;
    for (bool more = conf.SelectBlock(outer.c_str()); more && walked < 16;
         more = conf.SelectNextBlock(), ++walked) {
      for (const std::string &inner : keywords) {
        ParseAll(conf, inner.c_str());
        if (conf.SelectBlock(inner.c_str()))
          ParseAll(conf, outer.c_str());
        conf.LeaveBlock();
      }
    }
    Check(walked == blocks || walked == 16);
    conf.LeaveBlock();
    Check(conf.GetBlockLevel() == 0);
  }
  return 0;
}
