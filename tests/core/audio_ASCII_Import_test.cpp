#include "audio_ASCII_Import.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include "editor_errors.h"
#include "file_test_fixture.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using Floats = std::vector<float>;

class AsciiImportTest : public ImportTest {
protected:
    AsciiImportTest() : ImportTest("ascii-import-test", "profile.txt") {}

    static void ExpectSame(const TDatentyp& a, const TDatentyp& b) {
        EXPECT_EQ(a.DatenXYZ, b.DatenXYZ);
        EXPECT_EQ(a.sttag, b.sttag);
        EXPECT_EQ(a.stEinheit, b.stEinheit);
        EXPECT_EQ(a.iDatatyp, b.iDatatyp);
        EXPECT_EQ(a.ChartLabel, b.ChartLabel);
    }
};

TEST_F(AsciiImportTest, ExampleFileGivesTheSamePointsForEitherUserNotation) {
    for (const char16_t separator : {u'.', u','}) {
        for (const std::string eol : {"\n", "\r\n"}) {
            SCOPED_TRACE(testing::Message()
                         << "separator " << char(separator) << ", CR LF " << (eol.size() == 2));
            UserNotation.DecimalSeparator = separator;
            const fs::path path = Write("Example response" + eol + "f;g" + eol + "20;-3,25" + eol +
                                        "1000;0" + eol + "800,5;2.5;measured" + eol);
            ASSERT_EQ(DetectDelimiter(path), u';');
            TDatentyp series = Filled();
            std::u16string header = u"stale";
            ASSERT_TRUE(ImportAsciiProfile(path, series, u';', header));
            EXPECT_EQ(series.DatenXYZ[0], (Floats{20, 1000, 800.5f}));
            EXPECT_EQ(series.DatenXYZ[1], (Floats{-3.25f, 0, 2.5f}));
            EXPECT_EQ(series.DatenXYZ[2], Floats{5});
            EXPECT_EQ(series.sttag, u"tag");
            EXPECT_EQ(header, u"f;g");
        }
    }
}

TEST_F(AsciiImportTest, DelimiterComesFromLineThreeOfLongFilesAndLineTwoOfShortOnes) {
    const struct {
        std::string bytes;
        char16_t expected;
    } cases[] = {
        {"a\nb;c", u';'},                 // two lines: line 2
        {"a\nb;c\nd e", u';'},            // three lines: still line 2
        {"a\nb;c\nd e\nf:g", u' '},       // four lines: line 3, even a header line
        {"a\nb\nc\n1;2\n3;4\n", u'-'},    // line 3 holds none; data lines do not count
        {"a\nb\nc;d\n", u'-'},            // the final break starts no fourth line
        {"a\r\nb\r\nc;d\r\ne\r\n", u';'}, // CR LF
        {"h\nx\n1 2;3\n9", u';'},         // ';' over space
        {"h\nx\n1:2\t3\n9", u'\t'},       // TAB over ':'
        {"h\na:b\n", u':'},
        {"a\r1;2\r3;4\r", u'-'},      // CR alone ends no line: one line
        {"1;2\n", u'-'},              // one line
        {"", u'-'},                   // an empty file is one line
        {"a\nb\n\032c;d\ne\n", u'-'}, // 1Ah ends the file: two lines, line 2 is "b"
        {"a\nb;\032c\n", u';'},
        {"a\nb\032;c\n", u'-'},
        {"\357\273\277a\n\xE4\x80;b\n", u';'}, // a UTF-8 byte-order mark is just characters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(DetectDelimiter(Write(c.bytes)), c.expected);
    }
}

TEST_F(AsciiImportTest, DataLinesAndTheirOutcome) {
    const struct {
        char16_t delimiter;
        std::string line;
        bool ok;
        float frequency;
        float gain;
    } cases[] = {
        {u' ', "1000  -3.5", false, 0, 0},         // the second field is empty
        {u' ', "1000 -3.5 dB", true, 1000, -3.5f}, // third field ignored
        {u';', "1000 ; -3.5", true, 1000, -3.5f},  // spaces around numbers
        {u';', "1000;-3.5 dB", false, 0, 0},
        {u';', "1000", false, 0, 0},
        {u';', "1000;", false, 0, 0},
        {u';', "1000;;5", false, 0, 0},
        {u';', "20;1,5", true, 20, 1.5f},
        {u';', "20;1.5", true, 20, 1.5f},
        {u';', "20;1.234,5", false, 0, 0},
        {u';', "1x;2", false, 0, 0}, // the frequency is no number
        {u';', "20.06;-3.14159", true, 20.1f, -3.1416f},
        {u'\t', "50\t-1\tcomment", true, 50, -1},
        {u':', "50:2,25:x", true, 50, 2.25f},
        {u';', "1\r0;2", true, 10, 2}, // a CR alone is dropped
        {u';', "1e39;-1e39", true, INFINITY, -INFINITY},
        // Bytes are split as the characters they decode to: E4h is U+00E4, 80h is U+20AC,
        // and a delimiter above U+00FF never splits.
        {u'\u00E4', "1\3442", true, 1, 2},
        {u'\u0080', "1\2002", false, 0, 0},
        {u'\u20AC', "1\2002", false, 0, 0},
    };
    for (const char16_t separator : {u'.', u','}) {
        UserNotation.DecimalSeparator = separator;
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << c.line << " with user separator " << char(separator));
            TDatentyp series = Filled();
            std::u16string header;
            const bool ok =
                ImportAsciiProfile(Write("head\n" + c.line + "\n"), series, c.delimiter, header);
            ASSERT_EQ(ok, c.ok);
            EXPECT_EQ(header, u"head");
            if (ok) {
                EXPECT_EQ(series.DatenXYZ[0], Floats{c.frequency});
                EXPECT_EQ(series.DatenXYZ[1], Floats{c.gain});
            } else {
                ExpectSame(series, Filled());
            }
        }
    }
}

// Each field keeps the value that its text normalized the 18-digit way reads back as, whether its
// bytes are ASCII or need decoding (the euro sign, 80h, as the user's separator).
TEST_F(AsciiImportTest, FieldsKeepTheValueOfTheirNormalizedText) {
    std::mt19937 random(3);
    std::vector<float> values = {0.25f, 2.5f, 0.35f, -20.05f, 123456789.0f, 1e-45f};
    for (int i = 0; i < 2000; ++i) {
        values.push_back(std::bit_cast<float>(static_cast<uint32_t>(random())));
    }
    for (const char16_t separator : {u'.', u',', u'\u20AC'}) {
        SCOPED_TRACE(static_cast<int>(separator));
        UserNotation.DecimalSeparator = separator;
        // Every other line in the German or the US notation, whichever is not the user's.
        const NumberNotation other{separator == u',' ? u'.' : u','};
        const auto text = [](float value, const NumberNotation& notation) {
            std::string bytes;
            for (const char16_t c : FormatGeneral(value, notation)) {
                bytes += c == u'\u20AC' ? '\x80' : static_cast<char>(c);
            }
            return bytes;
        };
        const auto readBack = [](float value, int32_t decimals) {
            return std::bit_cast<uint32_t>(static_cast<float>(
                TextToNumber(FormatFixed(value, 8, decimals, UserNotation), UserNotation)));
        };
        std::string bytes = "f;g\n";
        std::vector<uint32_t> expected[2];
        for (std::size_t i = 0; i + 1 < values.size(); i += 2) {
            // A data line starts with a digit: no sign, NaN or infinity for the frequency.
            const float frequency = std::isfinite(values[i]) ? std::fabs(values[i]) : 1.5f;
            const NumberNotation& written = i % 4 == 0 ? UserNotation : other;
            bytes += text(frequency, written) + ";" + text(values[i + 1], written) + "\n";
            expected[0].push_back(readBack(frequency, 1));
            expected[1].push_back(readBack(values[i + 1], 4));
        }
        TDatentyp series;
        std::u16string header;
        ASSERT_TRUE(ImportAsciiProfile(Write(bytes), series, u';', header));
        for (const std::size_t axis : {0, 1}) {
            ASSERT_EQ(series.DatenXYZ[axis].size(), expected[axis].size());
            for (std::size_t i = 0; i < expected[axis].size(); ++i) {
                ASSERT_EQ(std::bit_cast<uint32_t>(series.DatenXYZ[axis][i]), expected[axis][i])
                    << "line " << i + 2;
            }
        }
    }
}

TEST_F(AsciiImportTest, FailureLateInTheFileLeavesTheSeriesAsItWas) {
    TDatentyp series = Filled();
    std::u16string header;
    EXPECT_FALSE(ImportAsciiProfile(Write("a\n1;2\n3;4\nb\n5;x\nc\n"), series, u';', header));
    ExpectSame(series, Filled());
    EXPECT_EQ(header, u"b"); // the last header line before the failure
}

TEST_F(AsciiImportTest, HeaderLinesCarryNoData) {
    const struct {
        std::string bytes;
        std::u16string header;
    } cases[] = {
        {" 1;2\n+1;2\n-1;2\n.5;2\n,5;2\n", u",5;2"},
        {"", u""},
        {"x;y\n\n", u""}, // an empty line is a header line too
        {"\x80\xE4\x81\x9F;\r\n", u"\u20AC\u00E4\u0081\u0178;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        TDatentyp series = Filled();
        std::u16string header = u"stale";
        ASSERT_TRUE(ImportAsciiProfile(Write(c.bytes), series, u';', header));
        ExpectSame(series, Filled());
        EXPECT_EQ(header, c.header);
    }
}

TEST_F(AsciiImportTest, HeaderTextIsTheLastHeaderLine) {
    const struct {
        std::string bytes;
        std::u16string header;
    } cases[] = {
        {"a\n1;2\nb\n3;4\n", u"b"},
        {"1;2\n3;4", u""},
        {"1;2\n3;4\nlast\r\n", u"last"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        TDatentyp series;
        std::u16string header = u"stale";
        ASSERT_TRUE(ImportAsciiProfile(Write(c.bytes), series, u';', header));
        EXPECT_EQ(series.DatenXYZ[0], (Floats{1, 3}));
        EXPECT_EQ(header, c.header);
    }
}

TEST_F(AsciiImportTest, ByteOneAhEndsTheFile) {
    TDatentyp series;
    std::u16string header;
    ASSERT_TRUE(ImportAsciiProfile(Write("1;2\n3;4\0325\n6;7\nx\n"), series, u';', header));
    EXPECT_EQ(series.DatenXYZ[0], (Floats{1, 3}));
    EXPECT_EQ(series.DatenXYZ[1], (Floats{2, 4}));
    EXPECT_EQ(header, u"");
}

TEST_F(AsciiImportTest, NothingWrapsAtEightOrSixteenBits) {
    // A gain behind 300 spaces, and more data lines than 16 bits count.
    std::string bytes = "1;" + std::string(300, ' ') + "2;" + std::string(300, 'x') + "\n";
    for (int i = 1; i < 70000; ++i) {
        bytes += std::to_string(i) + ";-" + std::to_string(i % 100) + "\r\n";
    }
    TDatentyp series;
    std::u16string header;
    ASSERT_TRUE(ImportAsciiProfile(Write(bytes), series, u';', header));
    ASSERT_EQ(series.DatenXYZ[0].size(), 70000u);
    ASSERT_EQ(series.DatenXYZ[1].size(), 70000u);
    EXPECT_EQ(series.DatenXYZ[1][0], 2);
    for (const int i : {255, 256, 65535, 65536, 69999}) {
        EXPECT_EQ(series.DatenXYZ[0][i], static_cast<float>(i));
        EXPECT_EQ(series.DatenXYZ[1][i], static_cast<float>(-(i % 100)));
    }
}

TEST_F(AsciiImportTest, LongLinesAreReadWhole) {
    // Lines far longer than any read block, one with its CR LF split between two blocks.
    for (const std::size_t length : {std::size_t{262143}, std::size_t{1} << 20}) {
        const std::string title(length, 'h');
        const fs::path path = Write(title + "\r\n1;2\r\n" + title + "\r\n");
        EXPECT_EQ(DetectDelimiter(path), u';');
        TDatentyp series;
        std::u16string header;
        ASSERT_TRUE(ImportAsciiProfile(path, series, u';', header));
        EXPECT_EQ(series.DatenXYZ[0], Floats{1});
        EXPECT_EQ(header, std::u16string(length, u'h'));
    }
}

TEST_F(AsciiImportTest, PathsThatNameNoReadableFile) {
    const fs::path inFolder = folder_ / "sub";
    fs::create_directory(inFolder);
    // 259 characters are allowed, 260 are not.
    const std::string padding(259 - (folder_ / "").string().size(), 'p');
    const fs::path longest = Write("a\nb;c\n", padding);
    const fs::path tooLong = Write("a\nb;c\n", padding + "q");
    ASSERT_EQ(longest.string().size(), 259u);
    EXPECT_EQ(DetectDelimiter(longest), u';');

    // A device reads no bytes, but it is no file either.
#ifdef _WIN32
    const fs::path device = "NUL";
#else
    const fs::path device = "/dev/null";
#endif
    for (const fs::path& path : {folder_ / "missing.txt", inFolder, tooLong, device}) {
        SCOPED_TRACE(path.string());
        EXPECT_EQ(DetectDelimiter(path), u'-');
        TDatentyp series = Filled();
        std::u16string header = u"stale";
        EXPECT_FALSE(ImportAsciiProfile(path, series, u';', header));
        ExpectSame(series, Filled());
        EXPECT_EQ(header, u"");
    }
}

// A lock by another program, a read error and the open files of the process, as POSIX systems have
// them; tests/windows holds the share modes.
#ifndef _WIN32
TEST_F(AsciiImportTest, AFileLockedByAWriterCannotBeOpened) {
    const fs::path path = Write("a\nb;c\n1;2\n");
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    TDatentyp series = Filled();
    std::u16string header;
    EXPECT_EQ(DetectDelimiter(path), u'-');
    EXPECT_FALSE(ImportAsciiProfile(path, series, u';', header));
    ExpectSame(series, Filled());
    ::close(fd);
    EXPECT_EQ(DetectDelimiter(path), u';');
}

TEST_F(AsciiImportTest, ReadErrorWhileCountingIsRaisedAndFailsTheImport) {
    // Reading /proc/self/mem from offset 0 fails with EIO: a regular file that cannot be read.
    const fs::path path = "/proc/self/mem";
    EXPECT_THROW(DetectDelimiter(path), FileError);
    TDatentyp series = Filled();
    std::u16string header;
    EXPECT_FALSE(ImportAsciiProfile(path, series, u';', header));
    ExpectSame(series, Filled());
}

TEST_F(AsciiImportTest, EveryPathClosesTheFile) {
    const auto openFiles = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{});
    };
    const fs::path good = Write("a\nb;c\n1;2\n", "good.txt");
    const fs::path bad = Write("a\nb;c\n1;x\n", "bad.txt");
    const auto before = openFiles();
    TDatentyp series;
    std::u16string header;
    for (int i = 0; i < 3; ++i) {
        DetectDelimiter(good);
        ImportAsciiProfile(good, series, u';', header);
        ImportAsciiProfile(bad, series, u';', header);
        EXPECT_THROW(DetectDelimiter("/proc/self/mem"), FileError);
        ImportAsciiProfile("/proc/self/mem", series, u';', header);
    }
    EXPECT_EQ(openFiles(), before);
}
#endif

TEST(NextTokenTest, CutsOneFieldAndMovesPastItsDelimiter) {
    std::bitset<256> semicolon;
    semicolon.set(';');
    std::bitset<256> umlaut;
    umlaut.set(0xE4);
    const struct {
        std::u16string line;
        std::size_t position;
        const std::bitset<256>& set;
        std::u16string field;
        std::size_t next;
    } cases[] = {
        {u"", 1, semicolon, u"", 1},
        {u"abc", 4, semicolon, u"", 4}, // beyond the end: unchanged
        {u"abc", 3, semicolon, u"c", 5},
        {u"ab;cd", 1, semicolon, u"ab", 4},
        {u"ab;cd", 4, semicolon, u"cd", 7}, // no delimiter: length + 2
        {u"ab;;cd", 4, semicolon, u"", 5},
        {u"ab;cd", 0, semicolon, u"ab", 4},
        {u"a\u013Bb;", 1, semicolon, u"a\u013Bb", 5}, // codes above 255 never stop the scan
        {u"a\u00E4b", 1, umlaut, u"a", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "position " << c.position << ", length " << c.line.size());
        std::size_t position = c.position;
        EXPECT_EQ(NextToken(c.line, position, c.set), c.field);
        EXPECT_EQ(position, c.next);
    }
}

} // namespace
