/*
 * The configuration editor: the layout its six numbers give, round trips of
 * everything it writes through the reader, the lines it refuses, and atomic
 * writing that leaves the old file whole when any step fails.
 */
#include "lib32_fixture.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

using lib32test::FakeOs;
using lib32test::Lib32Test;
using lib32test::Step;

std::string Spaces(size_t n) { return std::string(n, ' '); }

std::string FileText(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ConfEditor : public Lib32Test {
protected:
  void Start() { ASSERT_TRUE(conf.StartEdit(65536, 8, 32, 24, 80, 104)); }
  std::string Edited() const { return std::string(conf.GetEditText(), conf.GetEditLength()); }
  void ReadBack() { ASSERT_TRUE(reader.ReadIt(conf.GetEditText(), conf.GetEditLength())); }

  CVQConfFile conf, reader;
};

TEST_F(ConfEditor, LaysOutHeaderDataAndCommentColumns) {
  Start();
  EXPECT_TRUE(conf.EditHdDelLine());
  EXPECT_TRUE(conf.EditHdEmptyLine());
  EXPECT_TRUE(conf.EditHdParamLine(0, "Data File Description"));
  EXPECT_TRUE(conf.EditHdParamLine(3, "free"));
  EXPECT_TRUE(conf.EditHdParamLine(5, nullptr));
  EXPECT_TRUE(conf.EditHdParamLine(6, ""));
  EXPECT_TRUE(conf.EditComment());
  EXPECT_TRUE(conf.EditTextLine("Table:", "KUNDEN"));
  EXPECT_TRUE(conf.EditIntLine("GalleryLayout:", 2, "gallery  windows layout"));
  EXPECT_TRUE(conf.EditDataLine("Table:", "END"));
  EXPECT_TRUE(conf.EditDataLine("Grid:", ""));
  EXPECT_TRUE(conf.EditComment("a remark"));
  const std::string expected = ";" + std::string(79, '-') + "\r\n" +
                               ";\r\n"
                               ";" +
                               Spaces(7) +
                               "Data File Description\r\n"
                               ";" +
                               Spaces(7) + "Comment:" + Spaces(16) +
                               "free\r\n"
                               ";" +
                               Spaces(7) + "Date:" + Spaces(19) +
                               "05.12.2026 18:24:44\r\n"
                               ";" +
                               Spaces(7) +
                               "Remark:\r\n"
                               ";\r\n"
                               "Table:" +
                               Spaces(18) +
                               "\"KUNDEN\"\r\n"
                               "GalleryLayout:" +
                               Spaces(10) + "2" + Spaces(79) +
                               "; gallery  windows layout\r\n"
                               "Table:" +
                               Spaces(18) +
                               "END\r\n"
                               "Grid:\r\n"
                               "; a remark\r\n";
  EXPECT_EQ(Edited(), expected);
}

TEST_F(ConfEditor, LongTextsPushCommentsAndHeaderTextsRight) {
  ASSERT_TRUE(conf.StartEdit(16, 1, 4, 3, 6, 8));
  EXPECT_TRUE(conf.EditDataLine("Keyword:", "1, 2, 3", "c"));
  EXPECT_TRUE(conf.EditHdParamLine(4, "p"));
  EXPECT_TRUE(conf.EditHdDelLine());
  EXPECT_EQ(Edited(), "Keyword: 1, 2, 3  ; c\r\n; Program: p\r\n;-----\r\n");
}

TEST_F(ConfEditor, TablesKeysFieldsGalleryAndHistoryReadBack) {
  Start();
  conf.EditHdDelLine();
  conf.EditHdParamLine(0, "ISAM File Description");
  conf.EditHdParamLine(2, "KUNDEN");
  conf.EditComment();
  const char *names[] = {"KUNDEN", "END"};
  for (const char *name : names) {
    conf.EditTextLine("Table:", name);
    conf.EditIntLine("IndexNodeSize:", 4096);
    conf.EditComment();
    char line[160];
    std::snprintf(line, sizeof line, "%4u, %3u, %u, 0x%04X, %u, 0x%04X, %u, %2u, \"%s\"", 0u, 4u,
                  2u, 0x11u, 0u, 0x1021u, 2u, 10u, "Nummer");
    ASSERT_TRUE(conf.EditDataLine("Field:", line));
    conf.EditComment();
    ASSERT_TRUE(conf.EditDataLine("Key:", "1, 0, 0, 0, 0"));
    ASSERT_TRUE(conf.EditDataLine("KeyPart:", "\"INT32\", \"Nummer\""));
    conf.EditComment();
    conf.EditIntLine("GalleryLayout:", 0xFFFFFFFFu, "gallery  windows layout");
    conf.EditDataLine("GalleryDiaSize:", "120, 80", "Gallery dia display size");
    conf.EditTextLine("ImageFileName:", "C:\\img\\%s.jpg", "image filename definition");
    conf.EditTextLine("ImageFileName:", "say \"cheese\"; twice", "image filename definition");
    ASSERT_TRUE(conf.EditDataLine("Table:", "END"));
    conf.EditComment();
  }
  ReadBack();

  UINT tables = 0;
  ASSERT_TRUE(reader.GetBlockCount("TABLE", &tables));
  ASSERT_EQ(tables, 2u);
  ASSERT_TRUE(reader.SelectBlock("TABLE"));
  for (const char *name : names) {
    SCOPED_TRACE(name);
    char text[512], text2[32];
    UINT length, length2, value = 0, words[8], count = 0;
    EXPECT_EQ(reader.GetText("TABLE", text, 32, &length), 0u);
    EXPECT_STREQ(text, name) << "a table named END is still a head";
    EXPECT_EQ(reader.GetWord("INDEXNODESIZE", &value), 0u);
    EXPECT_EQ(value, 4096u);
    ASSERT_TRUE(reader.SelectBlock("FIELD"));
    EXPECT_EQ(reader.GetWordsText("FIELD", words, 8, &count, text, 32, &length), 0u);
    EXPECT_EQ(std::vector<UINT>(words, words + count),
              (std::vector<UINT>{0, 4, 2, 0x11, 0, 0x1021, 2, 10}));
    EXPECT_STREQ(text, "Nummer");
    reader.LeaveBlock();
    ASSERT_TRUE(reader.SelectBlock("KEY"));
    EXPECT_EQ(reader.GetKeyCount("KEYPART"), 1u);
    EXPECT_EQ(reader.Get2Text("KEYPART", text, 32, &length, text2, 32, &length2), 0u);
    EXPECT_STREQ(text, "INT32");
    EXPECT_STREQ(text2, "Nummer");
    reader.LeaveBlock();
    EXPECT_EQ(reader.GetWord("GALLERYLAYOUT", &value), 0u);
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_EQ(reader.GetWords("GALLERYDIASIZE", words, 2, &count), 0u);
    EXPECT_EQ(words[0], 120u);
    reader.BeginSequence();
    EXPECT_EQ(reader.GetText("IMAGEFILENAME", text, 512, &length), 0u);
    EXPECT_STREQ(text, "C:\\img\\%s.jpg");
    EXPECT_EQ(reader.GetText("IMAGEFILENAME", text, 512, &length), 0u);
    EXPECT_STREQ(text, "say \"cheese\"; twice");
    EXPECT_EQ(reader.GetText("IMAGEFILENAME", text, 512, &length), UINT(VQCF_NO_MORE_LINES));
    reader.EndSequence();
    reader.SelectNextBlock();
  }
}

TEST_F(ConfEditor, EveryTextLineReadsBackToItsText) {
  const std::string texts[] = {"",
                               "plain",
                               "with \"quotes\"",
                               "\"",
                               "\"\"",
                               "semi;colon",
                               "  spaces  ",
                               "END",
                               "tab\there",
                               "M\xE4rz \x80\xFF",
                               "'c'",
                               std::string(300, 'x')};
  Start();
  for (const std::string &text : texts) {
    ASSERT_TRUE(conf.EditTextLine("History:", text.c_str())) << text;
    ASSERT_TRUE(conf.EditTextLine("Noted:", text.c_str(), "a comment; with \"quotes\"")) << text;
  }
  ReadBack();
  for (const char *keyword : {"HISTORY", "NOTED"}) {
    reader.BeginSequence();
    for (const std::string &text : texts) {
      SCOPED_TRACE(keyword + (": " + text));
      char buffer[512];
      UINT length = 0;
      ASSERT_EQ(reader.GetText(keyword, buffer, 512, &length), 0u);
      EXPECT_EQ(std::string(buffer, length), text);
    }
    reader.EndSequence();
  }
}

TEST_F(ConfEditor, RefusesLinesThatWouldNotReadBack) {
  Start();
  struct Row {
    const char *name;
    std::function<BOOL()> edit;
    std::string log;
  };
  const Row rows[] = {
      {"no keyword", [&] { return conf.EditDataLine(nullptr, "1"); },
       "0 CVQConfFile \"\" is not a legal configuration keyword"},
      {"blank in keyword", [&] { return conf.EditDataLine("Key Part:", "1"); },
       "0 CVQConfFile \"Key Part:\" is not a legal configuration keyword"},
      {"digit first", [&] { return conf.EditIntLine("1st:", 1); },
       "0 CVQConfFile \"1st:\" is not a legal configuration keyword"},
      {"keyword of 64", [&] { return conf.EditDataLine(std::string(64, 'K').c_str(), "1"); },
       "0 CVQConfFile \"" + std::string(64, 'K') + "\" is not a legal configuration keyword"},
      {"line break in text", [&] { return conf.EditTextLine("Item:", "a\r\nb"); },
       "0 CVQConfFile Control character in the line of keyword Item:"},
      {"line break in comment", [&] { return conf.EditIntLine("Item:", 1, "a\nb"); },
       "0 CVQConfFile Control character in the line of keyword Item:"},
      {"unpaired quote", [&] { return conf.EditDataLine("Item:", "\"a\", \"b"); },
       "0 CVQConfFile Text of keyword Item: has an unpaired quote or a ';' outside quotes"},
      {"semicolon outside quotes", [&] { return conf.EditDataLine("Item:", "a; b"); },
       "0 CVQConfFile Text of keyword Item: has an unpaired quote or a ';' outside quotes"},
      {"line break in comment line", [&] { return conf.EditComment("a\nb"); },
       "0 CVQConfFile Control character in a comment"},
      {"header line 7", [&] { return conf.EditHdParamLine(7, "x"); },
       "0 CVQConfFile Illegal header line number 7"},
      {"line break in header", [&] { return conf.EditHdParamLine(3, "x\ny"); },
       "0 CVQConfFile Control character in the text of header line 3"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    ClearLog();
    EXPECT_FALSE(row.edit());
    EXPECT_EQ(Logged(), std::vector<std::string>{row.log});
  }
  EXPECT_EQ(conf.GetEditLength(), 0u) << "refused lines leave nothing behind";
}

TEST_F(ConfEditor, NeedsAStartWithAGoodLayout) {
  EXPECT_FALSE(conf.EditComment());
  EXPECT_FALSE(conf.WriteEdit(PathOf("x.cfg").c_str(), 1));
  EXPECT_FALSE(conf.StartEdit(0, 8, 32, 24, 80, 104));
  EXPECT_FALSE(conf.StartEdit(65536, 32, 32, 24, 80, 104));
  EXPECT_FALSE(conf.StartEdit(65536, 8, 32, 104, 80, 104));
  EXPECT_FALSE(conf.StartEdit(65536, 8, 32, 24, 2000, 104));
  EXPECT_EQ(Logged(),
            (std::vector<std::string>{
                "0 CVQConfFile The configuration editor is not started.",
                "0 CVQConfFile The configuration editor is not started.",
                "0 CVQConfFile Illegal layout for the configuration editor (0, 8, 32, 24, 80, 104)",
                "0 CVQConfFile Illegal layout for the configuration editor (65536, 32, 32, 24, 80, "
                "104)",
                "0 CVQConfFile Illegal layout for the configuration editor (65536, 8, 32, 104, 80, "
                "104)",
                "0 CVQConfFile Illegal layout for the configuration editor (65536, 8, 32, 24, "
                "2000, 104)",
            }));
  Start();
  conf.EditComment("x");
  Start();
  EXPECT_EQ(conf.GetEditLength(), 0u) << "StartEdit begins a new text";
  conf.EditComment("x");
  conf.Free();
  EXPECT_EQ(conf.GetEditLength(), 0u);
  EXPECT_FALSE(conf.EditComment());
}

TEST_F(ConfEditor, WriteEditReplacesOrAppends) {
  const std::string path = PathOf("desc.cfg");
  Start();
  conf.EditIntLine("A:", 1);
  ASSERT_TRUE(conf.WriteEdit(path.c_str(), 0)) << "appending to a missing file creates it";
  EXPECT_EQ(FileText(path), "A:" + Spaces(22) + "1\r\n");
  EXPECT_STREQ(conf.GetFileName(), path.c_str());
  ASSERT_TRUE(conf.WriteEdit(path.c_str(), 0));
  EXPECT_EQ(FileText(path), "A:" + Spaces(22) + "1\r\nA:" + Spaces(22) + "1\r\n");
  ASSERT_TRUE(conf.WriteEdit(path.c_str(), 1));
  EXPECT_EQ(FileText(path), "A:" + Spaces(22) + "1\r\n");
  EXPECT_FALSE(std::filesystem::exists(path + ".vqtmp"));
}

TEST_F(ConfEditor, FailingWriteLeavesTheOldFileWhole) {
  const std::string path = PathOf("desc.cfg");
  std::ofstream(path, std::ios::binary) << "Old: 1\r\n";
  Start();
  for (int i = 0; i < 1000; ++i)
    conf.EditTextLine("New:", "a text long enough to need several blocks of the disk");
  const struct {
    const char *name;
    Step step;
    BOOL replace;
  } rows[] = {{"create", Step::Create, 1},
              {"write", Step::Write, 1},
              {"sync", Step::Sync, 1},
              {"rename", Step::Rename, 1},
              {"write while appending", Step::Write, 0}};
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    ClearLog();
    FakeOs::failing = row.step;
    EXPECT_FALSE(conf.WriteEdit(path.c_str(), row.replace));
    EXPECT_EQ(FileText(path), "Old: 1\r\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".vqtmp"));
    EXPECT_EQ(Logged(), std::vector<std::string>{"0 CVQFile Error 112 on writing " + path});
  }
  FakeOs::failing = Step::None;
  EXPECT_TRUE(conf.WriteEdit(path.c_str(), 1));
  EXPECT_EQ(FileText(path), Edited());
}

// Whatever the reader takes as a text the editor must write back to the
// same text, and what it cannot write the reader must refuse: every byte in
// the middle, at the ends and alone, quoted and bare.
TEST_F(ConfEditor, EveryTextTheReaderTakesIsWrittenBackToItself) {
  for (int byte = 1; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    for (const std::string &inner : {std::string("a") + c + "b", std::string(1, c) + "b",
                                     std::string("a") + c, std::string(1, c)}) {
      std::string quoted;
      for (char q : inner)
        quoted += q == '"' ? std::string("\"\"") : std::string(1, q);
      for (const std::string &line : {"K: \"" + quoted + "\"\n", "K: " + inner + "\n"}) {
        SCOPED_TRACE(testing::Message() << "byte " << byte << " in line \"" << line << '"');
        CVQConfFile in;
        ASSERT_TRUE(in.ReadIt(line.data(), UINT(line.size())));
        char text[16];
        UINT length = 0;
        if (in.GetText("K", text, sizeof text, &length) != VQCF_OK)
          continue;
        Start();
        ASSERT_TRUE(conf.EditTextLine("K:", text));
        ReadBack();
        char back[16];
        UINT backLength = 0;
        ASSERT_EQ(reader.GetText("K", back, sizeof back, &backLength), UINT(VQCF_OK));
        EXPECT_EQ(std::string(back, backLength), std::string(text, length));
      }
    }
  }
}

TEST_F(ConfEditor, WritingIntoAMissingFolderFailsCleanly) {
  Start();
  conf.EditComment();
  const std::string path = PathOf("no/such/folder.cfg");
  EXPECT_FALSE(conf.WriteEdit(path.c_str(), 1));
  EXPECT_FALSE(conf.WriteEdit(nullptr, 1));
  EXPECT_EQ(Logged(),
            (std::vector<std::string>{"0 CVQFile Error 3 on writing " + path,
                                      "0 CVQFile Illegal arguments for writing the file "}));
}

} // namespace
