// Conversions between the single-byte texts of "A" calls (Windows-1252) and
// the UTF-16 texts that windows keep and "W" calls pass.
#ifndef VQWIN_USER_WND_TEXT_H
#define VQWIN_USER_WND_TEXT_H

#include <windows.h>

#include <string>

namespace vqwin::user {

std::string ToAnsi(const WCHAR *text);
std::string ToAnsi(const std::u16string &text);
std::u16string ToWide(const char *text);
size_t WideLength(const WCHAR *text);

struct WindowClass;
WindowClass *FindClass(LPCSTR name, HINSTANCE instance);
WindowClass *FindClassW(LPCWSTR name, HINSTANCE instance);

} // namespace vqwin::user

#endif
