// soundprofile-tool: the editor's profile work for scripts. Answers go to standard output,
// the editor's own messages to standard error.

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <limits>
#include <map>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

#include "imported_rows.h"
#include "main_f.h" // ErrorBoxText
#include "measurement_import.h"
#include "measurement_preview.h"
#include "number_text.h"
#include "parametric_eq_file.h"
#include "profile_export.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSuccess = 0;
constexpr int kBadInput = 1;
constexpr int kWrongUsage = 2;

constexpr const char* kSynopsis =
    "Usage:\n"
    "  soundprofile-tool info FILE.ump\n"
    "  soundprofile-tool export FILE.ump OUT [--format text|csv|frd|graphiceq]\n"
    "  soundprofile-tool import IN OUT.ump [--name NAME] [--gain-column N]\n"
    "  soundprofile-tool fit PROFILE OUT.txt [--filters N] [--rate HZ] [--max-gain DB]\n"
    "                        [--q MIN:MAX] [--band LOW:HIGH] [--no-shelves]\n"
    "  soundprofile-tool render EQ.txt OUT.ump [--rate HZ] [--fraction N]\n"
    "  soundprofile-tool --help\n"
    "\n"
    "info     the profile's name, number of points, frequency and gain ranges\n"
    "export   writes the profile's points as text; the format comes from OUT's extension\n"
    "         (.txt text, .csv, .frd) unless --format names it; graphiceq only by name\n"
    "import   reads a measurement text file and saves its points as the editor does after\n"
    "         Update / Sort; the name is NAME, else IN's name without its extension; the\n"
    "         gains come from column N, counted from 0 at the frequency (1 unless given)\n"
    "fit      fits parametric equaliser filters to the profile's points and writes them as\n"
    "         text (a Preamp line and one Filter line each): at most N filters (10) at the\n"
    "         sample rate HZ (48000), gains up to DB either way (12), Q from MIN to MAX\n"
    "         (0.18:6), matching the points from LOW to HIGH Hz (20:20000), one low and one\n"
    "         high shelf among them unless --no-shelves; prints the RMS error\n"
    "render   saves the response of an equaliser text file's filters as a profile: a point\n"
    "         every 1/N octave (48; 1, 2, 3, 6, 12, 24 or 48) from 20 to 20000 Hz at the\n"
    "         sample rate HZ (48000), named by EQ's name without its extension\n"
    "\n"
    "Exit status: 0 success, 1 bad input (the editor's message on standard error),\n"
    "2 wrong usage.\n";

// A file named on the command line, whose words are UTF-8.
fs::path PathOf(const std::string& word) {
#ifdef _WIN32
    return fs::path(Utf8ToUtf16(word));
#else
    return fs::path(word);
#endif
}

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The words after the command: positional arguments and "--option VALUE" or "--option=VALUE".
struct Arguments {
    std::vector<std::string> Positional;
    std::map<std::string, std::string> Options;
};

// Flags are options without a value; they are kept with an empty one.
Arguments Split(const std::vector<std::string>& words, const std::vector<std::string>& allowed,
                std::size_t positionalCount, const std::vector<std::string>& flags = {}) {
    Arguments result;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() < 3 || word.compare(0, 2, "--") != 0) {
            result.Positional.push_back(word);
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string option = word.substr(0, equals);
        const bool flag = std::find(flags.begin(), flags.end(), option) != flags.end();
        if (!flag && std::find(allowed.begin(), allowed.end(), option) == allowed.end()) {
            throw UsageError("unknown option " + option);
        }
        if (result.Options.contains(option)) {
            throw UsageError(option + " given twice");
        }
        if (flag) {
            if (equals != std::string::npos) {
                throw UsageError(option + " takes no value");
            }
            result.Options[option] = "";
            continue;
        }
        // A following option is no value: "--name --gain-column 2" lacks the name. A value that
        // starts with "--" is given as "--name=--x".
        if (equals != std::string::npos) {
            result.Options[option] = word.substr(equals + 1);
        } else if (i + 1 < words.size() && !words[i + 1].starts_with("--")) {
            result.Options[option] = words[++i];
        } else {
            throw UsageError(option + " needs a value");
        }
    }
    if (result.Positional.size() != positionalCount) {
        throw UsageError("expected " + std::to_string(positionalCount) + " file name" +
                         (positionalCount == 1 ? "" : "s"));
    }
    return result;
}

// Writing OUT must not destroy IN: the same file under another name, through a link or another
// spelling of its path, is refused before anything is read or written. An OUT that does not exist
// cannot be IN.
void RefuseWritingOverInput(const std::string& input, const std::string& output) {
    std::error_code error;
    if (fs::equivalent(PathOf(input), PathOf(output), error)) {
        throw std::runtime_error("\"" + output + "\" is the same file as \"" + input +
                                 "\"; nothing was written");
    }
}

// The message as the editor's error box shows it.
void ShowError(const std::u16string& message) {
    std::cerr << Utf16ToUtf8(ErrorBoxText(message)) << "\n";
}

std::string Lowercase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

TExportFormat FormatOf(const Arguments& arguments) {
    static const std::map<std::string, TExportFormat> byName{
        {"text", TExportFormat::SemicolonText},
        {"csv", TExportFormat::Csv},
        {"frd", TExportFormat::Frd},
        {"graphiceq", TExportFormat::GraphicEq}};
    static const std::map<std::string, TExportFormat> byExtension{
        {".txt", TExportFormat::SemicolonText},
        {".csv", TExportFormat::Csv},
        {".frd", TExportFormat::Frd}};
    if (const auto given = arguments.Options.find("--format"); given != arguments.Options.end()) {
        const auto format = byName.find(given->second);
        if (format == byName.end()) {
            throw UsageError("unknown format " + given->second);
        }
        return format->second;
    }
    const std::string extension =
        Lowercase(Utf16ToUtf8(PathToUtf16(PathOf(arguments.Positional[1]).extension())));
    const auto format = byExtension.find(extension);
    if (format == byExtension.end()) {
        throw UsageError("cannot tell the format from the name " + arguments.Positional[1] +
                         "; give --format");
    }
    return format->second;
}

std::string ValueText(float value) {
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    return PlainDecimal(value);
}

// Lowest and highest of the values that are numbers; NAN when there are none.
std::string RangeText(const std::vector<float>& values) {
    float low = std::numeric_limits<float>::quiet_NaN();
    float high = low;
    for (const float value : values) {
        if (!std::isnan(value)) {
            low = std::isnan(low) ? value : std::min(low, value);
            high = std::isnan(high) ? value : std::max(high, value);
        }
    }
    return ValueText(low) + " to " + ValueText(high);
}

int Info(const std::vector<std::string>& words) {
    const Arguments arguments = Split(words, {}, 1);
    TSoundProfil profile;
    LoadSoundProfil(PathOf(arguments.Positional[0]), profile);

    // Only rows with a frequency and a gain are points, as in the editor's chart and export.
    std::vector<float> frequencies;
    std::vector<float> gains;
    for (const auto& row : profile.xyData) {
        if (row.size() >= 2) {
            frequencies.push_back(row[0]);
            gains.push_back(row[1]);
        }
    }
    std::cout << "Name: " << Utf16ToUtf8(profile.stName) << "\n";
    std::cout << "Points: " << frequencies.size() << "\n";
    if (!frequencies.empty()) {
        std::cout << "Frequency (Hz): " << RangeText(frequencies) << "\n";
        std::cout << "Gain (dB): " << RangeText(gains) << "\n";
    }
    return kSuccess;
}

int Export(const std::vector<std::string>& words) {
    const Arguments arguments = Split(words, {"--format"}, 2);
    const TExportFormat format = FormatOf(arguments);
    RefuseWritingOverInput(arguments.Positional[0], arguments.Positional[1]);
    TSoundProfil profile;
    LoadSoundProfil(PathOf(arguments.Positional[0]), profile);
    ExportProfileText(PathOf(arguments.Positional[1]), profile, format);
    return kSuccess;
}

int32_t GainColumnOf(const Arguments& arguments) {
    const auto given = arguments.Options.find("--gain-column");
    if (given == arguments.Options.end()) {
        return 1;
    }
    const std::string& text = given->second;
    int32_t column = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), column);
    if (error != std::errc() || end != text.data() + text.size() || column < 1) {
        throw UsageError("--gain-column takes a whole number from 1 up");
    }
    return column;
}

std::u16string NameOf(const Arguments& arguments) {
    if (const auto given = arguments.Options.find("--name"); given != arguments.Options.end()) {
        return Utf8ToUtf16(given->second);
    }
    return PathToUtf16(PathOf(arguments.Positional[0]).stem());
}

// Why the gain column gives no points: it lies beyond the file's columns, counted in a reading of
// column 1 as the measurement preview counts them; else the file holds no data.
std::u16string NoDataText(const fs::path& input, int32_t gainColumn) {
    if (gainColumn > 1) {
        TDatentyp ignored;
        const TMeasurementLayout layout = ImportMeasurement(input, 1, ignored);
        if (layout.Delimiter != 0 && gainColumn >= layout.ColumnCount) {
            std::error_code error;
            const fs::path full = fs::absolute(input, error);
            return u"\"" + PathToUtf16((error ? input : full).lexically_normal()) + u"\" has " +
                   Utf8ToUtf16(std::to_string(layout.ColumnCount)) + u" columns; --gain-column " +
                   Utf8ToUtf16(std::to_string(gainColumn)) + u" is beyond them";
        }
    }
    return NoMeasurementDataText(input);
}

// What the editor saves after Import Measurement with the name typed in: Save's messages when the
// table does not convert, else its file.
int Import(const std::vector<std::string>& words) {
    const Arguments arguments = Split(words, {"--name", "--gain-column"}, 2);
    const int32_t gainColumn = GainColumnOf(arguments);
    RefuseWritingOverInput(arguments.Positional[0], arguments.Positional[1]);
    const fs::path input = PathOf(arguments.Positional[0]);
    const fs::path output = PathOf(arguments.Positional[1]);

    TDatentyp series;
    if (ImportMeasurement(input, gainColumn, series).Delimiter == 0) {
        ShowError(NoDataText(input, gainColumn));
        return kBadInput;
    }

    TSavedRows saved = PointsAsSaved(series.DatenXYZ[0], series.DatenXYZ[1]);
    for (const std::u16string& message : saved.Messages) {
        std::cerr << Utf16ToUtf8(message) << "\n";
    }
    if (!saved.Messages.empty()) {
        return kBadInput;
    }
    // A short name is saved, as when the user answers Yes to Save's question.
    const TSoundProfil profile{SoundProfilVersion, NameOf(arguments), std::move(saved.Rows)};
    SaveSoundProfil(output, profile);
    return kSuccess;
}

// A number in US or German notation; a text that is none is wrong use.
double NumberText(const std::string& option, const std::string& text) {
    const std::u16string wide = Utf8ToUtf16(text);
    long double value = 0;
    if (!TextToNumber(wide, value, NumberNotation{u'.'}) &&
        !TextToNumber(wide, value, NumberNotation{u','})) {
        throw UsageError(option + " takes a number, not " + text);
    }
    return static_cast<double>(value);
}

double NumberOption(const Arguments& arguments, const std::string& option, double otherwise) {
    const auto given = arguments.Options.find(option);
    return given == arguments.Options.end() ? otherwise : NumberText(option, given->second);
}

int32_t WholeOption(const Arguments& arguments, const std::string& option, int32_t otherwise) {
    const auto given = arguments.Options.find(option);
    if (given == arguments.Options.end()) {
        return otherwise;
    }
    const std::string& text = given->second;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw UsageError(option + " takes a whole number, not " + text);
    }
    return value;
}

// "--option LOW:HIGH" as its two numbers.
void RangeOption(const Arguments& arguments, const std::string& option, double& low, double& high) {
    const auto given = arguments.Options.find(option);
    if (given == arguments.Options.end()) {
        return;
    }
    const std::string& text = given->second;
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos) {
        throw UsageError(option + " takes two numbers with a colon between them, not " + text);
    }
    low = NumberText(option, text.substr(0, colon));
    high = NumberText(option, text.substr(colon + 1));
}

// The filters that come closest to the profile's points, written as an equaliser reads them.
int Fit(const std::vector<std::string>& words) {
    const Arguments arguments =
        Split(words, {"--filters", "--rate", "--max-gain", "--q", "--band"}, 2, {"--no-shelves"});
    TFitSettings settings;
    settings.MaxFilters = WholeOption(arguments, "--filters", settings.MaxFilters);
    settings.SampleRate = NumberOption(arguments, "--rate", settings.SampleRate);
    settings.MaxGainDb = NumberOption(arguments, "--max-gain", settings.MaxGainDb);
    RangeOption(arguments, "--q", settings.MinQ, settings.MaxQ);
    RangeOption(arguments, "--band", settings.LowHz, settings.HighHz);
    settings.Shelves = !arguments.Options.contains("--no-shelves");
    RefuseWritingOverInput(arguments.Positional[0], arguments.Positional[1]);

    TSoundProfil profile;
    LoadSoundProfil(PathOf(arguments.Positional[0]), profile);
    const TFitResult result = FitParametricEq(profile.xyData, settings);
    ReplaceFileContents(PathOf(arguments.Positional[1]), ParametricEqText(result));
    std::cout << "RMS error: " << Utf16ToUtf8(FormatFixed(result.RmsErrorDb, 15, 2, {u'.'}))
              << " dB\n";
    return kSuccess;
}

// The response of an equaliser text file's filters, saved as a profile.
int Render(const std::vector<std::string>& words) {
    const Arguments arguments = Split(words, {"--rate", "--fraction"}, 2);
    const double rate = NumberOption(arguments, "--rate", 48000);
    const int32_t fraction = WholeOption(arguments, "--fraction", 48);
    RefuseWritingOverInput(arguments.Positional[0], arguments.Positional[1]);
    const fs::path input = PathOf(arguments.Positional[0]);
    const TParametricEq eq = ReadParametricEq(input);
    const TSoundProfil profile{SoundProfilVersion, PathToUtf16(input.stem()),
                               RenderParametricEq(eq, rate, fraction)};
    SaveSoundProfil(PathOf(arguments.Positional[1]), profile);
    return kSuccess;
}

int Run(const std::vector<std::string>& words) {
    if (words.empty()) {
        throw UsageError("a command is missing");
    }
    const std::string& command = words[0];
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    if (command == "--help" || command == "-h") {
        std::cout << kSynopsis;
        return kSuccess;
    }
    if (command == "info") {
        return Info(rest);
    }
    if (command == "export") {
        return Export(rest);
    }
    if (command == "import") {
        return Import(rest);
    }
    if (command == "fit") {
        return Fit(rest);
    }
    if (command == "render") {
        return Render(rest);
    }
    throw UsageError("unknown command " + command);
}

// The words after the program's name, in UTF-8. Windows hands main() its words in the ANSI code
// page, which loses every character outside it: there they are taken from the wide command line.
std::vector<std::string> Words([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#ifdef _WIN32
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        throw std::bad_alloc();
    }
    std::vector<std::string> words;
    for (int i = 1; i < count; ++i) {
        const std::wstring_view word(wide[i]);
        words.push_back(Utf16ToUtf8(std::u16string(word.begin(), word.end())));
    }
    LocalFree(wide);
    return words;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

// An answer that did not reach standard output is no success.
int Finish(int status) {
    if (std::cout.flush()) {
        return status;
    }
    const std::string reason = std::strerror(errno); // before anything else can change it
    ShowError(u"Cannot write to standard output. " + Utf8ToUtf16(reason));
    return kBadInput;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Finish(Run(Words(argc, argv)));
    } catch (const UsageError& error) {
        std::cerr << "soundprofile-tool: " << error.what() << "\n\n" << kSynopsis;
        return kWrongUsage;
    } catch (const std::bad_alloc&) {
        ShowError(u"Out of memory");
    } catch (const std::exception& error) {
        ShowError(Utf8ToUtf16(error.what()));
    }
    return kBadInput;
}
