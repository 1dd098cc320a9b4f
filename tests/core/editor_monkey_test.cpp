// A monkey drives the editor's commands with random cell texts, selections, dialog answers
// (good, bad and missing files, folders, cancel), undos and redos, and checks after every step
// what must always hold. A failure names the seed, the step and the actions before it; the same
// seed replays them.
//
// The long run: SPE_MONKEY_SEED=<n> editor_monkey_test --gtest_also_run_disabled_tests
//                   --gtest_filter='*DISABLED_*'

#include "main_f.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "number_text.h"
#include "test_support.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;
using Bytes = std::string;

// Draws from one seeded engine only, so a seed replays the same run wherever the engine is the
// standard one (distributions are left out: their results differ between libraries).
class Dice {
public:
    explicit Dice(uint64_t seed) : engine_(seed) {}
    uint64_t Below(uint64_t n) { return engine_() % n; }
    bool Percent(uint64_t p) { return Below(100) < p; }
    template <typename T> const T& Pick(const std::vector<T>& items) {
        return items[Below(items.size())];
    }

private:
    std::mt19937_64 engine_;
};

std::vector<uint32_t> Bits(const std::vector<float>& values) {
    std::vector<uint32_t> bits;
    for (float v : values) {
        bits.push_back(std::bit_cast<uint32_t>(v));
    }
    return bits;
}

std::vector<std::vector<uint32_t>> Bits(const std::vector<std::vector<float>>& rows) {
    std::vector<std::vector<uint32_t>> bits;
    for (const auto& row : rows) {
        bits.push_back(Bits(row));
    }
    return bits;
}

std::vector<uint64_t> Bits(const std::vector<double>& values) {
    std::vector<uint64_t> bits;
    for (double v : values) {
        bits.push_back(std::bit_cast<uint64_t>(v));
    }
    return bits;
}

bool SameProfile(const TSoundProfil& a, const TSoundProfil& b) {
    return a.stName == b.stName && Bits(a.xyData) == Bits(b.xyData);
}

void AppendInt32(Bytes& out, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((u >> shift) & 0xFF);
    }
}

Bytes ProfileBytes(const TSoundProfil& profile) {
    Bytes out;
    AppendInt32(out, 1);
    AppendInt32(out, static_cast<int32_t>(profile.stName.size()));
    for (char16_t unit : profile.stName) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    AppendInt32(out, static_cast<int32_t>(profile.xyData.size()));
    for (const auto& row : profile.xyData) {
        AppendInt32(out, static_cast<int32_t>(row.size()));
        for (float v : row) {
            AppendInt32(out, std::bit_cast<int32_t>(v));
        }
    }
    return out;
}

std::string Narrow(std::u16string_view text) {
    return Utf16ToUtf8(text);
}

std::string Utf8(const fs::path& path) {
    return Utf16ToUtf8(path.u16string());
}

// The running program's own file, for Info.
fs::path OwnExecutable() {
#ifdef _WIN32
    std::wstring name(32768, L'\0');
    name.resize(GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size())));
    return name;
#else
    return "/proc/self/exe";
#endif
}

// What a file in a dialog's answer is, and so what opening or importing it must give.
enum class FileKind { GoodProfile, BadProfile, GoodAscii, BadAscii, Unknown, Missing, Folder };

struct PoolFile {
    fs::path path;
    FileKind kind;
    TSoundProfil profile; // what a good profile file holds
};

// Everything the user sees, and the series the chart was last given.
struct Snapshot {
    std::vector<std::u16string> cells;
    std::u16string name;
    std::vector<uint64_t> x, y;
    std::vector<uint32_t> freqs, gains;
    bool operator==(const Snapshot&) const = default;
};

float RandomValue(Dice& dice) {
    switch (dice.Below(10)) {
    case 0:
        return std::numeric_limits<float>::quiet_NaN();
    case 1:
        return dice.Percent(50) ? std::numeric_limits<float>::infinity()
                                : -std::numeric_limits<float>::infinity();
    case 2:
        return std::bit_cast<float>(static_cast<uint32_t>(dice.Below(uint64_t{1} << 32)));
    case 3:
        return dice.Percent(50) ? -0.0f : 3.0e38f;
    case 4:
    case 5:
        return static_cast<float>(dice.Below(600)) / 10.0f - 30.0f;
    default:
        return static_cast<float>(dice.Below(2000000)) / 100.0f;
    }
}

TSoundProfil RandomProfile(Dice& dice) {
    static const std::u16string letters = u"AbZz 09-_\u00FC\u00DF\u20AC";
    TSoundProfil profile;
    for (uint64_t n = dice.Below(10); n > 0; --n) {
        if (dice.Percent(10)) {
            profile.stName += u"\U0001F50A";
        } else {
            profile.stName += letters[dice.Below(letters.size())];
        }
    }
    const uint64_t rows = dice.Percent(5) ? 300 : dice.Below(30);
    for (uint64_t r = 0; r < rows; ++r) {
        const uint64_t values = dice.Percent(95) ? 2 : dice.Below(4);
        std::vector<float> row;
        for (uint64_t v = 0; v < values; ++v) {
            row.push_back(RandomValue(dice));
        }
        profile.xyData.push_back(row);
    }
    return profile;
}

// A file that the profile reader must refuse.
Bytes BadProfileBytes(Dice& dice) {
    TSoundProfil profile = RandomProfile(dice);
    profile.xyData.push_back({1.0f, 2.0f});
    Bytes good = ProfileBytes(profile);
    Bytes bad;
    switch (dice.Below(6)) {
    case 0: // cut anywhere before the end
        return good.substr(0, dice.Below(good.size()));
    case 1: // another version
        AppendInt32(bad, dice.Percent(50) ? 0 : 2);
        return bad + good.substr(4);
    case 2: // a negative row count
        AppendInt32(bad, 1);
        AppendInt32(bad, 0);
        AppendInt32(bad, -static_cast<int32_t>(1 + dice.Below(5)));
        return bad;
    case 3: // a negative value count in the last row
        good.resize(good.size() - 12);
        AppendInt32(good, -1);
        return good;
    case 4: // counts no file could fill
        AppendInt32(bad, 1);
        AppendInt32(bad, dice.Percent(50) ? 0x7FFFFFFF : 0);
        AppendInt32(bad, 0x7FFFFFFF);
        AppendInt32(bad, 2);
        return bad;
    default:
        return Bytes();
    }
}

std::string NumberText(Dice& dice, double value, char separator) {
    std::ostringstream out;
    out.precision(static_cast<int>(1 + dice.Below(7)));
    out << std::fixed << value;
    std::string text = out.str();
    for (char& c : text) {
        if (c == '.') {
            c = separator;
        }
    }
    return text;
}

// Lines of points in either notation with one delimiter; line 3 is always a data line.
Bytes GoodAsciiBytes(Dice& dice) {
    static const std::vector<char> delimiters = {';', '\t', ':', ' '};
    const char delimiter = dice.Pick(delimiters);
    const std::string eol = dice.Percent(50) ? "\r\n" : "\n";
    Bytes text = "Measured response" + eol + "f" + delimiter + "g" + eol;
    const uint64_t points = 2 + (dice.Percent(5) ? 500 : dice.Below(30));
    for (uint64_t i = 0; i < points; ++i) {
        const char separator = dice.Percent(50) ? '.' : ',';
        text += NumberText(dice, 1.0 + static_cast<double>(dice.Below(2000000)) / 100.0, separator);
        text += delimiter;
        text += NumberText(dice, static_cast<double>(dice.Below(6000)) / 100.0 - 30.0, separator);
        if (dice.Percent(10)) {
            text += delimiter;
            text += "note";
        }
        text += eol;
        if (dice.Percent(5)) {
            text += "# comment" + eol;
        }
    }
    if (dice.Percent(50)) {
        text += '\x1A';
        text += "20;x" + eol;
    }
    return text;
}

// Files the import must refuse: no delimiter found, or a data line that does not read.
Bytes BadAsciiBytes(Dice& dice) {
    static const std::vector<Bytes> texts = {
        "",
        "20;1\r\n",
        "a;b\r\nc;d\r\nnone\r\n20;1\r\n",
        "a;b\r20;1\r30;2\r",
        "h;h\nx;y\n20;\n",
        "h;h\nx;y\n20;1.234,5\n",
        "h;h\nx;y\n20;abc\n",
        "h;h\n20;1\n30\n",
        "Gain\tdB\n20\t1\n\t\n30\t\t2\n",
    };
    return dice.Pick(texts);
}

Bytes UnknownBytes(Dice& dice) {
    Bytes bytes;
    for (uint64_t n = dice.Below(200); n > 0; --n) {
        bytes += static_cast<char>(dice.Below(256));
    }
    return bytes;
}

// Cell texts in every notation the user might type, and now and then what no notation reads;
// mostly numbers, so that the table is valid often enough for Save to get through.
std::u16string RandomCellText(Dice& dice) {
    static const std::vector<std::u16string> words = {
        u"",
        u"1,5",
        u"1.5",
        u"1e3",
        u"  -2 ",
        u"NAN",
        u"inf",
        u"-INF",
        u"+inf",
        u"Infinity",
        u"1.234,5",
        u"1,234.5",
        u"0x1F",
        u"1e99999",
        u"-0",
        u"5.",
        u",5",
        u".",
        u"e5",
        u"1 000",
        u"abc",
        u"\u0661\u0662",
        u"\uFF11\uFF12",
        u"\u00BD",
        u"12\u20AC",
        u"\U0001F50A",
        u"\xD800",
        u"1\t2",
        u"*",
        u"-",
        u"20000",
        u"31.5",
        u"-3,25",
        u"1E-50",
    };
    switch (dice.Below(30)) {
    case 0:
    case 1:
        return dice.Pick(words);
    case 2: { // thousands of digits, sometimes with a separator or a sign
        std::u16string text = dice.Percent(30) ? u"-" : u"";
        const uint64_t digits = 1000 + dice.Below(5000);
        const uint64_t separatorAt = dice.Percent(50) ? dice.Below(digits) : digits;
        for (uint64_t i = 0; i < digits; ++i) {
            if (i == separatorAt) {
                text += dice.Percent(50) ? u'.' : u',';
            }
            text += static_cast<char16_t>(u'0' + dice.Below(10));
        }
        return text;
    }
    case 3: { // random characters from ASCII and beyond
        std::u16string text;
        for (uint64_t n = dice.Below(12); n > 0; --n) {
            text += dice.Percent(80) ? static_cast<char16_t>(32 + dice.Below(95))
                                     : static_cast<char16_t>(dice.Below(0x10000));
        }
        return text;
    }
    default: { // a plain number in either notation
        const char separator = dice.Percent(50) ? '.' : ',';
        const double value = static_cast<double>(dice.Below(4000000)) / 100.0 - 20000.0;
        const std::string text = NumberText(dice, value, separator);
        return std::u16string(text.begin(), text.end());
    }
    }
}

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The messages the commands and the error handler may show, with their kinds and buttons. Every
// file the monkey chooses lies in `folder`, given with a trailing separator: the messages that
// name a file show its absolute path.
bool KnownMessage(TMsgDlgType kind, TMsgDlgButtons buttons, const std::u16string& text,
                  const std::u16string& folder) {
    switch (kind) {
    case TMsgDlgType::mtWarning:
        return buttons == TMsgDlgButtons::mbOK &&
               (text == u"Data delemiter char invalid. Function disabled" ||
                text == u"File invalid.");
    case TMsgDlgType::mtConfirmation:
        return buttons == TMsgDlgButtons::mbYesNo &&
               text == u"Sound profile Name missed. Continue?";
    case TMsgDlgType::mtInformation:
        return buttons == TMsgDlgButtons::mbOK &&
               (StartsWith(text, u"Sound Profile saved: " + folder) ||
                StartsWith(text, u"Marvek Engineering Germany\r\nSound profil editor for RTA "
                                 u"software Ulmaro\r\nVer. "));
    case TMsgDlgType::mtError:
        break;
    }
    if (buttons != TMsgDlgButtons::mbOK) {
        return false;
    }
    for (const char16_t* exact :
         {u"Table data invalid! Check values.", u"Table data invalid/empty! Check values.",
          u"'ERROR' is not a valid floating point value.", u"Falsches Dateiformat.",
          u"Stream read error.", u"Range check error.", u"Out of memory."}) {
        if (text == exact) {
            return true;
        }
    }
    return (StartsWith(text, u"Cannot open file \"" + folder) ||
            StartsWith(text, u"Cannot create file \"" + folder) ||
            StartsWith(text, u"Stream read error: ") || StartsWith(text, u"Stream write error")) &&
           text.back() == u'.';
}

struct Shown {
    TMsgDlgType kind;
    TMsgDlgButtons buttons;
    std::u16string text;
};

class Monkey {
public:
    Monkey(uint64_t seed, const fs::path& folder) : seed_(seed), dice_(seed), folder_(folder) {
        AttachDesktop();
        MakeFiles();
    }

    // Runs until `actions` steps are done or an invariant breaks; then the failure, else empty.
    std::string Run(uint64_t actions) {
        for (step_ = 1; step_ <= actions && failure_.empty(); ++step_) {
            Step();
            if (failure_.empty()) {
                CheckTable();
            }
        }
        if (failure_.empty()) {
            return {};
        }
        std::string report = "seed " + std::to_string(seed_) + ", step " +
                             std::to_string(step_ - 1) + ": " + failure_ + "\nlast actions:\n";
        for (const std::string& line : recent_) {
            report += "  " + line + "\n";
        }
        return report;
    }

private:
    void AttachDesktop() {
        form_.Desktop.RunOpenDialog = [this](const TFileDialogSettings&) {
            openAnswer_.reset();
            if (dice_.Percent(10)) {
                Note("open dialog cancelled");
                return std::optional<fs::path>();
            }
            openAnswer_ = dice_.Below(pool_.size());
            Note("open dialog -> " + pool_[*openAnswer_].path.filename().string());
            return std::optional<fs::path>(pool_[*openAnswer_].path);
        };
        form_.Desktop.RunSaveDialog = [this](const TFileDialogSettings&) {
            saveAnswer_.reset();
            if (dice_.Percent(10)) {
                Note("save dialog cancelled");
                return std::optional<fs::path>();
            }
            saveAnswer_ = dice_.Pick(saveTargets_);
            Note("save dialog -> " + Utf8(*saveAnswer_));
            return saveAnswer_;
        };
        form_.Desktop.MessageDlg = [this](TMsgDlgType kind, TMsgDlgButtons buttons,
                                          const std::u16string& text) {
            shown_.push_back({kind, buttons, text});
            Note("message: " + Narrow(text));
            if (buttons == TMsgDlgButtons::mbOK) {
                return TModalResult::mrOk;
            }
            const bool yes = dice_.Percent(70);
            Note(yes ? "answered Yes" : "answered No");
            return yes ? TModalResult::mrYes : TModalResult::mrNo;
        };
        form_.Desktop.CloseMainWindow = [this] { ++closed_; };
        form_.Desktop.ExecutablePath = [] { return OwnExecutable(); };
    }

    void MakeFiles() {
        fs::create_directories(folder_ / "saved" / "dir.ump" / "inside");
        fs::create_directories(folder_ / "folder.ump" / "inside");
        for (int i = 0; i < 10; ++i) {
            const fs::path good = folder_ / ("good" + std::to_string(i) + ".ump");
            TSoundProfil profile = RandomProfile(dice_);
            WriteFileBytes(good, ProfileBytes(profile));
            pool_.push_back({good, FileKind::GoodProfile, profile});

            const fs::path bad = folder_ / ("bad" + std::to_string(i) + ".ump");
            WriteFileBytes(bad, BadProfileBytes(dice_));
            pool_.push_back({bad, FileKind::BadProfile, {}});

            const fs::path ascii = folder_ / ("curve" + std::to_string(i) + ".txt");
            WriteFileBytes(ascii, GoodAsciiBytes(dice_));
            pool_.push_back({ascii, FileKind::GoodAscii, {}});

            const fs::path wrong = folder_ / ("wrong" + std::to_string(i) + ".txt");
            WriteFileBytes(wrong, BadAsciiBytes(dice_));
            pool_.push_back({wrong, FileKind::BadAscii, {}});
        }
        for (int i = 0; i < 3; ++i) {
            const fs::path noise = folder_ / ("noise" + std::to_string(i));
            WriteFileBytes(noise, UnknownBytes(dice_));
            pool_.push_back({noise, FileKind::Unknown, {}});
        }
        pool_.push_back({folder_ / "missing.ump", FileKind::Missing, {}});
        pool_.push_back({folder_ / "folder.ump", FileKind::Folder, {}});
        for (int i = 0; i < 4; ++i) {
            saveTargets_.push_back(folder_ / "saved" / ("s" + std::to_string(i) + ".ump"));
        }
        saveTargets_.push_back(folder_ / "saved" / "dir.ump");
        saveTargets_.push_back(folder_ / "no-such-folder" / "x.ump");
    }

    void Note(const std::string& line) { recent_.back() += "; " + line; }

    void Fail(const std::string& what) {
        if (failure_.empty()) {
            failure_ = what;
        }
    }

    Snapshot Take() const {
        Snapshot s{{},
                   form_.Edit1.Text(),
                   Bits(form_.Series1.XValues()),
                   Bits(form_.Series1.YValues()),
                   Bits(form_.KorrDataTemp.DatenXYZ[0]),
                   Bits(form_.KorrDataTemp.DatenXYZ[1])};
        for (int32_t r = 0; r < form_.StringGrid1.RowCount(); ++r) {
            for (int32_t c = 0; c < form_.StringGrid1.ColCount(); ++c) {
                s.cells.push_back(form_.StringGrid1.Cells(c, r));
            }
        }
        return s;
    }

    void Run(const char* name, void (TForm1::*command)()) {
        recent_.back() += name;
        try {
            form_.Execute(command);
        } catch (...) {
            Fail(std::string("an error escaped the error handler in ") + name);
        }
    }

    void Step() {
        recent_.push_back("step " + std::to_string(step_) + ": ");
        if (recent_.size() > 30) {
            recent_.pop_front();
        }
        shown_.clear();
        const uint64_t roll = dice_.Below(110);
        if (roll >= 100) {
            if (roll < 105) {
                Undo();
            } else {
                Redo();
            }
            return;
        }
        kind_ = Kind::Command;
        const Whole before = TakeWhole();
        if (roll < 6) {
            Open();
        } else if (roll < 12) {
            Save();
        } else if (roll < 18) {
            Import();
        } else if (roll < 19) {
            const int before = closed_;
            Run("Close", &TForm1::acCloseExecute);
            if (closed_ != before + 1) {
                Fail("Close did not close the window once");
            }
        } else if (roll < 21) {
            Run("Clear", &TForm1::acClearExecute);
        } else if (roll < 27) {
            Run("Append", &TForm1::acAppendExecute);
        } else if (roll < 32) {
            Run("Delete", &TForm1::acDelRowExecute);
        } else if (roll < 37) {
            Run("Insert", &TForm1::acInsertExecute);
        } else if (roll < 42) {
            Run("Sort", &TForm1::acSortExecute);
        } else if (roll < 43) {
            Run("Info", &TForm1::acInfoExecute);
        } else if (roll < 44) {
            UserNotation.DecimalSeparator = UserNotation.DecimalSeparator == u'.' ? u',' : u'.';
            recent_.back() += "notation '" +
                              std::string(1, static_cast<char>(UserNotation.DecimalSeparator)) +
                              "'";
            kind_ = Kind::Other;
        } else if (roll < 47) {
            const std::u16string name = RandomCellText(dice_);
            recent_.back() += "name := \"" + Narrow(name.substr(0, 40)) + "\"";
            form_.Edit1.SetText(name);
            kind_ = Kind::Typing;
            target_ = {-1, -1};
        } else if (roll < 62) {
            Select();
            kind_ = Kind::Other;
        } else {
            Edit();
        }
        Follow(before, TakeWhole());
        for (const Shown& m : shown_) {
            if (!KnownMessage(m.kind, m.buttons, m.text, (folder_ / "").u16string())) {
                Fail("unknown message " + std::to_string(static_cast<int>(m.kind)) + ": \"" +
                     Narrow(m.text) + "\"");
            }
        }
    }

    void Edit() {
        TStringGrid& grid = form_.StringGrid1;
        const int32_t rows = grid.RowCount();
        const auto row = static_cast<int32_t>(
            rows == 1 || dice_.Percent(3) ? 0 : 1 + dice_.Below(static_cast<uint64_t>(rows - 1)));
        const auto col = static_cast<int32_t>(1 + dice_.Below(2));
        const std::u16string text = RandomCellText(dice_);
        recent_.back() += "cell (" + std::to_string(col) + ", " + std::to_string(row) + ") := \"" +
                          Narrow(text.substr(0, 40)) + (text.size() > 40 ? "...\"" : "\"");
        grid.SetCells(col, row, text);
        kind_ = Kind::Typing;
        target_ = {col, row};
    }

    // Everything a step restores, hidden rows included (trailing rows never written left out).
    struct Whole {
        std::vector<std::u16string> cells;
        int32_t rowCount = 0, col = 0, row = 0, frowindex = 0;
        std::u16string name, label;
        std::vector<uint64_t> x, y;
        std::vector<uint32_t> freqs, gains;
        std::u16string profileName;
        int32_t version = 0;
        std::vector<std::vector<uint32_t>> rows;
        bool numericOk = false;
        bool operator==(const Whole&) const = default;
    };

    Whole TakeWhole() {
        const TStringGrid& grid = form_.StringGrid1;
        mostRows_ = std::max(mostRows_, grid.RowCount());
        Whole w;
        for (int32_t r = 0; r < mostRows_; ++r) {
            for (int32_t c = 0; c < grid.ColCount(); ++c) {
                w.cells.push_back(grid.Cells(c, r));
            }
        }
        while (!w.cells.empty() && w.cells.back().empty()) {
            w.cells.pop_back();
        }
        w.rowCount = grid.RowCount();
        w.col = grid.Col();
        w.row = grid.Row();
        w.frowindex = form_.frowindex;
        w.name = form_.Edit1.Text();
        w.label = form_.lbFilename.Text();
        w.x = Bits(form_.Series1.XValues());
        w.y = Bits(form_.Series1.YValues());
        w.freqs = Bits(form_.KorrDataTemp.DatenXYZ[0]);
        w.gains = Bits(form_.KorrDataTemp.DatenXYZ[1]);
        w.profileName = CurrentSoundProfil.stName;
        w.version = CurrentSoundProfil.iVers;
        w.rows = Bits(CurrentSoundProfil.xyData);
        w.numericOk = form_.boNumericDataok;
        return w;
    }

    // What the history must have made of the action: a command or a run of typing that changed
    // anything is one step; a moved current cell ends a run.
    void Follow(const Whole& before, const Whole& after) {
        const bool changed = after != before;
        if (kind_ == Kind::Other) {
            if (after.col != before.col || after.row != before.row) {
                run_.reset();
            }
        } else if (kind_ == Kind::Command) {
            run_.reset();
            if (changed) {
                done_.push_back({before, after});
                undone_.clear();
            }
        } else if (run_ == target_ && changed) {
            if (after == runStart_) {
                done_.pop_back(); // typed back to where the run began
                run_.reset();
            } else {
                done_.back().second = after;
            }
        } else if (changed) {
            done_.push_back({before, after});
            undone_.clear();
            run_ = target_;
            runStart_ = before;
        }
        CheckHistory();
    }

    void Undo() {
        recent_.back() += "undo";
        const Whole before = TakeWhole();
        form_.Undo();
        if (!done_.empty()) {
            run_.reset();
            if (TakeWhole() != done_.back().first) {
                Fail("Undo did not bring back the state before the step");
            }
            undone_.push_back(done_.back());
            done_.pop_back();
        } else if (TakeWhole() != before) {
            Fail("Undo without a step changed something");
        }
        if (!shown_.empty()) {
            Fail("Undo showed a message");
        }
        CheckHistory();
    }

    void Redo() {
        recent_.back() += "redo";
        const Whole before = TakeWhole();
        form_.Redo();
        if (!undone_.empty()) {
            run_.reset();
            if (TakeWhole() != undone_.back().second) {
                Fail("Redo did not bring back the state the step had made");
            }
            done_.push_back(undone_.back());
            undone_.pop_back();
        } else if (TakeWhole() != before) {
            Fail("Redo without a step changed something");
        }
        if (!shown_.empty()) {
            Fail("Redo showed a message");
        }
        CheckHistory();
    }

    void CheckHistory() {
        if (done_.size() > TEditHistory::DefaultMaxSteps) {
            done_.erase(done_.begin()); // the history keeps the newest steps
        }
        if (form_.CanUndo() != !done_.empty() || form_.CanRedo() != !undone_.empty()) {
            Fail("the history holds " + std::string(form_.CanUndo() ? "" : "no ") +
                 "steps to undo and " + (form_.CanRedo() ? "" : "no ") + "steps to redo; " +
                 std::to_string(done_.size()) + " and " + std::to_string(undone_.size()) +
                 " expected");
        }
    }

    void Select() {
        const TStringGrid& grid = form_.StringGrid1;
        const auto col = static_cast<int32_t>(dice_.Below(4)) - 1;
        const auto row =
            static_cast<int32_t>(dice_.Below(static_cast<uint64_t>(grid.RowCount()) + 2)) - 1;
        recent_.back() += "select (" + std::to_string(col) + ", " + std::to_string(row) + ")";
        const bool inside = col >= 1 && col <= 2 && row >= 0 && row < grid.RowCount();
        if (form_.StringGrid1.SelectCell(col, row) != inside) {
            Fail("the selection was refused or taken wrongly");
        }
    }

    void Open() {
        const Snapshot before = Take();
        const std::u16string label = form_.lbFilename.Text();
        Run("Open", &TForm1::acOPenProfileExecute);
        if (!openAnswer_) {
            if (!shown_.empty() || Take() != before || form_.lbFilename.Text() != label) {
                Fail("a cancelled Open changed something");
            }
            return;
        }
        const PoolFile& file = pool_[*openAnswer_];
        if (form_.lbFilename.Text() != Utf8ToUtf16(file.path.filename().string())) {
            Fail("the file label does not show the chosen file");
        }
        const bool refused = shown_.size() == 1 && shown_[0].kind == TMsgDlgType::mtError;
        if (file.kind == FileKind::GoodProfile) {
            if (!shown_.empty()) {
                Fail("a good profile file was refused");
            } else if (!SameProfile(CurrentSoundProfil, file.profile) ||
                       form_.Edit1.Text() != file.profile.stName ||
                       form_.StringGrid1.RowCount() !=
                           static_cast<int32_t>(file.profile.xyData.size()) + 1) {
                Fail("an opened profile is not what its file holds");
            }
        } else if (file.kind != FileKind::Unknown && !refused) {
            Fail("a file that is no profile was not refused with one error");
        }
        if (refused && Take() != before) {
            Fail("a refused file changed the table, the name field or the chart");
        }
    }

    void Import() {
        const Snapshot before = Take();
        const std::u16string label = form_.lbFilename.Text();
        Run("Import", &TForm1::acImportExecute);
        if (!openAnswer_ || pool_[*openAnswer_].kind == FileKind::Missing) {
            if (!shown_.empty() || Take() != before || form_.lbFilename.Text() != label) {
                Fail("an Import without a file changed something");
            }
            return;
        }
        const FileKind kind = pool_[*openAnswer_].kind;
        const bool warned = shown_.size() == 1 && shown_[0].kind == TMsgDlgType::mtWarning;
        if (kind == FileKind::GoodAscii && !shown_.empty()) {
            Fail("a good column file was refused");
        }
        if ((kind == FileKind::BadAscii || kind == FileKind::Folder) && !warned) {
            Fail("a bad column file was not refused with one warning");
        }
        if (shown_.empty() && form_.Edit1.Text() != u"?") {
            Fail("an import did not reset the name field");
        }
        if (warned && Take() != before) {
            Fail("a refused import changed the table, the name field or the series");
        }
    }

    void Save() {
        saveAnswer_.reset();
        Run("Save", &TForm1::acSaveProfileExecute);
        const std::u16string saved = u"Sound Profile saved: ";
        if (!shown_.empty() && StartsWith(shown_.back().text, saved)) {
            CheckSaved(fs::path(shown_.back().text.substr(saved.size())));
        } else if (saveAnswer_) {
            // Only the folder and the path in a missing folder cannot take the file.
            const bool writable = saveAnswer_->parent_path() == folder_ / "saved" &&
                                  saveAnswer_->filename() != "dir.ump";
            const std::u16string refusal =
                u"Cannot create file \"" + saveAnswer_->u16string() + u"\". ";
            if (writable || shown_.empty() || !StartsWith(shown_.back().text, refusal)) {
                Fail("a save onto " + Utf8(*saveAnswer_) + " did not end as it should");
            }
        }
        for (const auto& entry : fs::directory_iterator(folder_ / "saved")) {
            const std::string name = entry.path().filename().string();
            if (name.size() != 6 && name != "dir.ump") {
                Fail("a temporary file stayed behind: " + name);
            }
        }
    }

    // The file holds what the table held after the Update / Sort step of the save, under the
    // name typed into the name field.
    void CheckSaved(const fs::path& path) {
        TSoundProfil back;
        try {
            LoadSoundProfil(path, back);
        } catch (const std::exception& e) {
            Fail("a saved file does not load: " + std::string(e.what()));
            return;
        }
        if (!SameProfile(back, CurrentSoundProfil) || back.stName != form_.Edit1.Text()) {
            Fail("the saved file is not the profile of the table");
            return;
        }
        std::vector<std::vector<float>> rows;
        if (!GridToProfileRows(form_.StringGrid1, 1, 2, rows) || Bits(rows) != Bits(back.xyData)) {
            Fail("the saved rows are not the table's");
            return;
        }
        for (PoolFile& file : pool_) {
            if (file.path == path) {
                file.profile = back;
                return;
            }
        }
        pool_.push_back({path, FileKind::GoodProfile, back});
    }

    void CheckTable() {
        const TStringGrid& grid = form_.StringGrid1;
        if (grid.RowCount() < 1 || grid.Cells(0, 0) != u"Index") {
            Fail("the header row is gone");
        } else if (form_.frowindex < 0 || form_.frowindex >= grid.RowCount()) {
            Fail("frowindex " + std::to_string(form_.frowindex) + " is outside the " +
                 std::to_string(grid.RowCount()) + " rows");
        } else if (form_.frowindex != grid.Row()) {
            Fail("frowindex " + std::to_string(form_.frowindex) + " is not the current row " +
                 std::to_string(grid.Row()));
        }
    }

    enum class Kind { Command, Typing, Other };
    Kind kind_ = Kind::Command;
    std::pair<int32_t, int32_t> target_;
    std::optional<std::pair<int32_t, int32_t>> run_;
    Whole runStart_;
    // The steps in effect and those taken back: the state before each and the state it made.
    std::vector<std::pair<Whole, Whole>> done_, undone_;
    int32_t mostRows_ = 1;
    uint64_t seed_;
    Dice dice_;
    fs::path folder_;
    TForm1 form_;
    std::vector<PoolFile> pool_;
    std::vector<fs::path> saveTargets_;
    std::optional<std::size_t> openAnswer_;
    std::optional<fs::path> saveAnswer_;
    std::vector<Shown> shown_;
    int closed_ = 0;
    uint64_t step_ = 0;
    std::deque<std::string> recent_;
    std::string failure_;
};

class EditorMonkey : public ::testing::Test {
protected:
    void SetUp() override {
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
#ifdef _WIN32
        folder_ = MakeTemporaryFolder("editor-monkey");
#else
        // In memory where a tmpfs is at hand: the saves' fsync would otherwise take most of the
        // time.
        std::error_code error;
        folder_ = fs::is_directory("/dev/shm", error)
                      ? MakeTemporaryFolder("editor-monkey", "/dev/shm")
                      : MakeTemporaryFolder("editor-monkey");
#endif
    }
    void TearDown() override {
        fs::remove_all(folder_);
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
    }

    void RunMonkey(uint64_t seed, uint64_t actions) {
        const std::string failure = Monkey(seed, folder_).Run(actions);
        EXPECT_TRUE(failure.empty()) << failure;
    }

    fs::path folder_;
};

class EditorMonkeySeeds : public EditorMonkey, public ::testing::WithParamInterface<uint64_t> {};

TEST_P(EditorMonkeySeeds, ThreeThousandActions) {
    RunMonkey(GetParam(), 3000);
}

INSTANTIATE_TEST_SUITE_P(Seeds, EditorMonkeySeeds, ::testing::Values(1, 2, 3));

TEST_F(EditorMonkey, DISABLED_HundredThousandActions) {
    const char* seed = std::getenv("SPE_MONKEY_SEED");
    RunMonkey(seed ? std::strtoull(seed, nullptr, 10) : 1, 100000);
}

} // namespace
