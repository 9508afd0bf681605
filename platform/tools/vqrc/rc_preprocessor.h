/*
 * Tokens and the preprocessor of resource scripts.
 *
 * The lexer turns one file's text into tokens; the preprocessor stacks
 * included files, keeps macros and conditionals, and hands the parser a
 * stream of macro-expanded tokens, each with the file and line it came
 * from. As with a Windows resource compiler, headers (.h, .c) contribute
 * only their directives; their declarations are skipped. The system
 * headers of the Windows SDK are skipped entirely: their constants are
 * known by name instead (rc_symbols.cpp).
 */
#ifndef VQRC_RC_PREPROCESSOR_H
#define VQRC_RC_PREPROCESSOR_H

#include "rc_compiler.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace vqrc {

/// Every rejection carries the place it was found; Compile formats it.
struct CompileError {
  std::string file;
  int line = 0;
  std::string message;
};

enum class Tok { End, Ident, Number, String, Punct };

struct Token {
  Tok kind = Tok::End;
  std::string text;    // identifier, punctuator, or the literal as written
  uint32_t value = 0;  // numbers
  std::u16string wide; // strings, decoded to UTF-16
  bool wideLiteral = false;
  bool lineStart = false; // first token on its line
  bool spaceAfter = true; // false when "(" follows: "#define F(x)" is not "#define F (x)"
  const std::string *file = nullptr;
  int line = 0;

  bool is(const char *punct) const { return kind == Tok::Punct && text == punct; }
};

/// A known constant of the Windows headers (WS_*, BS_*, ...), or nullptr.
const uint32_t *KnownSymbol(const std::string &name);

class Lexer {
public:
  Lexer(const std::string *file, const std::string &text) : file_(file), text_(text) {}
  /// The next token; with inLine, End at the end of the current line.
  /// lenient lexing (inside skipped conditionals) never fails.
  Token next(bool inLine, bool lenient, uint16_t codePage);
  /// The rest of the current line as written, for #include and #error.
  std::string restOfLine();
  int line() const { return line_; }

private:
  void skipSpace(bool inLine);
  Token makeToken(Tok kind) const;
  Token lexNumber();
  Token lexString(bool wide, bool lenient, uint16_t codePage);
  [[noreturn]] void fail(const std::string &message) const;

  const std::string *file_;
  const std::string &text_;
  size_t pos_ = 0;
  int line_ = 1;
  bool lineStart_ = true;
};

class Preprocessor {
public:
  Preprocessor(const Options &options, const FileReader &reader);
  ~Preprocessor();

  /// Starts with the main script; throws CompileError when unreadable.
  void open(const std::string &path);
  /// The next expanded token; End once every file is done.
  Token next();
  Token peek();
  /// Reads a file named by the script (images), relative to the script
  /// that names it, then the include folders.
  std::string readResourceFile(const std::string &name, const Token &at);
  const std::vector<std::string> &dependencies() const { return deps_; }

private:
  struct Macro {
    std::vector<Token> body;
    bool functionLike = false;
  };
  struct Conditional {
    bool active; // this branch is being read
    bool taken;  // some branch of this #if was taken
    bool sawElse;
    bool parentActive;
    int line;
  };
  struct Frame;

  Token rawNext();
  void directive(const Token &hash);
  void include(const Token &at, const std::string &spec);
  void define(Frame &frame, const Token &at);
  bool evaluateCondition(Frame &frame, const Token &at);
  void expand(const Token &token, std::set<std::string> &active, std::vector<Token> &out,
              size_t &budget);
  bool active() const;
  std::optional<std::string> findFile(const std::string &name, const std::string &from, bool quoted,
                                      std::string &found);
  std::string takeInput(std::optional<std::string> text, const Token &at, const std::string &path);

  const Options &options_;
  const FileReader &reader_;
  std::vector<std::unique_ptr<Frame>> frames_;
  std::set<std::string> fileNames_; // stable storage for Token::file
  std::map<std::string, Macro> macros_;
  std::vector<Conditional> conditionals_;
  std::deque<Token> pending_;
  std::vector<std::string> deps_;
  uint16_t codePage_ = 1252;
  size_t inputBytes_ = 0;
};

} // namespace vqrc

#endif
