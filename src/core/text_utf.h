#pragma once
// Conversions between the core's UTF-16 texts and UTF-8 (error messages, paths, the Qt boundary).

#include <filesystem>
#include <string>
#include <string_view>

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Invalid UTF-8 sequences become U+FFFD, one per offending byte.
std::u16string Utf8ToUtf16(std::string_view text);

// A path as text, for messages and labels. Never throws: on Windows the name's UTF-16 units are
// taken as they are, unpaired surrogates included; elsewhere its bytes are read as UTF-8.
std::u16string PathToUtf16(const std::filesystem::path& Path);
