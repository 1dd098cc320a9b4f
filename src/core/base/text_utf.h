#pragma once
// Conversions between the core's UTF-16 texts and UTF-8 (error messages, paths, the Qt boundary),
// and the comparison of texts with fixed ASCII words.

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

// Whether the text is the word but for the case of the letters a-z, `upperWord` written in
// capitals. ASCII letters only: a word in another script never passes for "INF" or ".UMP".
template <typename Char>
bool EqualsIgnoringAsciiCase(std::basic_string_view<Char> text, std::u16string_view upperWord) {
    if (text.size() != upperWord.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<char16_t>(
            text[i] >= 'a' && text[i] <= 'z' ? text[i] - ('a' - 'A') : text[i]);
        if (c != upperWord[i]) {
            return false;
        }
    }
    return true;
}
