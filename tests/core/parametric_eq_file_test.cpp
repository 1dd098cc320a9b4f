#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor_errors.h"
#include "file_open.h"
#include "file_test_fixture.h"
#include "number_text.h"
#include "parametric_eq_file.h"

namespace {

class ParametricEqFileTest : public ImportTest {
protected:
    ParametricEqFileTest() : ImportTest("parametric-eq", "eq.txt") {}
};

void ExpectSameFilters(const std::vector<TFilter>& read, const std::vector<TFilter>& expected) {
    ASSERT_EQ(read.size(), expected.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].Type, expected[i].Type) << i;
        EXPECT_EQ(read[i].Frequency, expected[i].Frequency) << i;
        EXPECT_EQ(read[i].GainDb, expected[i].GainDb) << i;
        EXPECT_EQ(read[i].Q, expected[i].Q) << i;
    }
}

TEST_F(ParametricEqFileTest, TextHasOneLinePerFilterInUsNotation) {
    UserNotation = NumberNotation{u','}; // the file is the same in any notation
    TFitResult result;
    result.PreampDb = -6.3;
    result.Filters = {{TFilterType::LowShelf, 104.5, 5.25, 0.7071},
                      {TFilterType::Peaking, 1000, -0.04, 1.415},
                      {TFilterType::HighShelf, 12000.4, -3.25, 2}};
    EXPECT_EQ(ParametricEqText(result), "Preamp: -6.3 dB\r\n"
                                        "Filter 1: ON LSC Fc 105 Hz Gain 5.3 dB Q 0.71\r\n"
                                        "Filter 2: ON PK Fc 1000 Hz Gain 0.0 dB Q 1.42\r\n"
                                        "Filter 3: ON HSC Fc 12000 Hz Gain -3.3 dB Q 2.00\r\n");
    EXPECT_EQ(ParametricEqText(TFitResult{{}, -0.01, 0}), "Preamp: 0.0 dB\r\n");
}

TEST_F(ParametricEqFileTest, WrittenFiltersReadBackTheSame) {
    TFitResult result;
    result.PreampDb = -12.1;
    result.Filters = {{TFilterType::LowShelf, 31, 4.3, 0.71},
                      {TFilterType::Peaking, 105, -3.2, 1.41},
                      {TFilterType::Peaking, 2917, 0.1, 5.99},
                      {TFilterType::HighShelf, 19999, -11.9, 0.18}};
    const TParametricEq eq = ReadParametricEq(Write(ParametricEqText(result)));
    EXPECT_EQ(eq.PreampDb, -12.1);
    ExpectSameFilters(eq.Filters, result.Filters);
}

// As other programs write them: a title, notes, other spacing and letter case, numbers with more
// decimals or a comma, OFF filters and empty slots, no preamp line.
TEST_F(ParametricEqFileTest, ReadsOtherProgramsFiles) {
    const std::string text = "\xEF\xBB\xBF"
                             "Filter Settings file\n"
                             "\n"
                             "Notes: Filter 9 ON PK is not a filter line\n"
                             "# Filter 1: ON PK Fc 50 Hz Gain 3 dB Q 1\n"
                             "Filter  1: ON  PK       Fc   63.0 Hz  Gain  -5.0 dB  Q  4.000\n"
                             "filter 2:\ton\tlsc\tfc 105,5 hz\tgain 3,25 db\tq 0,7\r\n"
                             "  FILTER3 : OFF PK Fc 1000 Hz Gain 6 dB Q 1\n"
                             "Filter 4: ON None\n"
                             "Filter: ON HSC Fc 8000 Hz Gain -2dB Q 0.71\n"
                             "Filter 5: ON PK Fc 1500Hz Gain +1.5 dB Q 2";
    const TParametricEq eq = ReadParametricEq(Write(text));
    EXPECT_EQ(eq.PreampDb, 0.0);
    ExpectSameFilters(eq.Filters, {{TFilterType::Peaking, 63, -5, 4},
                                   {TFilterType::LowShelf, 105.5, 3.25, 0.7},
                                   {TFilterType::HighShelf, 8000, -2, 0.71},
                                   {TFilterType::Peaking, 1500, 1.5, 2}});

    const TParametricEq preamp =
        ReadParametricEq(Write("preamp:-4,5 dB\nFilter 1: ON PK Fc 100 Hz Gain 2 dB Q 1\n"));
    EXPECT_EQ(preamp.PreampDb, -4.5);
}

TEST_F(ParametricEqFileTest, ABadLineIsNamedByItsNumber) {
    const std::string good = "Preamp: -3 dB\nFilter 1: ON PK Fc 100 Hz Gain 2 dB Q 1\n";
    struct {
        std::string line;
        std::string message;
    } const cases[] = {
        {"Filter 2: ON LP Fc 100 Hz Q 0.7",
         "Line 3: the filter type \"LP\" is not PK, LSC or HSC."},
        {"Filter 2: ON LS Fc 100 Hz Gain 3 dB",
         "Line 3: the filter type \"LS\" is not PK, LSC or HSC."},
        {"Filter 2: ON", "Line 3: the filter type \"\" is not PK, LSC or HSC."},
        {"Filter 2: ON None Fc 100 Hz Gain 3 dB Q 1",
         "Line 3: the filter type \"None\" is not PK, LSC or HSC."},
        {"Filter 2: ON PK Fc 100 Hz Gain 3 dB",
         "Line 3: the filter needs Fc, Gain and Q, each a number, Fc and Q above 0."},
        {"Filter 2: ON PK Fc 100 Hz Gain 3 dB BW Oct 1",
         "Line 3: the filter needs Fc, Gain and Q, each a number, Fc and Q above 0."},
        {"Filter 2: ON PK Fc x Hz Gain 3 dB Q 1",
         "Line 3: the filter needs Fc, Gain and Q, each a number, Fc and Q above 0."},
        {"Filter 2: ON PK Fc 0 Hz Gain 3 dB Q 1",
         "Line 3: the filter needs Fc, Gain and Q, each a number, Fc and Q above 0."},
        {"Filter 2: ON PK Fc 100 Hz Gain NAN dB Q 1",
         "Line 3: the filter needs Fc, Gain and Q, each a number, Fc and Q above 0."},
        {"Filter 2: ON PK Fc 100 Hz Gain 1e400 dB Q 1",
         "Line 3: the filter needs Fc, Gain and Q, each a number, Fc and Q above 0."},
        {"Filter 2: ON PK Fc 100 Hz Gain 3 dB Q -1",
         "Line 3: the filter needs Fc, Gain and Q, each a number, Fc and Q above 0."},
        {"Filter 2: PK Fc 100 Hz Gain 3 dB Q 1", "Line 3: the filter is neither ON nor OFF."},
        {"Preamp: loud", "Line 3: the preamp is not a number of decibels."},
        // Preamp lines add up, and their sum must stay a number.
        {"Preamp: 1e308 dB\nPreamp: 1e308 dB", "Line 4: the preamp is not a number of decibels."},
        {"Filter 2: ON \xFF Fc 100 Hz Gain 3 dB Q 1",
         "Line 3: the filter type \"\xEF\xBF\xBD\" is not PK, LSC or HSC."},
    };
    for (const auto& c : cases) {
        try {
            ReadParametricEq(Write(good + c.line + "\r\nFilter 3: ON PK Fc 200 Hz Gain 1 dB Q 1"));
            ADD_FAILURE() << c.line;
        } catch (const EditorError& error) {
            EXPECT_EQ(error.what(), c.message);
        }
    }
}

TEST_F(ParametricEqFileTest, AFileWithoutFiltersOrThatDoesNotOpenIsRefused) {
    for (const std::string text :
         {"", "Preamp: -3 dB\r\n", "Filter 1: OFF PK Fc 100 Hz Gain 2 dB Q 1\nFilter 2: ON None\n",
          "# Filter 1: ON PK Fc 100 Hz Gain 2 dB Q 1\n"}) {
        const std::filesystem::path path = Write(text);
        try {
            ReadParametricEq(path);
            ADD_FAILURE() << text;
        } catch (const EditorError& error) {
            EXPECT_EQ(error.what(), "No filters in \"" + FullPathText(path) + "\"");
        }
    }
    const std::filesystem::path missing = folder_ / "missing.txt";
    try {
        ReadParametricEq(missing);
        ADD_FAILURE();
    } catch (const FileError& error) {
        EXPECT_EQ(error.what(),
                  "Cannot open file \"" + FullPathText(missing) + "\". " + kNoSuchFile);
    }
}

} // namespace
