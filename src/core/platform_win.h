#pragma once
// Windows services that the core's file routines share: the system's error texts, the ANSI code
// page and UTF-8 paths for messages. Windows only; elsewhere the routines use their POSIX forms.

#ifdef _WIN32

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The system's description of a GetLastError() code in UTF-8, without the trailing blanks, line
// breaks and full stops it comes with; empty when the system has none.
std::string SystemErrorText(unsigned long code);

// The path as the user sees it, in UTF-8; path::string() would give the ANSI code page.
std::string PathToUtf8(const std::filesystem::path& path);

// Bytes in the system's ANSI code page (GetACP) as UTF-16, into `text` (its storage is reused).
void AnsiToUtf16(std::string_view bytes, std::u16string& text);

// The character that the byte stands for on its own in the ANSI code page; nothing for the lead
// byte of a double-byte character or a byte that is no character by itself.
std::optional<char16_t> AnsiCharacter(unsigned char byte);

#endif
