#pragma once
// Windows services that the core's file routines share: the system's error texts and the ANSI
// code page. Elsewhere the error texts come from errno, and the ANSI code page, which such a
// system has not, is Windows-1252, the code page of Western Windows.

#include <optional>
#include <string>
#include <string_view>

#ifdef _WIN32
// The system's description of a GetLastError() code in UTF-8, without the trailing blanks, line
// breaks and full stops it comes with; empty when the system has none.
std::string SystemErrorText(unsigned long code);
#else
// The system's description of an errno code, trimmed in the same way.
std::string SystemErrorText(int code);
#endif

// Bytes in the system's ANSI code page (GetACP) as UTF-16, into `text` (its storage is reused).
void AnsiToUtf16(std::string_view bytes, std::u16string& text);

// The character that the byte stands for on its own in the ANSI code page; nothing for the lead
// byte of a double-byte character or a byte that is no character by itself.
std::optional<char16_t> AnsiCharacter(unsigned char byte);
