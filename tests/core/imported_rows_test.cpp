#include "imported_rows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "editor_errors.h"
#include "main_f.h"
#include "number_text.h"
#include "test_support.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;
using Floats = std::vector<float>;

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// What a save leaves: the error messages shown, in order, and the file's bytes if it was written.
struct Outcome {
    std::vector<std::string> messages;
    std::optional<std::string> bytes;
};

std::optional<std::string> BytesOf(const fs::path& path) {
    if (!fs::exists(path)) {
        return std::nullopt;
    }
    return ReadFileBytes<std::string>(path);
}

class PointsAsSavedTest : public ::testing::Test {
protected:
    void SetUp() override {
        CurrentSoundProfil = TSoundProfil{};
        folder_ = MakeTemporaryFolder("points-as-saved");
    }
    void TearDown() override {
        fs::remove_all(folder_);
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
    }

    // The editor's way: the points imported into a new window, the name typed, then Save.
    Outcome ThroughTheForm(const Floats& freqs, const Floats& gains, const std::u16string& name) {
        const fs::path path = folder_ / "form.ump";
        Outcome outcome;
        TForm1 form;
        form.Desktop.MessageDlg = [&outcome](TMsgDlgType type, TMsgDlgButtons,
                                             const std::u16string& text) {
            if (type == TMsgDlgType::mtError) {
                outcome.messages.push_back(Utf16ToUtf8(text));
            }
            return type == TMsgDlgType::mtConfirmation ? TModalResult::mrYes : TModalResult::mrOk;
        };
        form.Desktop.RunSaveDialog = [&path](const TFileDialogSettings&) {
            return std::optional<fs::path>(path);
        };
        TDatentyp series;
        series.DatenXYZ[0] = freqs;
        series.DatenXYZ[1] = gains;
        form.ShowImportedData(series);
        form.Edit1.SetText(name);
        form.Execute(&TForm1::acSaveProfileExecute);
        outcome.bytes = BytesOf(path);
        return outcome;
    }

    // The tool's way: the rows from PointsAsSaved, written as they are.
    Outcome ThroughTheFunction(const Floats& freqs, const Floats& gains,
                               const std::u16string& name) {
        const fs::path path = folder_ / "function.ump";
        Outcome outcome;
        try {
            const TSavedRows saved = PointsAsSaved(freqs, gains);
            for (const std::u16string& message : saved.Messages) {
                outcome.messages.push_back(Utf16ToUtf8(message));
            }
            if (saved.Messages.empty()) {
                SaveSoundProfil(path, TSoundProfil{SoundProfilVersion, name, saved.Rows});
            }
        } catch (const EditorError& e) {
            outcome.messages.push_back(Utf16ToUtf8(ErrorBoxText(Utf8ToUtf16(e.what()))));
        }
        outcome.bytes = BytesOf(path);
        return outcome;
    }

    fs::path folder_;
};

// The same bytes or the same messages as the editor's Import and Save, for inputs where the
// table's rounding, its sort of equal and NaN keys, and cells that do not convert all show.
TEST_F(PointsAsSavedTest, GivesTheBytesAndMessagesOfTheEditorsSave) {
    // Frequencies that meet once rounded, in an order the exchange sort does not keep stable.
    Floats manyFreqs;
    Floats manyGains;
    for (int i = 0; i < 60; ++i) {
        manyFreqs.push_back(static_cast<float>((i * 7) % 5) * 100.04f + 20.0f);
        manyGains.push_back(static_cast<float>(i) * 0.05f - 1.0f);
    }
    const std::vector<std::string> unread = {"Table data invalid! Check values.",
                                             "Table data invalid/empty! Check values."};
    const std::vector<std::string> unsorted = {"'ERROR' is not a valid floating point value."};
    const struct {
        const char* what;
        Floats freqs;
        Floats gains;
        std::vector<std::string> messages; // none: the file is written
    } cases[] = {
        {"equal frequencies", {1000, 20, 1000, 20.04f, 1000.04f, 500}, {1, 2, 3, 4, 5, 6}, {}},
        {"many equal frequencies", manyFreqs, manyGains, {}},
        {"rounding of both columns",
         {19.95f, 20.049f, 0.05f, 99999.95f, 1e6f},
         {0.05f, -0.05f, 0.15f, -0.0f, 12.345f},
         {}},
        {"one point", {31.5f}, {-3.3f}, {}},
        {"NaN frequency", {100, kNaN, 50, 75}, {1, 2, 3, 4}, {}},
        {"NaN gain", {100, 50, 75}, {1, kNaN, 3}, {}},
        {"infinite frequency", {100, kInf, 50}, {1, 2, 3}, {}},
        {"frequency beyond six digits", {100, 3.4e38f, 50}, {1, 2, 3}, {}},
        {"gain beyond five digits", {100, 50}, {1, -123456.7f}, {}},
        {"gains without a frequency, sorted", {50}, {1, 2}, unsorted},
        {"a gain without a frequency", {}, {1}, unread},
        {"no points", {}, {}, unread},
    };
    for (const char16_t separator : {u'.', u','}) {
        UserNotation = NumberNotation{separator};
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (separator == u'.' ? " (US)" : " (German)"));
            for (const std::u16string& name : {std::u16string(u"Curve"), std::u16string(u"")}) {
                const Outcome form = ThroughTheForm(c.freqs, c.gains, name);
                const Outcome function = ThroughTheFunction(c.freqs, c.gains, name);
                EXPECT_EQ(form.messages, function.messages);
                EXPECT_EQ(form.bytes, function.bytes);
                EXPECT_EQ(form.messages, c.messages);
                EXPECT_EQ(form.bytes.has_value(), c.messages.empty());
                fs::remove(folder_ / "form.ump");
                fs::remove(folder_ / "function.ump");
            }
        }
    }
}

} // namespace
