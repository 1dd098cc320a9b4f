#pragma once
// Windows services that the core's file routines share: the system's error texts and the ANSI
// code page. Windows only; elsewhere the routines use their POSIX forms.

#ifdef _WIN32

#include <optional>
#include <string>
#include <string_view>

// The system's description of a GetLastError() code in UTF-8, without the trailing blanks, line
// breaks and full stops it comes with; empty when the system has none.
std::string SystemErrorText(unsigned long code);

// Bytes in the system's ANSI code page (GetACP) as UTF-16, into `text` (its storage is reused).
void AnsiToUtf16(std::string_view bytes, std::u16string& text);

// The character that the byte stands for on its own in the ANSI code page; nothing for the lead
// byte of a double-byte character or a byte that is no character by itself.
std::optional<char16_t> AnsiCharacter(unsigned char byte);

#endif
