// CSV as vqtbl reads and writes it: RFC 4180 records of fields separated
// by commas, a field quoted when it holds a comma, a quote or a line break
// (a quote inside doubled). Records end in CRLF when written; a bare LF is
// accepted when read, and so is a missing break after the last record. A
// UTF-8 byte order mark at the start is skipped. What the reader accepts,
// the writer writes back to the same fields.
//
// The reader does not know about encodings; the callers convert each field.
#ifndef VQTBL_CSV_H
#define VQTBL_CSV_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vqtbl {

/// Reads records one at a time from text held in memory.
class CsvReader {
public:
  explicit CsvReader(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF")
      pos_ = 3;
  }

  /// The next record into `fields`: true when one was read; false at the
  /// end or on an error (then `error()` is not empty and `line()` and
  /// `column()` say where).
  bool Next(std::vector<std::string> &fields) {
    fields.clear();
    if (pos_ >= text_.size())
      return false;
    recordLine_ = line_;
    std::string field;
    for (;;) {
      column_ = fields.size() + 1;
      if (!ReadField(field))
        return false;
      fields.push_back(std::move(field));
      field.clear();
      if (pos_ >= text_.size())
        return true;
      const char c = text_[pos_];
      if (c == ',') {
        ++pos_;
        // A comma at the very end still separates an empty last field.
        if (pos_ >= text_.size()) {
          fields.emplace_back();
          return true;
        }
        continue;
      }
      // ReadField stops only at a comma, a line break or the end.
      if (c == '\r')
        ++pos_;
      ++pos_; // '\n'
      ++line_;
      return true;
    }
  }

  const std::string &error() const { return error_; }
  /// The line the current record starts on, from 1.
  std::size_t line() const { return recordLine_; }
  /// The field of the current record, from 1.
  std::size_t column() const { return column_; }

private:
  bool Fail(const char *why) {
    error_ = why;
    return false;
  }

  bool AtBreak() const {
    if (text_[pos_] == '\n')
      return true;
    return text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n';
  }

  bool ReadField(std::string &field) {
    if (pos_ < text_.size() && text_[pos_] == '"') {
      ++pos_;
      for (;;) {
        const std::size_t quote = text_.find('"', pos_);
        if (quote == std::string_view::npos)
          return Fail("a quoted field is not closed");
        for (std::size_t i = pos_; i < quote; ++i)
          if (text_[i] == '\n')
            ++line_;
        field.append(text_.substr(pos_, quote - pos_));
        pos_ = quote + 1;
        if (pos_ < text_.size() && text_[pos_] == '"') {
          field.push_back('"');
          ++pos_;
          continue;
        }
        break;
      }
      if (pos_ < text_.size() && text_[pos_] != ',' && !AtBreak())
        return Fail("a closing quote is followed by more than a comma or a line break");
      return true;
    }
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == ',' || AtBreak())
        return true;
      if (c == '"')
        return Fail("a quote inside a field that does not start with one");
      if (c == '\r' || c == '\n')
        return Fail("a bare carriage return outside quotes");
      field.push_back(c);
      ++pos_;
    }
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  std::size_t recordLine_ = 1;
  std::size_t column_ = 0;
  std::string error_;
};

/// Appends one record to `out`.
inline void CsvWriteRecord(std::string &out, const std::vector<std::string> &fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i)
      out.push_back(',');
    const std::string &f = fields[i];
    // A lone empty field is quoted so that no record is an empty line
    // (which other readers skip), and so is a field that starts with a
    // byte order mark, which would be skipped at the start of a text.
    const bool quote = f.find_first_of(",\"\r\n") != std::string::npos ||
                       (fields.size() == 1 && f.empty()) || f.rfind("\xEF\xBB\xBF", 0) == 0;
    if (!quote) {
      out += f;
      continue;
    }
    out.push_back('"');
    for (char c : f) {
      if (c == '"')
        out.push_back('"');
      out.push_back(c);
    }
    out.push_back('"');
  }
  out += "\r\n";
}

} // namespace vqtbl

#endif
