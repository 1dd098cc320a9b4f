#ifdef _WIN32

#include "platform_win.h"

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

#endif
