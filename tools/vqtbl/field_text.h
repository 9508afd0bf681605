// The text of a field as vqtbl reads and writes it outside: UTF-8, the
// display text the library's FormatData gives. Reading a text back into a
// record is the tool's own inverse of that conversion (the library
// converts only from stored bytes to text); every value it stores is shown
// again through FormatData and refused unless it reads back as written,
// so an import never stores what an export would show differently.
//
// Fields of 16-bit text the library does not convert; they are taken here
// as UTF-16 up to their first zero character.
#ifndef VQTBL_FIELD_TEXT_H
#define VQTBL_FIELD_TEXT_H

#include <windows.h>
#include <vq_tbl32.h>

#include <string>
#include <string_view>

namespace vqtbl {

/// Windows-1252 to UTF-8; bytes the code page leaves undefined become the
/// C1 control of the same number, so nothing is lost.
std::string Cp1252ToUtf8(std::string_view text);
/// UTF-8 to Windows-1252; false for bad UTF-8 or a character the code
/// page lacks.
bool Utf8ToCp1252(std::string_view text, std::string &out);

/// The field's display text from `record` as UTF-8; false when the
/// library cannot show the field (it has logged why).
bool FieldToText(const CVQFieldDesc &field, const char *record, UINT recordSize, std::string &text);

/// Stores the UTF-8 `text` into the field of `record`. False with the
/// reason in `why` when the text cannot be stored or would not read back
/// as written (blanks around it aside).
bool TextToField(const CVQFieldDesc &field, std::string_view text, char *record, UINT recordSize,
                 std::string &why);

/// The bytes a field holds in a new record: blanks for single-byte texts,
/// zeros otherwise.
void ClearField(const CVQFieldDesc &field, char *record);

} // namespace vqtbl

#endif
