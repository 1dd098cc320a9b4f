#include "measurement_import.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "editor_errors.h"
#include "file_calls.h"
#include "file_test_fixture.h"
#include "test_support.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;
using Floats = std::vector<float>;
using Titles = std::vector<std::u16string>;

// The text with a byte-order mark, in UTF-16 of either byte order.
std::string Utf16Bytes(std::u16string_view text, bool littleEndian) {
    std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t c : text) {
        const char low = static_cast<char>(c & 0xFF);
        const char high = static_cast<char>(c >> 8);
        bytes += littleEndian ? low : high;
        bytes += littleEndian ? high : low;
    }
    return bytes;
}

class MeasurementImportTest : public ImportTest {
protected:
    MeasurementImportTest() : ImportTest("measurement-import-test", "measurement.txt") {}
};

struct Case {
    const char* name;
    std::string bytes;
    int32_t gainColumn;
    char16_t delimiter; // 0: no data, the series stays as it was
    int32_t columns;
    Floats frequencies;
    Floats gains;
    Titles titles;
    std::size_t skipped;
};

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"tab", "f\tg\n20\t-3.5\n1000\t0\n", 1, u'\t', 2, {20, 1000}, {-3.5f, 0}, {u"f", u"g"}, 0},
        {"semicolon with a German gain", "20;3,5", 1, u';', 2, {20}, {3.5f}, {}, 0},
        {"blank run with German numbers", "20,5 3,25", 1, u' ', 2, {20.5f}, {3.25f}, {}, 0},
        {"comma with blanks", "20.0, 72.93, -39.03", 1, u',', 3, {20}, {72.93f}, {}, 0},
        {"comma between whole numbers", "1000,5", 1, u',', 2, {1000}, {5}, {}, 0},
        {"one decimal for the frequency, four for the gain",
         "20.06;-3.14159\n",
         1,
         u';',
         2,
         {20.1f},
         {-3.1416f},
         {},
         0},
        {"measurement with star comments and a title row",
         "* Measurement\r\n* Format: 1/48 octave\r\n* Freq(Hz) SPL(dB) Phase(degrees)\r\n"
         "20.000 72.93 -39.03\r\n  20.29   73.01  -38.5  \r\n",
         1,
         u' ',
         3,
         {20, 20.3f},
         {72.93f, 73.01f},
         {u"Freq(Hz)", u"SPL(dB)", u"Phase(degrees)"},
         0},
        {"third column",
         "f;a;b\n20;1;2\n30;3;4\n",
         2,
         u';',
         3,
         {20, 30},
         {2, 4},
         {u"f", u"a", u"b"},
         0},
        {"hash title with tabs",
         "# Freq(Hz)\tGain(dB)\n20\t1\n",
         1,
         u'\t',
         2,
         {20},
         {1},
         {u"Freq(Hz)", u"Gain(dB)"},
         0},
        {"title row is the last header line before the first data line",
         "Title\nf;g\n20;1\nlate;header\n30;2\n",
         1,
         u';',
         2,
         {20, 30},
         {1, 2},
         {u"f", u"g"},
         0},
        {"title row with fewer fields than columns",
         "Response\n20;1;2\n",
         1,
         u';',
         3,
         {20},
         {1},
         {},
         0},
        {"quoted fields",
         "\"Freq\",\"Gain\"\n\"20\",\"3.5\"\n \"30\" , \" 4 \"\n",
         1,
         u',',
         2,
         {20, 30},
         {3.5f, 4},
         {u"Freq", u"Gain"},
         0},
        {"numbers that do not begin with a digit are skipped, other lines are headers",
         "-20;1\n+20;1\n.5;1\n\nx;1\n 20;1\n",
         1,
         u';',
         2,
         {20},
         {1},
         {u"x", u"1"},
         3},
        {"a skipped number is no title row",
         "Hz dB\n-50 1.0\n\"-,5\" 2\nnan 3\n20 1\n",
         1,
         u' ',
         2,
         {20},
         {1},
         {u"Hz", u"dB"},
         3},
        {"skipped lines",
         "Hz;dB\n20;1\n30;x\n40\n50;2\n",
         1,
         u';',
         2,
         {20, 50},
         {1, 2},
         {u"Hz", u"dB"},
         2},
        {"most common count of numeric fields",
         "20;1;2\n30;1\n40;1;2;x\n",
         1,
         u';',
         3,
         {20, 30, 40},
         {1, 1, 1},
         {},
         0},
        {"equally common counts give the larger",
         "20;1\n30;1;2\n",
         1,
         u';',
         3,
         {20, 30},
         {1, 1},
         {},
         0},
        {"more data lines win over the order",
         "20,1\n30;2\n40;3\n",
         1,
         u';',
         2,
         {30, 40},
         {2, 3},
         {},
         1},
        {"tie: semicolon before comma", "20;1\n30,2\n", 1, u';', 2, {20}, {1}, {}, 1},
        {"tie: comma before blank", "20,1\n30 2\n", 1, u',', 2, {20}, {1}, {}, 1},
        {"tie: tab before blank", "20\t1\n30\t2\n", 1, u'\t', 2, {20, 30}, {1, 2}, {}, 0},
        {"blank runs take the TAB lines too", "20\t1\n30 2\n", 1, u' ', 2, {20, 30}, {1, 2}, {}, 0},
        {"CR alone ends lines",
         "Hz;dB\r20;1\r30;2\r",
         1,
         u';',
         2,
         {20, 30},
         {1, 2},
         {u"Hz", u"dB"},
         0},
        {"mixed line ends",
         "Hz;dB\r\n20;1\r30;2\n\n40;3",
         1,
         u';',
         2,
         {20, 30, 40},
         {1, 2, 3},
         {u"Hz", u"dB"},
         0},
        {"long line", "20;" + std::string(100000, ' ') + "1\n", 1, u';', 2, {20}, {1}, {}, 0},
        {"UTF-8 mark", "\xEF\xBB\xBFHz;dB\n20;1\n", 1, u';', 2, {20}, {1}, {u"Hz", u"dB"}, 0},
        {"UTF-16 LE mark",
         Utf16Bytes(u"Hz;Verst\u00E4rkung \u20AC\r\n20;1,5\r\n", true),
         1,
         u';',
         2,
         {20},
         {1.5f},
         {u"Hz", u"Verst\u00E4rkung \u20AC"},
         0},
        {"UTF-16 BE mark",
         Utf16Bytes(u"Hz;Verst\u00E4rkung \u20AC\r\n20;1,5\r\n", false),
         1,
         u';',
         2,
         {20},
         {1.5f},
         {u"Hz", u"Verst\u00E4rkung \u20AC"},
         0},
        {"UTF-8 without mark",
         "Hz;Verst\xC3\xA4rkung \xE2\x82\xAC\n20;1\n",
         1,
         u';',
         2,
         {20},
         {1},
         {u"Hz", u"Verst\u00E4rkung \u20AC"},
         0},
        {"Windows-1252 bytes",
         "Hz;Verst\xE4rkung \x80\n20;1\n",
         1,
         u';',
         2,
         {20},
         {1},
         {u"Hz", u"Verst\u00E4rkung \u20AC"},
         0},
        {"GraphicEQ line alone",
         "# EQ\n20;5\nGraphicEQ: 20 -1.5; 1000 0;20000 3;\n30;6\n",
         1,
         u'G',
         2,
         {20, 1000, 20000},
         {-1.5f, 0, 3},
         {},
         0},
        {"GraphicEQ in any letter case, with a bad point",
         "graphicEQ:20 1; 30 x; 40 2",
         1,
         u'G',
         2,
         {20, 40},
         {1, 2},
         {},
         1},
        {"GraphicEQ with a negative frequency",
         "GraphicEQ: -50 1; 20 2;;x",
         1,
         u'G',
         2,
         {20},
         {2},
         {},
         1},
        {"GraphicEQ line without points", "20;1\nGRAPHICEQ: \n", 1, 0, 0, {}, {}, {}, 0},
        {"gain column beyond the fields", "20;1\n30;2\n", 2, 0, 0, {}, {}, {}, 2},
        {"no data line", "just text\n-5;3\n\n", 1, 0, 0, {}, {}, {}, 1},
        {"empty file", "", 1, 0, 0, {}, {}, {}, 0},
    };
    return cases;
}

TEST_F(MeasurementImportTest, EachRuleForEitherUserNotation) {
    for (const char16_t separator : {u'.', u','}) {
        UserNotation.DecimalSeparator = separator;
        for (const Case& c : Cases()) {
            SCOPED_TRACE(testing::Message()
                         << c.name << ", user separator " << static_cast<char>(separator));
            TDatentyp series = Filled();
            const TMeasurementLayout layout =
                ImportMeasurement(Write(c.bytes), c.gainColumn, series);
            EXPECT_EQ(layout.Delimiter, c.delimiter);
            EXPECT_EQ(layout.ColumnCount, c.columns);
            EXPECT_EQ(layout.ColumnTitles, c.titles);
            EXPECT_EQ(layout.DataLines, c.frequencies.size());
            EXPECT_EQ(layout.SkippedLines, c.skipped);
            if (c.delimiter == 0) {
                EXPECT_EQ(series.DatenXYZ, Filled().DatenXYZ);
            } else {
                EXPECT_EQ(series.DatenXYZ[0], c.frequencies);
                EXPECT_EQ(series.DatenXYZ[1], c.gains);
                EXPECT_EQ(series.DatenXYZ[2], Filled().DatenXYZ[2]);
            }
        }
    }
}

// A file on a disk is read in blocks, a UTF-16 text converted whole: the same text must give the
// same import either way, also where lines, CR LF pairs and characters straddle two blocks.
TEST_F(MeasurementImportTest, BlockwiseReadingAgreesWithTheWholeText) {
    const std::vector<std::u16string> lines = {
        u"* Freq(Hz)\tSPL(dB)\tPhase\r\n",
        u"20.000\t72.93\t-39.03\r\n",
        u"20,5\t3,25\r\n",
        u"1.5e3;-2E-1\n",
        u"20.05;0.00005\r",
        u"  30   4.5  \r\n",
        u"30\t\t4\n",
        u" 40\t5\n",
        u"50\t6 \n",
        u"55 \t6\n",
        u"\"60\",\"7.5\"\r\n",
        u"\"70\" ; \" 8 \"\r\n",
        u"80,5 9,25\n",
        u"1000,5\n",
        u"90;1e400\n",
        u"100;nan\r\n",
        u"110;1\u00B72\n",
        u"Verst\u00E4rkung \u20AC \u00E4\u00E4\u00E4\u00E4\u00E4\u00E4\r\n",
        u"\n",
        u"120;x\n",
        u"130\n",
        u"-140;1\n",
    };
    std::vector<std::u16string> texts(lines.begin(), lines.end());
    std::u16string all;
    for (const std::u16string& line : lines) {
        all += line;
    }
    texts.push_back(all);
    // A short period of lines repeated beyond a few blocks, shifted byte by byte through it: each
    // of its line ends and characters meets a block's end in one of the files, whatever the size
    // of the blocks.
    const std::u16string period = u"\u00E4\u20AC;x\r\n20;1\u00B75\r\n30;2\r";
    std::u16string periods;
    while (periods.size() < 100'000) {
        periods += period;
    }
    for (std::size_t shift = 0; shift < 2 * period.size(); ++shift) {
        texts.push_back(std::u16string(shift, u'x') + u"\n" + periods);
    }

    // The same characters as Windows-1252 bytes: all of them are Latin-1 but the euro sign.
    const auto windows1252 = [](std::u16string_view text) {
        std::string bytes;
        for (const char16_t c : text) {
            bytes += c == u'\u20AC' ? '\x80' : static_cast<char>(c);
        }
        return bytes;
    };
    const auto bits = [](const Floats& values) {
        std::vector<std::uint32_t> all;
        for (const float v : values) {
            all.push_back(std::bit_cast<std::uint32_t>(v));
        }
        return all;
    };
    // The middle dot reads only in its own notation, so that a character misread shows.
    for (const char16_t separator : {u'.', u',', u'\u00B7'}) {
        UserNotation.DecimalSeparator = separator;
        for (int32_t gainColumn = 0; gainColumn <= 2; ++gainColumn) {
            for (std::size_t t = 0; t < texts.size(); ++t) {
                const std::u16string& text = texts[t];
                TDatentyp whole = Filled();
                const TMeasurementLayout expected = ImportMeasurement(
                    Write(Utf16Bytes(text, true), "whole.txt"), gainColumn, whole);
                for (const std::string& bytes : {Utf16ToUtf8(text), windows1252(text)}) {
                    SCOPED_TRACE(testing::Message()
                                 << "text " << t << ", " << bytes.size() << " bytes, gain column "
                                 << gainColumn << ", user separator U+" << std::hex
                                 << static_cast<int>(separator));
                    TDatentyp blockwise = Filled();
                    const TMeasurementLayout layout =
                        ImportMeasurement(Write(bytes, "blocks.txt"), gainColumn, blockwise);
                    EXPECT_EQ(layout.Delimiter, expected.Delimiter);
                    EXPECT_EQ(layout.ColumnCount, expected.ColumnCount);
                    EXPECT_EQ(layout.ColumnTitles, expected.ColumnTitles);
                    EXPECT_EQ(layout.DataLines, expected.DataLines);
                    EXPECT_EQ(layout.SkippedLines, expected.SkippedLines);
                    for (std::size_t i = 0; i < 3; ++i) {
                        EXPECT_EQ(bits(blockwise.DatenXYZ[i]), bits(whole.DatenXYZ[i])) << i;
                    }
                }
            }
        }
    }
}

// A separator of the user's own, outside ASCII, reads too, in a UTF-8 and a Windows-1252 file.
TEST_F(MeasurementImportTest, UserNotationBeyondAscii) {
    UserNotation.DecimalSeparator = u'\u00B7';
    for (const std::string middleDot : {"\xC2\xB7", "\xB7"}) {
        SCOPED_TRACE(middleDot.size());
        TDatentyp series;
        const TMeasurementLayout layout =
            ImportMeasurement(Write("20" + middleDot + "5;-1" + middleDot + "25\n"), 1, series);
        EXPECT_EQ(layout.Delimiter, u';');
        EXPECT_EQ(series.DatenXYZ[0], Floats{20.5f});
        EXPECT_EQ(series.DatenXYZ[1], Floats{-1.25f});
    }
}

// The messages are those of the profile reader for the same path.
TEST_F(MeasurementImportTest, PathsThatNameNoReadableFileRaiseTheProfileReadersErrors) {
    const fs::path unreadable = Write("20;1\n", "unreadable.txt");
    fs::permissions(unreadable, fs::perms::none);
    std::vector<fs::path> paths = {folder_ / "missing.txt", folder_};
#ifndef _WIN32
    if (::geteuid() != 0) { // the superuser reads every file
        paths.push_back(unreadable);
    }
#endif
    for (const fs::path& path : paths) {
        SCOPED_TRACE(path.string());
        std::string expected;
        try {
            TSoundProfil profile;
            LoadSoundProfil(path, profile);
        } catch (const FileError& e) {
            expected = e.what();
        }
        ASSERT_NE(expected.find("Cannot open file \"" + path.string() + "\". "), std::string::npos);
        TDatentyp series = Filled();
        try {
            ImportMeasurement(path, 1, series);
            ADD_FAILURE() << "no error";
        } catch (const FileError& e) {
            EXPECT_EQ(e.what(), expected);
        }
        EXPECT_EQ(series.DatenXYZ, Filled().DatenXYZ);
    }
    fs::permissions(unreadable, fs::perms::owner_all);
}

#ifndef _WIN32
int lockError = 0;
int RefusingFlock(int, int) {
    errno = lockError;
    return -1;
}

// Where the file system cannot lock (NFS without its lock daemon), the file is read unlocked;
// only a lock that another program holds refuses it, with the profile reader's words.
TEST_F(MeasurementImportTest, FileSystemsWithoutLocksGoUnlockedAndOnlyAHeldLockRefuses) {
    const struct {
        int error;
        std::string reason; // empty: the file is read
    } cases[] = {
        {ENOLCK, ""},
        {EOPNOTSUPP, ""},
        {EBADF, ""},
        {EWOULDBLOCK, "Resource temporarily unavailable"},
    };
    const fs::path path = Write("Hz;dB\n20;1\n");
    const TFileCalls saved = FileCalls;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        lockError = c.error;
        FileCalls.Lock = &RefusingFlock;
        TDatentyp series = Filled();
        std::string importMessage, linesMessage;
        try {
            ImportMeasurement(path, 1, series);
        } catch (const FileError& e) {
            importMessage = e.what();
        }
        std::vector<std::u16string> lines;
        try {
            lines = MeasurementLines(path, 5, 100);
        } catch (const FileError& e) {
            linesMessage = e.what();
        }
        FileCalls = saved;
        if (c.reason.empty()) {
            EXPECT_EQ(importMessage, "");
            EXPECT_EQ(series.DatenXYZ[0], Floats{20});
            EXPECT_EQ(series.DatenXYZ[1], Floats{1});
            EXPECT_EQ(linesMessage, "");
            EXPECT_EQ(lines, Titles({u"Hz;dB", u"20;1"}));
        } else {
            const std::string expected = "Cannot open file \"" + path.string() + "\". " + c.reason;
            EXPECT_EQ(importMessage, expected);
            EXPECT_EQ(series.DatenXYZ, Filled().DatenXYZ);
            EXPECT_EQ(linesMessage, expected);
        }
    }
}
#endif

TEST_F(MeasurementImportTest, FileOverTheSizeLimitIsRefusedBeforeItIsRead) {
    const fs::path path = Write("20;1\n");
    fs::resize_file(path, (std::uintmax_t{1} << 28) + 1); // sparse: nothing is really written
    TDatentyp series = Filled();
    try {
        ImportMeasurement(path, 1, series);
        ADD_FAILURE() << "no error";
    } catch (const OutOfMemoryError& e) {
        EXPECT_STREQ(e.what(), "Out of memory");
    }
    EXPECT_EQ(series.DatenXYZ, Filled().DatenXYZ);
}

} // namespace
