#include "reference_curve.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "editor_errors.h"
#include "test_support.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;

class ReferenceCurve : public ::testing::Test {
protected:
    ReferenceCurve() : folder(MakeTemporaryFolder("reference-curve")) {}
    ~ReferenceCurve() override { fs::remove_all(folder); }

    fs::path Profile(const std::string& name, std::u16string title,
                     std::vector<std::vector<float>> rows) {
        TSoundProfil profile;
        profile.iVers = SoundProfilVersion;
        profile.stName = std::move(title);
        profile.xyData = std::move(rows);
        SaveSoundProfil(folder / name, profile);
        return folder / name;
    }

    fs::path folder;
};

TEST_F(ReferenceCurve, AProfileGivesItsCompleteRowsInTheChartsOrderAndItsName) {
    CurrentSoundProfil.stName = u"current";
    CurrentSoundProfil.xyData = {{1, 2}};
    const TReferenceCurve named =
        ReadReferenceCurve(Profile("a.UMP", u"Target", {{1000, 1}, {100, -2}, {500}, {20, 3}}));
    EXPECT_EQ(named.Points.XValues(), (std::vector<double>{20, 100, 1000}));
    EXPECT_EQ(named.Points.YValues(), (std::vector<double>{3, -2, 1}));
    EXPECT_EQ(named.Name, u"Target");
    // The editor's own profile is another one.
    EXPECT_EQ(CurrentSoundProfil.stName, u"current");
    EXPECT_EQ(CurrentSoundProfil.xyData, (std::vector<std::vector<float>>{{1, 2}}));

    const TReferenceCurve single = ReadReferenceCurve(Profile("b.ump", u"", {{50, 4}}));
    EXPECT_EQ(single.Points.XValues(), (std::vector<double>{50}));
    EXPECT_EQ(single.Name, u"b.ump");
}

TEST_F(ReferenceCurve, AnyOtherFileIsReadAsAMeasurementWithTheGainOfColumnOne) {
    WriteFileBytes(folder / "room.txt",
                   std::string("* measured\nFreq(Hz)\tSPL(dB)\tPhase\n200\t3.5\t10\n100\t1\t20\n"));
    const TReferenceCurve curve = ReadReferenceCurve(folder / "room.txt");
    EXPECT_EQ(curve.Points.XValues(), (std::vector<double>{100, 200}));
    EXPECT_EQ(curve.Points.YValues(), (std::vector<double>{1, 3.5}));
    EXPECT_EQ(curve.Name, u"room.txt");
}

TEST_F(ReferenceCurve, AFileThatDoesNotReadRaisesTheReadersOwnError) {
    WriteFileBytes(folder / "bad.ump", std::string("\x02\0\0\0", 4));
    WriteFileBytes(folder / "words.txt", std::string("no numbers here\n"));
    const auto message = [](const fs::path& file) {
        try {
            ReadReferenceCurve(file);
        } catch (const EditorError& error) {
            return std::string(error.what());
        }
        return std::string("read");
    };
    EXPECT_NE(message(folder / "missing.ump").find("Cannot open file"), std::string::npos);
    EXPECT_NE(message(folder / "missing.txt").find("Cannot open file"), std::string::npos);
    EXPECT_NE(message(folder / "bad.ump"), "read");
    EXPECT_EQ(message(folder / "words.txt"), "File invalid");
    EXPECT_EQ(message(Profile("empty.ump", u"E", {{5}})), "File invalid");
}

} // namespace
