/*
 * The configuration parsers, row by row: what each one takes from a line,
 * the counts and lengths it reports, and the error number of every kind of
 * bad line, which must never overflow a buffer or crash.
 */
#include "lib32_fixture.h"

#include <cstring>

namespace {

using lib32test::Lib32Test;

enum class Call { Word, Words3, Text8, TwoText, WordsText, Words2Text };

struct Row {
  const char *name;
  std::string line; // behind "K:"
  Call call;
  UINT rc;
  std::vector<UINT> numbers;
  std::vector<std::string> texts;
};

const Row kRows[] = {
    // numbers
    {"decimal", " 1024", Call::Word, 0, {1024}, {}},
    {"hexadecimal", " 0x1f", Call::Word, 0, {31}, {}},
    {"character constant", " 'L'", Call::Word, 0, {76}, {}},
    {"quote as character", " '''", Call::Word, 0, {39}, {}},
    {"minus one is all ones", " -1", Call::Word, 0, {0xFFFFFFFFu}, {}},
    {"largest", " 4294967295", Call::Word, 0, {0xFFFFFFFFu}, {}},
    {"beyond 32 bits", " 4294967296", Call::Word, VQCF_BAD_NUMBER, {}, {}},
    {"hex beyond 32 bits", " 0x100000000", Call::Word, VQCF_BAD_NUMBER, {}, {}},
    {"digits run into letters", " 12abc", Call::Word, VQCF_BAD_NUMBER, {}, {}},
    {"hex without digits", " 0x", Call::Word, VQCF_BAD_NUMBER, {}, {}},
    {"lone minus", " -", Call::Word, VQCF_SYNTAX, {}, {}},
    {"no number", "", Call::Word, VQCF_MISSING_NUMBER, {}, {}},
    {"two numbers for one", " 1, 2", Call::Word, VQCF_TOO_MANY_NUMBERS, {}, {}},
    {"text for a number", " \"1\"", Call::Word, VQCF_SYNTAX, {}, {}},
    {"unclosed character", " 'L", Call::Word, VQCF_UNTERMINATED, {}, {}},
    {"blank separated", " 1 2\t3", Call::Words3, 0, {1, 2, 3}, {}},
    {"fewer than asked", " 7,8", Call::Words3, 0, {7, 8}, {}},
    {"none is success", "   ; just a comment", Call::Words3, 0, {}, {}},
    {"comment after numbers", " 1, 2 ; 3", Call::Words3, 0, {1, 2}, {}},
    {"more than asked", " 1, 2, 3, 4", Call::Words3, VQCF_TOO_MANY_NUMBERS, {}, {}},
    {"empty item", " 1,,2", Call::Words3, VQCF_SYNTAX, {}, {}},
    {"trailing comma", " 1, 2,", Call::Words3, VQCF_SYNTAX, {}, {}},
    {"word where a number goes", " 1, two", Call::Words3, VQCF_SYNTAX, {}, {}},
    {"control byte", std::string(" 1,\x01 2"), Call::Words3, VQCF_BAD_CHARACTER, {}, {}},
    // texts
    {"quoted", " \"KUNDEN\"", Call::Text8, 0, {}, {"KUNDEN"}},
    {"doubled quotes", " \"a\"\"b\"\"\"", Call::Text8, 0, {}, {"a\"b\""}},
    {"semicolon inside quotes", " \"a;b\" ; c", Call::Text8, 0, {}, {"a;b"}},
    {"backslashes stay", " \"C:\\x\\\"", Call::Text8, 0, {}, {"C:\\x\\"}},
    {"cut to the buffer", " \"abcdefghij\"", Call::Text8, 0, {}, {"abcdefg"}},
    {"bare text", "   Kunden  ; comment", Call::Text8, 0, {}, {"Kunden"}},
    {"bare text cut", " Kunden Liste", Call::Text8, 0, {}, {"Kunden "}},
    {"bare number as text", " 1024", Call::Text8, 0, {}, {"1024"}},
    {"empty text", " \"\"", Call::Text8, 0, {}, {""}},
    {"empty line", "", Call::Text8, 0, {}, {""}},
    {"Windows-1252 bytes", " \"M\xE4rz\"", Call::Text8, 0, {}, {"M\xE4rz"}},
    {"unterminated", " \"abc", Call::Text8, VQCF_UNTERMINATED, {}, {}},
    {"doubled quote at the end", " \"abc\"\"", Call::Text8, VQCF_UNTERMINATED, {}, {}},
    {"two texts for one", " \"a\", \"b\"", Call::Text8, VQCF_SYNTAX, {}, {}},
    {"text runs into a word", " \"a\"b", Call::Text8, VQCF_SYNTAX, {}, {}},
    {"NUL inside quotes", std::string(" \"a\0b\"", 6), Call::Text8, VQCF_BAD_CHARACTER, {}, {}},
    {"NUL in bare text", std::string(" a\0b", 4), Call::Text8, VQCF_BAD_CHARACTER, {}, {}},
    // A CR is a blank between items but cannot be written back inside a text.
    {"CR inside quotes", " \"Nr\r\"", Call::Text8, VQCF_BAD_CHARACTER, {}, {}},
    {"CR in bare text", " a\rb", Call::Text8, VQCF_BAD_CHARACTER, {}, {}},
    {"CR around bare text", " \rab\r ", Call::Text8, 0, {}, {"ab"}},
    {"CR behind a quoted text", " \"ab\"\r", Call::Text8, 0, {}, {"ab"}},
    {"tab inside quotes", " \"a\tb\"", Call::Text8, 0, {}, {"a\tb"}},
    {"key part", " \"INT32\", \"Nummer\"", Call::TwoText, 0, {}, {"INT32", "Nummer"}},
    {"blank separated texts", " \"INT32\" \"Nr\"", Call::TwoText, 0, {}, {"INT32", "Nr"}},
    {"one of two texts", " \"INT32\"", Call::TwoText, VQCF_MISSING_TEXT, {}, {}},
    {"bare words for texts", " INT32, Nr", Call::TwoText, VQCF_SYNTAX, {}, {}},
    {"number before texts", " 1, \"a\", \"b\"", Call::TwoText, VQCF_SYNTAX, {}, {}},
    {"three texts", " \"a\", \"b\", \"c\"", Call::TwoText, VQCF_SYNTAX, {}, {}},
    // numbers and texts
    {"field line", "    0,   4, 2, 0x0011, \"Nr\"", Call::WordsText, 0, {0, 4, 2, 0x11}, {"Nr"}},
    {"no numbers", " \"Nr\"", Call::WordsText, 0, {}, {"Nr"}},
    {"empty name", " 0, 4, \"\"", Call::WordsText, 0, {0, 4}, {""}},
    {"no name", " 0, 4", Call::WordsText, VQCF_MISSING_TEXT, {}, {}},
    {"number after the text", " 0, \"Nr\", 4", Call::WordsText, VQCF_SYNTAX, {}, {}},
    {"too many numbers", " 1, 2, 3, 4, 5, \"x\"", Call::WordsText, VQCF_TOO_MANY_NUMBERS, {}, {}},
    {"grid column",
     " 0, 0x10, 1, 0, 12, 0xFFFFFF, \"*\", \"Head\"",
     Call::Words2Text,
     0,
     {0, 0x10, 1, 0, 12, 0xFFFFFF},
     {"*", "Head"}},
    {"grid column without numbers", " \"*\", \"Head\"", Call::Words2Text, 0, {}, {"*", "Head"}},
    {"grid column, one text", " 1, \"*\"", Call::Words2Text, VQCF_MISSING_TEXT, {}, {}},
};

class ConfParser : public Lib32Test {
protected:
  CVQConfFile conf;
};

TEST_F(ConfParser, EveryRowGivesItsNumbersTextsAndErrorNumber) {
  for (const Row &row : kRows) {
    SCOPED_TRACE(row.name);
    const std::string text = "; leading comment\nK:" + row.line + "\nK: 99, \"second\"\n";
    ASSERT_TRUE(conf.ReadIt(text.data(), UINT(text.size())));
    UINT values[8];
    std::memset(values, 0xAB, sizeof values);
    UINT count = 77, length1 = 77, length2 = 77;
    // Guard bytes behind each text buffer catch a write past its size.
    char text1[8 + 4], text2[8 + 4];
    std::memset(text1, '#', sizeof text1);
    std::memset(text2, '#', sizeof text2);
    UINT rc = 0;
    std::vector<std::string> texts;
    switch (row.call) {
    case Call::Word:
      rc = conf.GetWord("K", values);
      count = rc == 0 ? 1 : 0;
      break;
    case Call::Words3:
      rc = conf.GetWords("K", values, 3, &count);
      break;
    case Call::Text8:
      rc = conf.GetText("K", text1, 8, &length1);
      texts = {text1};
      count = 0;
      break;
    case Call::TwoText:
      rc = conf.Get2Text("K", text1, 8, &length1, text2, 8, &length2);
      texts = {text1, text2};
      count = 0;
      break;
    case Call::WordsText:
      rc = conf.GetWordsText("K", values, 4, &count, text1, 8, &length1);
      texts = {text1};
      break;
    case Call::Words2Text:
      rc = conf.GetWords2Text("K", values, 6, &count, text1, 8, &length1, text2, 8, &length2);
      texts = {text1, text2};
      break;
    }
    EXPECT_EQ(rc, row.rc);
    EXPECT_EQ(std::string(text1 + 8, 4), "####");
    EXPECT_EQ(std::string(text2 + 8, 4), "####");
    if (rc != 0) {
      EXPECT_EQ(count, 0u);
      for (const std::string &t : texts)
        EXPECT_EQ(t, "");
      if (!texts.empty()) {
        EXPECT_EQ(length1, 0u);
      }
      continue;
    }
    EXPECT_EQ(std::vector<UINT>(values, values + count), row.numbers);
    EXPECT_EQ(texts, row.texts);
    if (!texts.empty()) {
      EXPECT_EQ(length1, texts[0].size());
    }
    if (texts.size() > 1) {
      EXPECT_EQ(length2, texts[1].size());
    }
  }
}

TEST_F(ConfParser, CutTextIsLoggedAsWarning) {
  const std::string text = "Table: \"A_NAME_OF_MORE_THAN_THIRTY_ONE_LETTERS\"\n";
  ASSERT_TRUE(conf.ReadIt(text.data(), UINT(text.size())));
  char name[32];
  UINT length;
  EXPECT_EQ(conf.GetText("TABLE", name, 32, &length), 0u);
  EXPECT_EQ(length, 31u);
  EXPECT_EQ(Logged(), std::vector<std::string>{
                          "1 CVQConfFile Text of keyword TABLE in line 1 cut to 31 characters"});
}

TEST_F(ConfParser, BadArgumentsAreRefusedBeforeTheLineIsRead) {
  const std::string text = "K: 1, \"a\", \"b\"\n";
  ASSERT_TRUE(conf.ReadIt(text.data(), UINT(text.size())));
  char buffer[8];
  UINT values[2], count, length;
  EXPECT_EQ(conf.GetWord(nullptr, values), UINT(VQCF_BAD_ARGUMENT));
  EXPECT_EQ(conf.GetWord("K", nullptr), UINT(VQCF_BAD_ARGUMENT));
  EXPECT_EQ(conf.GetWords("K", nullptr, 2, &count), UINT(VQCF_BAD_ARGUMENT));
  EXPECT_EQ(conf.GetText("K", nullptr, 8, &length), UINT(VQCF_BAD_ARGUMENT));
  EXPECT_EQ(conf.GetText("K", buffer, 0, &length), UINT(VQCF_BAD_ARGUMENT));
  EXPECT_EQ(conf.Get2Text("K", buffer, 8, &length, nullptr, 8, &length), UINT(VQCF_BAD_ARGUMENT));
  EXPECT_EQ(conf.GetWords2Text("K!", values, 2, &count, buffer, 8, &length, buffer, 8, &length),
            UINT(VQCF_BAD_ARGUMENT));
  // Lengths and counts are optional.
  EXPECT_EQ(conf.GetWords2Text("K", values, 2, nullptr, buffer, 8, nullptr, buffer, 8, nullptr),
            0u);
}

TEST_F(ConfParser, OverlongLineIsKeptButNotParsed) {
  const std::string text = "K: \"" + std::string(VQCF_MAX_LINE, 'x') + "\"\nK: \"short\"\n";
  ASSERT_TRUE(conf.ReadIt(text.data(), UINT(text.size())));
  EXPECT_EQ(conf.GetKeyCount("K"), 2u);
  char buffer[8];
  UINT length = 5;
  conf.BeginSequence();
  EXPECT_EQ(conf.GetText("K", buffer, 8, &length), UINT(VQCF_LINE_TOO_LONG));
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(conf.GetText("K", buffer, 8, &length), 0u) << "the sequence moves past it";
  EXPECT_STREQ(buffer, "short");
}

TEST_F(ConfParser, BinaryGarbageNeverOverrunsAnything) {
  // A fixed pseudo-random stream sprinkled with the syntax's own bytes.
  unsigned state = 12345;
  const char alphabet[] = "K: ,\"';\r\n0x19-ENDT\t\0\x01\xFF";
  for (int round = 0; round < 200; ++round) {
    std::string text;
    for (int i = 0; i < 300; ++i) {
      state = state * 1103515245 + 12345;
      text += alphabet[(state >> 16) % (sizeof alphabet - 1)];
    }
    ASSERT_TRUE(conf.ReadIt(text.data(), UINT(text.size())));
    UINT values[4], count, length1, length2, n;
    char text1[4], text2[4];
    conf.GetBlockCount("K", &n);
    bool more = conf.SelectBlock("K");
    while (more) {
      conf.BeginSequence();
      while (conf.GetWords2Text("K", values, 4, &count, text1, 4, &length1, text2, 4, &length2) !=
             VQCF_NO_MORE_LINES) {
        ASSERT_LE(count, 4u);
        ASSERT_LT(length1, 4u);
        ASSERT_LT(length2, 4u);
      }
      conf.EndSequence();
      conf.GetText("T", text1, 4, &length1);
      ASSERT_EQ(std::strlen(text1), length1);
      more = conf.SelectNextBlock();
    }
    conf.LeaveBlock();
  }
}

} // namespace
