/*
 * The configuration reader's loading and block structure: nested blocks
 * closed by END or by the next head, sequences, keyword matching, line ends
 * and the files that reach it.
 */
#include "lib32_fixture.h"

#include <cstring>
#include <fstream>

namespace {

using lib32test::Lib32Test;

// Two tables as the table, field, key and gallery writers lay them out.
const char kTwoTables[] = R"(;-----------------------------------
;       Data File Description
;-----------------------------------
Table:                  "KUNDEN"
IndexNodeSize:          1024
;
Field:                     0,   4, 2, 0x0011, 0, 0x0011, 0, 10, "Nummer"
Field:                     4,  30, 7, 0x0000, 0, 0x0000, 0, 30, "Name"
;
Key:                    1, 0, 0, 0, 0
KeyPart:                "INT32", "Nummer"
;
Key:                    0, 1, 0
KeyPart:                "TEXT", "Name"
KeyPart:                "INT32", "Nummer"
GalleryLayout:          2                       ; gallery  windows layout
Table:                  END
;
Table:                  "ARTIKEL"
Field:                     0,   8, 3, 0x0000, 0, 0x0000, 0,  8, "Nr"
Table:                  END
;
)";

class ConfReader : public Lib32Test {
protected:
  void Load(const std::string &text) { ASSERT_TRUE(conf.ReadIt(text.data(), UINT(text.size()))); }
  std::string Text(const char *keyword) {
    char buffer[64];
    UINT length = 99;
    EXPECT_EQ(conf.GetText(keyword, buffer, sizeof buffer, &length), 0u) << keyword;
    EXPECT_EQ(length, std::strlen(buffer));
    return buffer;
  }
  UINT Blocks(const char *keyword) {
    UINT n = 99;
    EXPECT_TRUE(conf.GetBlockCount(keyword, &n));
    return n;
  }

  CVQConfFile conf;
};

TEST_F(ConfReader, WalksTablesKeysAndFieldsAsTheDescriptionReaderDoes) {
  Load(kTwoTables);
  EXPECT_EQ(Blocks("TABLE"), 2u);
  // END lines are structure: the top level sees the two heads only.
  EXPECT_EQ(conf.GetKeyCount("TABLE"), 2u);
  EXPECT_EQ(conf.GetKeyCount("FIELD"), 3u);

  ASSERT_TRUE(conf.SelectBlock("TABLE"));
  EXPECT_EQ(conf.GetBlockLevel(), 1u);
  EXPECT_EQ(Text("TABLE"), "KUNDEN");
  UINT size = 0;
  EXPECT_EQ(conf.GetWord("INDEXNODESIZE", &size), 0u);
  EXPECT_EQ(size, 1024u);
  EXPECT_EQ(Blocks("KEY"), 2u);
  EXPECT_EQ(Blocks("FIELD"), 2u);

  ASSERT_TRUE(conf.SelectBlock("KEY"));
  UINT words[5], count = 0;
  EXPECT_EQ(conf.GetWords("KEY", words, 5, &count), 0u);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(words[0], 1u);
  EXPECT_EQ(conf.GetKeyCount("KEYPART"), 1u);
  ASSERT_TRUE(conf.SelectNextBlock());
  EXPECT_EQ(conf.GetWords("KEY", words, 5, &count), 0u);
  EXPECT_EQ(count, 3u);
  // The last key reaches to the end of its table, gallery line included.
  EXPECT_EQ(conf.GetKeyCount("KEYPART"), 2u);
  EXPECT_EQ(conf.GetKeyCount("GALLERYLAYOUT"), 1u);
  EXPECT_FALSE(conf.SelectNextBlock());
  EXPECT_EQ(conf.GetKeyCount("KEYPART"), 0u);
  conf.LeaveBlock();
  EXPECT_EQ(conf.GetBlockLevel(), 1u);

  ASSERT_TRUE(conf.SelectBlock("FIELD"));
  char name[32];
  UINT length = 0;
  EXPECT_EQ(conf.GetWordsText("FIELD", words, 5, &count, name, 32, &length),
            UINT(VQCF_TOO_MANY_NUMBERS));
  UINT fieldWords[8];
  EXPECT_EQ(conf.GetWordsText("FIELD", fieldWords, 8, &count, name, 32, &length), 0u);
  EXPECT_STREQ(name, "Nummer");
  EXPECT_EQ(fieldWords[3], 0x11u);
  ASSERT_TRUE(conf.SelectNextBlock());
  EXPECT_EQ(conf.GetWordsText("FIELD", fieldWords, 8, &count, name, 32, &length), 0u);
  EXPECT_STREQ(name, "Name");
  EXPECT_FALSE(conf.SelectNextBlock());
  conf.LeaveBlock();

  ASSERT_TRUE(conf.SelectNextBlock());
  EXPECT_EQ(Text("TABLE"), "ARTIKEL");
  EXPECT_EQ(conf.GetWord("INDEXNODESIZE", &size), UINT(VQCF_NOT_FOUND));
  EXPECT_EQ(Blocks("KEY"), 0u);
  EXPECT_EQ(conf.GetKeyCount("FIELD"), 1u);
  EXPECT_FALSE(conf.SelectNextBlock());
  conf.LeaveBlock();
  EXPECT_EQ(conf.GetBlockLevel(), 0u);
  conf.LeaveBlock();
  EXPECT_EQ(conf.GetBlockLevel(), 0u);
}

TEST_F(ConfReader, BlockEndsAtEndLineElseAtNextHeadElseAtEnclosingEnd) {
  struct Row {
    const char *name;
    const char *text;
    UINT blocks;
    std::vector<UINT> itemsPerBlock; // X lines in each A block
  };
  const Row rows[] = {
      {"closed by END", "A: 1\nX: 1\nA: END\nX: 2\nA: 2\nX: 3\nA: end\n", 2, {1, 1}},
      {"closed by the next head", "A: 1\nX: 1\nX: 2\nA: 2\nX: 3\n", 2, {2, 1}},
      {"lines between blocks belong to none",
       "A: 1\nA: END\nX: 1\nX: 2\nA: 2\nA: END\n",
       2,
       {0, 0}},
      // An END further down wins over a head in between: the first block
      // swallows the second head.
      {"END after an unclosed head", "A: 1\nX: 1\nA: 2\nX: 2\nA: END\n", 1, {2}},
      {"orphan END is no head", "A: END\nX: 1\nA: 1\nX: 2\n", 1, {1}},
      {"quoted END is a head", "A: \"END\"\nX: 1\nA: 1\nX: 2\n", 2, {1, 1}},
      {"END with a comment", "A: 1\nX: 1\nA: END ; done\nX: 2\n", 1, {1}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    Load(row.text);
    EXPECT_EQ(Blocks("A"), row.blocks);
    std::vector<UINT> items;
    bool more = conf.SelectBlock("A");
    while (more) {
      items.push_back(conf.GetKeyCount("X"));
      more = conf.SelectNextBlock();
    }
    conf.LeaveBlock();
    EXPECT_EQ(items, row.itemsPerBlock);
  }
}

TEST_F(ConfReader, NestedBlocksStayInsideTheirEnclosingBlock) {
  Load("T: \"one\"\nK: 1\nP: 1\nK: 2\nP: 2\nP: 3\nT: END\nT: \"two\"\nK: 3\nP: 4\nT: END\n");
  ASSERT_TRUE(conf.SelectBlock("T"));
  EXPECT_EQ(Blocks("K"), 2u);
  ASSERT_TRUE(conf.SelectBlock("K"));
  ASSERT_TRUE(conf.SelectNextBlock());
  EXPECT_EQ(conf.GetKeyCount("P"), 2u);
  // The second table's key is not a sibling of the first table's keys.
  EXPECT_FALSE(conf.SelectNextBlock());
  conf.LeaveBlock();
  ASSERT_TRUE(conf.SelectNextBlock());
  EXPECT_EQ(Text("T"), "two");
  ASSERT_TRUE(conf.SelectBlock("K"));
  UINT word = 0;
  EXPECT_EQ(conf.GetWord("P", &word), 0u);
  EXPECT_EQ(word, 4u);
}

TEST_F(ConfReader, FailedSelectEntersAnEmptyLevelThatLeaveBlockUndoes) {
  Load(kTwoTables);
  ASSERT_TRUE(conf.SelectBlock("TABLE"));
  EXPECT_FALSE(conf.SelectBlock("NOSUCH"));
  EXPECT_EQ(conf.GetBlockLevel(), 2u);
  EXPECT_EQ(conf.GetKeyCount("FIELD"), 0u);
  UINT value;
  EXPECT_EQ(conf.GetWord("INDEXNODESIZE", &value), UINT(VQCF_NOT_FOUND));
  EXPECT_FALSE(conf.SelectNextBlock());
  conf.LeaveBlock();
  // Back in the first table, so the series over tables goes on.
  EXPECT_EQ(Text("TABLE"), "KUNDEN");
  ASSERT_TRUE(conf.SelectNextBlock());
  EXPECT_EQ(Text("TABLE"), "ARTIKEL");
  conf.LeaveBlock();
  EXPECT_FALSE(conf.SelectNextBlock()) << "no sub-block at the top level";
  EXPECT_FALSE(conf.SelectBlock(nullptr));
  conf.LeaveBlock();
}

TEST_F(ConfReader, NestingStopsAtSixtyFourLevels) {
  Load("A: 1\n");
  for (UINT level = 1; level < 64; ++level)
    ASSERT_TRUE(conf.SelectBlock("A")) << level;
  EXPECT_FALSE(conf.SelectBlock("A"));
  EXPECT_EQ(conf.GetBlockLevel(), 63u);
  EXPECT_EQ(Logged(),
            std::vector<std::string>{"0 CVQConfFile Blocks nested deeper than 64 levels"});
}

TEST_F(ConfReader, SequenceReturnsSuccessiveLinesThenOne) {
  Load("H: \"a\"\nX: 1\nH: \"b\"\nH: \"c\"\n");
  char text[8];
  UINT length;
  // Outside a sequence every call finds the first line.
  EXPECT_EQ(conf.GetText("H", text, 8, &length), 0u);
  EXPECT_EQ(conf.GetText("H", text, 8, &length), 0u);
  EXPECT_STREQ(text, "a");
  conf.BeginSequence();
  std::string seen;
  UINT rc;
  while ((rc = conf.GetText("H", text, 8, &length)) == 0)
    seen += text;
  EXPECT_EQ(seen, "abc");
  EXPECT_EQ(rc, UINT(VQCF_NO_MORE_LINES));
  EXPECT_EQ(conf.GetText("NOSUCH", text, 8, &length), UINT(VQCF_NO_MORE_LINES));
  conf.BeginSequence();
  EXPECT_EQ(conf.GetText("H", text, 8, &length), 0u);
  EXPECT_STREQ(text, "a") << "BeginSequence restarts at the block's first line";
  conf.EndSequence();
  EXPECT_EQ(conf.GetText("NOSUCH", text, 8, &length), UINT(VQCF_NOT_FOUND));
}

TEST_F(ConfReader, SequenceInsideASubBlockStaysInIt) {
  Load(kTwoTables);
  ASSERT_TRUE(conf.SelectBlock("TABLE"));
  ASSERT_TRUE(conf.SelectBlock("KEY"));
  ASSERT_TRUE(conf.SelectNextBlock());
  conf.BeginSequence();
  char type[32], field[32];
  UINT typeLength, fieldLength;
  ASSERT_EQ(conf.Get2Text("KEYPART", type, 32, &typeLength, field, 32, &fieldLength), 0u);
  EXPECT_STREQ(type, "TEXT");
  ASSERT_EQ(conf.Get2Text("KEYPART", type, 32, &typeLength, field, 32, &fieldLength), 0u);
  EXPECT_STREQ(field, "Nummer");
  EXPECT_EQ(fieldLength, 6u);
  EXPECT_EQ(conf.Get2Text("KEYPART", type, 32, &typeLength, field, 32, &fieldLength),
            UINT(VQCF_NO_MORE_LINES));
  conf.LeaveBlock();
  // LeaveBlock ended the sequence: the first line is found again.
  EXPECT_EQ(Text("TABLE"), "KUNDEN");
}

TEST_F(ConfReader, KeywordsMatchWithoutCaseAndColon) {
  Load("Field: 1\nfield 2\nFIELD :3\n  FiElD:\t4\nField=5\nFieldX: 6\n; Field: 7\n");
  for (const char *asked : {"FIELD", "field", "Field:", "FIELD :", " Field"}) {
    SCOPED_TRACE(asked);
    EXPECT_EQ(conf.GetKeyCount(asked), 4u);
  }
  for (const char *bad : {"", ":", "Fi eld", "1Field", "Field::"})
    EXPECT_EQ(conf.GetKeyCount(bad), 0u) << bad;
  UINT n;
  EXPECT_FALSE(conf.GetBlockCount("Fi eld", &n));
  EXPECT_FALSE(conf.GetBlockCount("FIELD", nullptr));
}

TEST_F(ConfReader, LineEndsAndByteOrderMarkReadAlike) {
  const std::string lf = "\xEF\xBB\xBFT: \"x\"\nK: 1, 2\nT: END\n";
  const std::string variants[] = {lf, "\xEF\xBB\xBFT: \"x\"\r\nK: 1, 2\r\nT: END\r\n",
                                  "T: \"x\"\r\nK: 1, 2\r\nT: END",
                                  "T: \"x\"\nK: 1,\r2\nT: END\r\n" /* a lone CR is a blank */};
  for (const std::string &text : variants) {
    SCOPED_TRACE(testing::PrintToString(text));
    Load(text);
    ASSERT_TRUE(conf.SelectBlock("T"));
    EXPECT_EQ(Text("T"), "x");
    UINT words[2], count = 0;
    EXPECT_EQ(conf.GetWords("K", words, 2, &count), 0u);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(words[1], 2u);
  }
}

TEST_F(ConfReader, EmptyAndNullTextsLoadNothing) {
  EXPECT_TRUE(conf.ReadIt("", 0));
  EXPECT_TRUE(conf.ReadIt(nullptr, 0));
  EXPECT_EQ(Blocks("TABLE"), 0u);
  EXPECT_FALSE(conf.SelectBlock("TABLE"));
  conf.LeaveBlock();
  char text[4];
  EXPECT_EQ(conf.GetText("TABLE", text, 4, nullptr), UINT(VQCF_NOT_FOUND));
  EXPECT_FALSE(conf.ReadIt(nullptr, 3));
  Load(kTwoTables);
  conf.Free();
  EXPECT_EQ(Blocks("TABLE"), 0u);
}

TEST_F(ConfReader, ReadLoadsFilesAndExplainsFailures) {
  const std::string good = PathOf("good.cfg"), binary = PathOf("binary.cfg");
  std::ofstream(good, std::ios::binary) << kTwoTables;
  std::ofstream(binary, std::ios::binary) << std::string("T: \"a\"\n\0\x01\x02", 10);

  ASSERT_TRUE(conf.Read(good.c_str(), 1, 1));
  EXPECT_STREQ(conf.GetFileName(), good.c_str());
  EXPECT_EQ(Blocks("TABLE"), 2u);

  const std::string missing = PathOf("missing.cfg");
  EXPECT_FALSE(conf.Read(missing.c_str(), 1, 1));
  EXPECT_EQ(Blocks("TABLE"), 0u) << "a failed read leaves nothing loaded";
  EXPECT_FALSE(conf.Read(binary.c_str(), 1, 1));
  EXPECT_TRUE(conf.Read(binary.c_str(), 1, 0));
  EXPECT_FALSE(conf.Read(folder.string().c_str(), 0, 0));
  EXPECT_EQ(Logged(), (std::vector<std::string>{
                          "0 CVQConfFile Error 2 on reading " + missing,
                          "0 CVQConfFile " + binary + " is not a text file",
                      }));
}

} // namespace
