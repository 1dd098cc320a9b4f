#include "profile_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "audio_ASCII_Import.h"
#include "editor_errors.h"
#include "measurement_import.h"
#include "test_support.h"
#include "text_utf.h"

namespace {

namespace fs = std::filesystem;

class ProfileExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        UserNotation = NumberNotation{u'.'};
        folder_ = MakeTemporaryFolder("profile-export");
    }
    void TearDown() override {
        UserNotation = NumberNotation{u'.'};
        fs::remove_all(folder_);
    }
    fs::path folder_;
};

// One-value and empty rows are left out, a third value is not written, and every number is the
// shortest plain text that reads back as its float.
const TSoundProfil kMixed{
    1,
    u"Room \u00e9",
    {{20.0f, -3.5f}, {7.0f}, {}, {1000.0f, 0.1f, 99.0f}, {1e10f, -0.0f}, {0.000015f, 1234.5677f}}};

TEST(PlainDecimalTest, ShortestTextWithoutExponent) {
    struct {
        float value;
        const char* text;
    } const cases[] = {
        {0.0f, "0"},
        {-0.0f, "-0"},
        {0.1f, "0.1"},
        {20.0f, "20"},
        {-3.5f, "-3.5"},
        {1e10f, "10000000000"},
        {1e-5f, "0.00001"},
        {16777217.0f, "16777216"},
        {1e20f, "100000000000000000000"},
        {-1.25e-3f, "-0.00125"},
        {123.456f, "123.456"},
        {3.4028235e38f, "340282350000000000000000000000000000000"},
        {1.4e-45f, "0.000000000000000000000000000000000000000000001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlainDecimal(c.value), c.text) << c.text;
        // It reads back to the same float, bit for bit.
        EXPECT_EQ(std::bit_cast<uint32_t>(std::strtof(c.text, nullptr)),
                  std::bit_cast<uint32_t>(c.value))
            << c.text;
    }
}

TEST(PlainDecimalTest, EveryKindOfFloatReadsBack) {
    std::mt19937 random(11);
    for (int i = 0; i < 200000; ++i) {
        const float value = std::bit_cast<float>(static_cast<uint32_t>(random()));
        if (!std::isfinite(value)) {
            continue;
        }
        const std::string text = PlainDecimal(value);
        ASSERT_EQ(text.find_first_not_of("-0123456789."), std::string::npos) << text;
        ASSERT_EQ(std::bit_cast<uint32_t>(std::strtof(text.c_str(), nullptr)),
                  std::bit_cast<uint32_t>(value))
            << text;
    }
}

TEST(ExportTextTest, BytesOfEachFormat) {
    struct {
        TExportFormat format;
        std::string bytes;
    } const cases[] = {
        {TExportFormat::SemicolonText,
         "Room \xc3\xa9\r\nf(Hz);Gain(dB)\r\n20;-3.5\r\n1000;0.1\r\n10000000000;-0\r\n"
         "0.000015;1234.5677\r\n"},
        {TExportFormat::Csv,
         "frequency,gain\r\n20,-3.5\r\n1000,0.1\r\n10000000000,-0\r\n0.000015,1234.5677\r\n"},
        {TExportFormat::Frd, "* Room \xc3\xa9\r\n* Freq(Hz) Gain(dB)\r\n20\t-3.5\r\n1000\t0.1\r\n"
                             "10000000000\t-0\r\n0.000015\t1234.5677\r\n"},
        {TExportFormat::GraphicEq,
         "GraphicEQ: 20 -3.5; 1000 0.1; 10000000000 -0; 0.000015 1234.5677\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExportText(kMixed, c.format), c.bytes);
    }
}

TEST(ExportTextTest, NamesStayOneHeaderLine) {
    const TSoundProfil empty{1, u"", {}};
    EXPECT_EQ(ExportText(empty, TExportFormat::SemicolonText), "\r\nf(Hz);Gain(dB)\r\n");
    EXPECT_EQ(ExportText(empty, TExportFormat::GraphicEq), "GraphicEQ: \r\n");

    const TSoundProfil broken{1, u"a\r\nb\x1a", {}};
    EXPECT_EQ(ExportText(broken, TExportFormat::Frd), "* a  b \r\n* Freq(Hz) Gain(dB)\r\n");
    const TSoundProfil digit{1, u"2024 cans", {}};
    EXPECT_EQ(ExportText(digit, TExportFormat::Frd), "* 2024 cans\r\n* Freq(Hz) Gain(dB)\r\n");
}

// Names that the readers could take for data when they stand alone on a line, and names close to
// them that they take for a header line.
const std::u16string kHostileNames[] = {
    u"2024 cans",
    u" 100;5",
    u"\"1\";\"2\"",
    u"\t7\t8",
    u"  \"9 9\"",
    u"\r\n6;6",
    u"GraphicEQ: 10 1; 20 2",
    u"graphiceq:5 5",
    u"\ufeff4;4",
    u"\ufeff \"5,5\"",
    u"\ufeffgRaPhIcEq: 30 3",
    u"-5;3",
    u"+5;3",
    u".5;3",
    u",5;3",
    u"nan;1",
    u"INF;2",
    u"-inf",
    u"",
    u"\"",
    u"\"a\";1;2",
    u"GraphicEQ 10 1",
    u"\ufeff\ufeff1;1",
    u"* 1;2",
};

TEST(ExportTextTest, ANameThatReadsAsDataIsLabelled) {
    struct {
        std::u16string name;
        std::string line;
    } const cases[] = {
        // Import Profile (ASCII) would take these for points.
        {u"2024 cans", "Name: 2024 cans"},
        {u"1;2", "Name: 1;2"},
        // Import Measurement also skips blanks and a quote, and drops a byte-order mark first.
        {u" 100;5", "Name:  100;5"},
        {u"\"1\";\"2\"", "Name: \"1\";\"2\""},
        {u"\t7\t8", "Name:  7 8"},
        {u"\r\n6;6", "Name:   6;6"},
        {u"\ufeff4;4", "Name: \xef\xbb\xbf"
                       "4;4"},
        {u"\ufeff \"5,5\"", "Name: \xef\xbb\xbf \"5,5\""},
        // It takes a graphic-equaliser line for the whole curve.
        {u"GraphicEQ: 10 1; 20 2", "Name: GraphicEQ: 10 1; 20 2"},
        {u"\ufeffgRaPhIcEq: 30 3", "Name: \xef\xbb\xbfgRaPhIcEq: 30 3"},
        // It counts a line whose first field reads as a number among the skipped lines.
        {u"-5;3", "Name: -5;3"},
        {u"+5;3", "Name: +5;3"},
        {u".5;3", "Name: .5;3"},
        {u",5;3", "Name: ,5;3"},
        {u"nan;1", "Name: nan;1"},
        {u" \"INF\" 2", "Name:  \"INF\" 2"},
        // Header lines for both readers stay as they are.
        {u"-a;3", "-a;3"},
        {u"Nano 5", "Nano 5"},
        {u"\"", "\""},
        {u" \"a\";1;2", " \"a\";1;2"},
        {u"\"\"1", "\"\"1"},
        {u"GraphicEQ 10 1", "GraphicEQ 10 1"},
        {u"\ufeff\ufeff1;1", "\xef\xbb\xbf\xef\xbb\xbf"
                             "1;1"},
        {u"Name: 1;2", "Name: 1;2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExportText(TSoundProfil{1, c.name, {}}, TExportFormat::SemicolonText),
                  c.line + "\r\nf(Hz);Gain(dB)\r\n")
            << c.line;
    }
}

TEST_F(ProfileExportTest, ValuesThatAreNotFiniteAreRefusedAndNothingIsWritten) {
    const fs::path target = folder_ / "keep.txt";
    WriteFileBytes(target, std::string("old"));
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct {
        std::vector<std::vector<float>> rows;
        std::string message;
    } const cases[] = {
        {{{20.0f, 1.0f}, {nan, 0.0f}},
         "Cannot export: point 2 holds NAN, which is not a finite number"},
        {{{20.0f, inf}}, "Cannot export: point 1 holds INF, which is not a finite number"},
        {{{nan}, {-inf, 1.0f}}, "Cannot export: point 1 holds -INF, which is not a finite number"},
    };
    for (const auto& c : cases) {
        for (const auto format : {TExportFormat::SemicolonText, TExportFormat::Csv,
                                  TExportFormat::Frd, TExportFormat::GraphicEq}) {
            try {
                ExportProfileText(target, TSoundProfil{1, u"x", c.rows}, format);
                ADD_FAILURE() << c.message;
            } catch (const EditorError& e) {
                EXPECT_EQ(e.what(), c.message);
            }
        }
    }
    EXPECT_EQ(ReadFileBytes<std::string>(target), "old");
    EXPECT_EQ(SortedEntries(folder_), std::vector<std::string>{"keep.txt"});
    // A value past the second of a row, or in a row that is left out, is not exported.
    ExportProfileText(target, TSoundProfil{1, u"x", {{nan}, {20.0f, 1.0f, inf}}},
                      TExportFormat::Csv);
    EXPECT_EQ(ReadFileBytes<std::string>(target), "frequency,gain\r\n20,1\r\n");
}

TEST_F(ProfileExportTest, FrdAndGraphicEqRefuseFrequenciesNotAboveZero) {
    const fs::path target = folder_ / "keep.frd";
    WriteFileBytes(target, std::string("old"));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct {
        std::vector<std::vector<float>> rows;
        std::string message; // empty: every format takes the rows
    } const cases[] = {
        // Rows are counted as the table counts them, those that are left out included.
        {{{20.0f, 1.0f}, {7.0f}, {0.0f, 1.0f}},
         "Row 3: the frequency 0 Hz is not above 0 Hz; FRD and GraphicEQ files need positive "
         "frequencies"},
        {{{-0.0f, 1.0f}},
         "Row 1: the frequency -0 Hz is not above 0 Hz; FRD and GraphicEQ files need positive "
         "frequencies"},
        {{{20.0f, 1.0f}, {-20.5f, 1.0f}, {0.0f, 2.0f}},
         "Row 2: the frequency -20.5 Hz is not above 0 Hz; FRD and GraphicEQ files need positive "
         "frequencies"},
        // A value that is not finite is told first, as in every format.
        {{{0.0f, nan}}, "Cannot export: point 1 holds NAN, which is not a finite number"},
        {{{1.4e-45f, 1.0f}, {0.0f}}, ""},
    };
    for (const auto& c : cases) {
        for (const auto format : {TExportFormat::Frd, TExportFormat::GraphicEq}) {
            const TSoundProfil profile{1, u"x", c.rows};
            if (c.message.empty()) {
                EXPECT_NO_THROW(ExportText(profile, format));
                continue;
            }
            try {
                ExportProfileText(target, profile, format);
                ADD_FAILURE() << c.message;
            } catch (const EditorError& e) {
                EXPECT_EQ(e.what(), c.message);
            }
        }
    }
    EXPECT_EQ(ReadFileBytes<std::string>(target), "old");
    EXPECT_EQ(SortedEntries(folder_), std::vector<std::string>{"keep.frd"});
    // The semicolon text and CSV take any finite frequency.
    const TSoundProfil zero{1, u"x", {{0.0f, 1.0f}, {-20.0f, 2.0f}}};
    EXPECT_EQ(ExportText(zero, TExportFormat::SemicolonText),
              "x\r\nf(Hz);Gain(dB)\r\n0;1\r\n-20;2\r\n");
    EXPECT_EQ(ExportText(zero, TExportFormat::Csv), "frequency,gain\r\n0,1\r\n-20,2\r\n");
}

TEST_F(ProfileExportTest, ReplacesAnExistingFileWhole) {
    const fs::path target = folder_ / "out.csv";
    WriteFileBytes(target, std::string(1000, 'x'));
    ExportProfileText(target, kMixed, TExportFormat::Csv);
    EXPECT_EQ(ReadFileBytes<std::string>(target), ExportText(kMixed, TExportFormat::Csv));
    EXPECT_EQ(SortedEntries(folder_), std::vector<std::string>{"out.csv"});
}

#ifndef _WIN32
TEST_F(ProfileExportTest, FailedWritesLeaveTheOldFileAndNoTemporary) {
    const fs::path target = folder_ / "keep.frd";
    WriteFileBytes(target, std::string("old"));
    fs::create_directory(folder_ / "dir.frd");
    const TSoundProfil big{1, u"big", std::vector<std::vector<float>>(100, {1000.0f, -2.5f})};

    // The file size limit makes the system refuse the write itself.
    std::string tooLarge;
    {
        const FileSizeLimit limit(64);
        ASSERT_TRUE(limit.Set());
        try {
            ExportProfileText(target, big, TExportFormat::Frd);
        } catch (const FileError& e) {
            tooLarge = e.what();
        }
    }
    EXPECT_EQ(tooLarge, "Stream write error: File too large");

    struct {
        fs::path target;
        std::string message;
    } const cases[] = {
        {folder_ / "dir.frd",
         "Cannot create file \"" + (folder_ / "dir.frd").string() + "\". Is a directory"},
        {folder_ / "missing" / "p.frd", "Cannot create file \"" +
                                            (folder_ / "missing" / "p.frd").string() +
                                            "\". No such file or directory"},
    };
    for (const auto& c : cases) {
        try {
            ExportProfileText(c.target, big, TExportFormat::Frd);
            ADD_FAILURE() << c.message;
        } catch (const FileError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
    EXPECT_EQ(ReadFileBytes<std::string>(target), "old");
    EXPECT_EQ(SortedEntries(folder_), (std::vector<std::string>{"dir.frd", "keep.frd"}));
    EXPECT_TRUE(fs::is_empty(folder_ / "dir.frd"));
}
#endif

// The floats the table gives after Update / Sort: whole frequencies and gains of one decimal,
// each the float nearest to its text.
std::vector<std::vector<float>> TableLikeRows(std::size_t count) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> frequency(1, 40000);
    std::uniform_int_distribution<int> tenths(-9999, 9999);
    std::vector<std::vector<float>> rows;
    for (std::size_t i = 0; i < count; ++i) {
        char gain[32];
        std::snprintf(gain, sizeof gain, "%.1f", tenths(random) / 10.0);
        rows.push_back({static_cast<float>(frequency(random)), std::strtof(gain, nullptr)});
    }
    return rows;
}

// Every name reads back as a header line: the same points and no line of data more.
// The series holds exactly the rows' points, bit for bit.
void ExpectSamePoints(const TDatentyp& series, const std::vector<std::vector<float>>& rows,
                      std::size_t count, const std::string& shown) {
    ASSERT_EQ(series.DatenXYZ[0].size(), count) << shown;
    for (std::size_t i = 0; i < count; ++i) {
        ASSERT_EQ(std::bit_cast<uint32_t>(series.DatenXYZ[0][i]),
                  std::bit_cast<uint32_t>(rows[i][0]))
            << shown;
        ASSERT_EQ(std::bit_cast<uint32_t>(series.DatenXYZ[1][i]),
                  std::bit_cast<uint32_t>(rows[i][1]))
            << shown;
    }
}

TEST_F(ProfileExportTest, SemicolonTextAndFrdReadBackThroughTheAsciiImport) {
    std::vector<std::u16string> names{u"1 kHz dip"};
    names.insert(names.end(), std::begin(kHostileNames), std::end(kHostileNames));
    for (const char16_t separator : {u'.', u','}) {
        UserNotation = NumberNotation{separator};
        // The ASCII import finds the delimiter of a file of three lines in the line of titles,
        // whose blanks do not separate FRD's fields: FRD needs two points.
        struct {
            TExportFormat format;
            char16_t delimiter;
            std::vector<std::size_t> counts;
        } const cases[] = {
            {TExportFormat::SemicolonText, u';', {1, 2, 500}},
            {TExportFormat::Frd, u'\t', {2, 500}},
        };
        for (const auto& c : cases) {
            for (const std::size_t count : c.counts) {
                for (const std::u16string& name : names) {
                    const TSoundProfil profile{1, name, TableLikeRows(count)};
                    const fs::path file = folder_ / "profile.txt";
                    ExportProfileText(file, profile, c.format);
                    const std::string shown = Utf16ToUtf8(name);

                    ASSERT_EQ(DetectDelimiter(file), c.delimiter) << shown;
                    TDatentyp series;
                    std::u16string header;
                    ASSERT_TRUE(ImportAsciiProfile(file, series, c.delimiter, header)) << shown;
                    ExpectSamePoints(series, profile.xyData, count, shown);
                }
            }
        }
    }
}

TEST_F(ProfileExportTest, EveryFormatReadsBackThroughTheMeasurementImport) {
    std::vector<std::u16string> names{u"2 ways"};
    names.insert(names.end(), std::begin(kHostileNames), std::end(kHostileNames));
    for (const char16_t separator : {u'.', u','}) {
        UserNotation = NumberNotation{separator};
        for (const auto format : {TExportFormat::SemicolonText, TExportFormat::Csv,
                                  TExportFormat::Frd, TExportFormat::GraphicEq}) {
            for (const std::size_t count : {std::size_t{1}, std::size_t{300}}) {
                for (const std::u16string& name : names) {
                    const TSoundProfil profile{1, name, TableLikeRows(count)};
                    const fs::path file = folder_ / "profile.txt";
                    ExportProfileText(file, profile, format);
                    const std::string shown = Utf16ToUtf8(name);

                    TDatentyp series;
                    const TMeasurementLayout layout = ImportMeasurement(file, 1, series);
                    EXPECT_EQ(layout.DataLines, count) << shown;
                    // The name line does not even begin like data.
                    EXPECT_EQ(layout.SkippedLines, 0u) << shown;
                    ExpectSamePoints(series, profile.xyData, count, shown);
                }
            }
        }
    }
}

} // namespace
