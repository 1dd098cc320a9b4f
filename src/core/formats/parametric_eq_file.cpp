#include "parametric_eq_file.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "editor_errors.h"
#include "file_open.h"
#include "number_text.h"
#include "text_utf.h"

namespace {

// Settings files are a few lines; anything near this size is no such file.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 24;

const NumberNotation kUs{u'.'};
const NumberNotation kGerman{u','};

// The value with that many decimals in US notation, halves away from zero, never "-0.0".
std::string Fixed(double Value, int Decimals) {
    std::string text = Utf16ToUtf8(FormatFixed(Value, 18, Decimals, kUs));
    if (text.starts_with('-') && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

const char* TypeCode(TFilterType Type) {
    switch (Type) {
    case TFilterType::LowShelf:
        return "LSC";
    case TFilterType::HighShelf:
        return "HSC";
    case TFilterType::Peaking:
    default:
        return "PK";
    }
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameWord(std::string_view text, std::string_view lowerWord) {
    if (text.size() != lowerWord.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (Lower(text[i]) != lowerWord[i]) {
            return false;
        }
    }
    return true;
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) {
            ++i;
        }
        if (i > start) {
            words.push_back(text.substr(start, i - start));
        }
    }
    return words;
}

// What follows "Keyword" [digits] ":" at the start of the line, blanks allowed between them;
// nothing when the line does not start so.
std::optional<std::string_view> AfterKeyword(std::string_view line, std::string_view lowerKeyword,
                                             bool Numbered) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) {
        ++i;
    }
    if (!SameWord(line.substr(i, lowerKeyword.size()), lowerKeyword)) {
        return std::nullopt;
    }
    i += lowerKeyword.size();
    while (i < line.size() && IsBlank(line[i])) {
        ++i;
    }
    if (Numbered) {
        while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
            ++i;
        }
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
    }
    if (i >= line.size() || line[i] != ':') {
        return std::nullopt;
    }
    return line.substr(i + 1);
}

// A finite number in US or German notation, a unit written onto it ("-3.2dB") allowed.
std::optional<double> Number(std::string_view word, std::string_view lowerUnit) {
    if (word.size() > lowerUnit.size() &&
        SameWord(word.substr(word.size() - lowerUnit.size()), lowerUnit)) {
        word.remove_suffix(lowerUnit.size());
    }
    const std::u16string text = Utf8ToUtf16(word);
    long double value = 0;
    if (!TextToNumber(text, value, kUs) && !TextToNumber(text, value, kGerman)) {
        return std::nullopt;
    }
    // Beyond the double range too is no usable number.
    const double read = static_cast<double>(value);
    if (!std::isfinite(read)) {
        return std::nullopt;
    }
    return read;
}

std::string LineText(std::size_t Line) {
    return "Line " + std::to_string(Line) + ": ";
}

// The filter of an ON line, or nothing for an OFF line or an empty slot.
std::optional<TFilter> ReadFilter(std::string_view rest, std::size_t line) {
    const std::vector<std::string_view> words = Words(rest);
    if (!words.empty() && SameWord(words[0], "off")) {
        return std::nullopt;
    }
    if (words.empty() || !SameWord(words[0], "on")) {
        throw EditorError(LineText(line) + "the filter is neither ON nor OFF.");
    }
    const std::string_view type = words.size() > 1 ? words[1] : std::string_view();
    TFilter filter;
    if (SameWord(type, "pk")) {
        filter.Type = TFilterType::Peaking;
    } else if (SameWord(type, "lsc")) {
        filter.Type = TFilterType::LowShelf;
    } else if (SameWord(type, "hsc")) {
        filter.Type = TFilterType::HighShelf;
    } else if (SameWord(type, "none") && words.size() == 2) {
        return std::nullopt; // an unused slot, as some programs list them
    } else {
        throw EditorError(LineText(line) + "the filter type \"" + Utf16ToUtf8(Utf8ToUtf16(type)) +
                          "\" is not PK, LSC or HSC.");
    }
    std::optional<double> fc;
    std::optional<double> gain;
    std::optional<double> q;
    for (std::size_t i = 2; i + 1 < words.size(); ++i) {
        if (SameWord(words[i], "fc")) {
            fc = Number(words[++i], "hz");
        } else if (SameWord(words[i], "gain")) {
            gain = Number(words[++i], "db");
        } else if (SameWord(words[i], "q")) {
            q = Number(words[++i], "");
        }
    }
    if (!fc || !gain || !q || !(*fc > 0) || !(*q > 0)) {
        throw EditorError(LineText(line) +
                          "the filter needs Fc, Gain and Q, each a number, Fc and Q above 0.");
    }
    filter.Frequency = *fc;
    filter.GainDb = *gain;
    filter.Q = *q;
    return filter;
}

} // namespace

std::string ParametricEqText(const TFitResult& Result) {
    std::string text = "Preamp: " + Fixed(Result.PreampDb, 1) + " dB\r\n";
    for (std::size_t i = 0; i < Result.Filters.size(); ++i) {
        const TFilter& f = Result.Filters[i];
        text += "Filter " + std::to_string(i + 1) + ": ON " + TypeCode(f.Type) + " Fc " +
                Fixed(f.Frequency, 0) + " Hz Gain " + Fixed(f.GainDb, 1) + " dB Q " +
                Fixed(f.Q, 2) + "\r\n";
    }
    return text;
}

TParametricEq ReadParametricEq(const std::filesystem::path& FileName) {
    const std::string bytes =
        TReadFile(FileName, TReadSharing::Readers, TReadFailure::File).ReadRest({}, kMaxFileSize);
    std::string_view text(bytes);
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    TParametricEq eq;
    std::size_t line = 0;
    while (!text.empty()) {
        ++line;
        const std::size_t end = text.find('\n');
        std::string_view current = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (current.ends_with('\r')) {
            current.remove_suffix(1);
        }
        if (const auto preamp = AfterKeyword(current, "preamp", false)) {
            const std::vector<std::string_view> words = Words(*preamp);
            const std::optional<double> gain =
                words.empty() ? std::nullopt : Number(words[0], "db");
            // Equalisers apply every preamp line.
            if (!gain || !std::isfinite(eq.PreampDb + *gain)) {
                throw EditorError(LineText(line) + "the preamp is not a number of decibels.");
            }
            eq.PreampDb += *gain;
        } else if (const auto filter = AfterKeyword(current, "filter", true)) {
            if (const std::optional<TFilter> read = ReadFilter(*filter, line)) {
                eq.Filters.push_back(*read);
            }
        }
    }
    if (eq.Filters.empty()) {
        throw EditorError("No filters in \"" + FullPathText(FileName) + "\"");
    }
    return eq;
}
