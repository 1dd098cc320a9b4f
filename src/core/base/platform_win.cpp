#include "platform_win.h"

#ifdef _WIN32
#include <algorithm>

#include <windows.h>

#include "text_utf.h"

namespace {

std::u16string ToUtf16(std::wstring_view wide) {
    return std::u16string(wide.begin(), wide.end());
}

} // namespace

std::string SystemErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length == 0 ? std::string() : Utf16ToUtf8(ToUtf16({buffer, length}));
    LocalFree(buffer);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

void AnsiToUtf16(std::string_view bytes, std::u16string& text) {
    // Every ANSI code page agrees with ASCII; number fields need no call into the system.
    if (std::all_of(bytes.begin(), bytes.end(), [](char b) { return (b & 0x80) == 0; })) {
        text.assign(bytes.begin(), bytes.end());
        return;
    }
    const int size = static_cast<int>(bytes.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), static_cast<int>(wide.size()));
    text.assign(wide.begin(), wide.end());
}

std::optional<char16_t> AnsiCharacter(unsigned char byte) {
    const char bytes[1] = {static_cast<char>(byte)};
    wchar_t character = 0;
    if (IsDBCSLeadByteEx(CP_ACP, byte) ||
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, 1, &character, 1) != 1) {
        return std::nullopt;
    }
    return static_cast<char16_t>(character);
}

#else
#include <cstring>

namespace {

// At 80h..9Fh the five codes Windows-1252 leaves free map to themselves, as on Windows.
constexpr char16_t kWindows1252C1[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Windows1252Character(unsigned char b) {
    return b >= 0x80 && b < 0xA0 ? kWindows1252C1[b - 0x80] : char16_t{b};
}

} // namespace

std::string SystemErrorText(int code) {
    std::string text = std::strerror(code);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

void AnsiToUtf16(std::string_view bytes, std::u16string& text) {
    text.resize(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text[i] = Windows1252Character(static_cast<unsigned char>(bytes[i]));
    }
}

std::optional<char16_t> AnsiCharacter(unsigned char byte) {
    return Windows1252Character(byte);
}
#endif
