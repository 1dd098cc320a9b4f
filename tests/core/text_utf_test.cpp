#include "text_utf.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(TextUtf, ConvertsBothWaysAndReplacesWhatIsBroken) {
    struct {
        std::u16string utf16;
        std::string utf8;
    } const pairs[] = {
        {u"", ""},
        {u"f(Hz) \u00FC\u00DF", "f(Hz) \xC3\xBC\xC3\x9F"},
        {u"\u20AC", "\xE2\x82\xAC"},
        {u"\U0001F3B5", "\xF0\x9F\x8E\xB5"},
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(Utf16ToUtf8(p.utf16), p.utf8);
        EXPECT_EQ(Utf8ToUtf16(p.utf8), p.utf16);
    }
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xD800, u'b', 0xDC00}), "a\xEF\xBF\xBD"
                                                                       "b\xEF\xBF\xBD");
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong forms are refused";
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD\uFFFD") << "a sequence cut short";
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "encoded surrogates";
}

TEST(TextUtf, PathsBecomeTextWithoutThrowing) {
    EXPECT_EQ(PathToUtf16(std::filesystem::path(u"Kl\u00E4nge/\U0001F3B5.ump")),
              u"Kl\u00E4nge/\U0001F3B5.ump");
#ifdef _WIN32
    // Windows names are UTF-16 units that need not pair up; they are kept as they are.
    const std::u16string lone{u'a', 0xD800, u'.', 0xDC00};
    EXPECT_EQ(PathToUtf16(std::filesystem::path(std::wstring(lone.begin(), lone.end()))), lone);
#else
    // POSIX names are bytes that need not be UTF-8.
    EXPECT_EQ(PathToUtf16(std::filesystem::path("a\xFF"
                                                "b")),
              u"a\uFFFDb");
#endif
}
