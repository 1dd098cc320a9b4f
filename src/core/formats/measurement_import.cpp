#include "measurement_import.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "editor_errors.h"
#include "file_open.h"
#include "number_field.h"
#include "platform_win.h"
#include "text_utf.h"

namespace {

namespace fs = std::filesystem;

// Larger files are no measurement; reading them whole would only exhaust memory.
constexpr std::uint64_t kMaxFileSize = std::uint64_t{1} << 28;
constexpr std::size_t kFirstBufferSize = 64 * 1024;
// Blocks of a file read in turn: small enough to stay in the processor's cache.
constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::size_t kMinBlockSize = 4096;

// The bytes of a whole file, in storage that is not cleared first: a large file is written once.
struct FileBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

void RefuseLargerThanLimit(std::uint64_t size) {
    if (size > kMaxFileSize) {
        throw OutOfMemoryError("Out of memory");
    }
}

// The rest of an open file; a size known in advance is read in one go.
FileBytes ReadAll(TReadFile& file) {
    const std::optional<std::uint64_t> size = file.Size();
    if (size) {
        RefuseLargerThanLimit(*size);
    }
    // One byte more than the size, so that the end shows without a second buffer.
    std::size_t capacity = size ? static_cast<std::size_t>(*size) + 1 : kFirstBufferSize;
    FileBytes bytes{std::make_unique_for_overwrite<char[]>(capacity), 0};
    for (;;) {
        if (bytes.size == capacity) {
            auto larger = std::make_unique_for_overwrite<char[]>(capacity * 2);
            std::memcpy(larger.get(), bytes.data.get(), bytes.size);
            bytes.data = std::move(larger);
            capacity *= 2;
        }
        const std::size_t got = file.Read(bytes.data.get() + bytes.size, capacity - bytes.size);
        if (got == 0) {
            return bytes;
        }
        bytes.size += got;
        RefuseLargerThanLimit(bytes.size);
    }
}

// A file read block by block into one buffer, whose front keeps what the caller has not used of
// the last block: an incomplete line or character. The buffer grows only for a longer line.
class BlockReader {
public:
    BlockReader(TReadFile& file, std::uint64_t size)
        : file_(file), capacity_(static_cast<std::size_t>(
                           std::clamp<std::uint64_t>(size + 1, kMinBlockSize, kBlockSize))),
          data_(std::make_unique_for_overwrite<char[]>(capacity_)) {}

    // The last `keep` bytes of the previous block, then the next bytes of the file; `fresh` tells
    // how many of them are new, none at the end of the file.
    std::string_view Next(std::size_t keep, std::size_t& fresh) {
        if (keep == capacity_) {
            auto larger = std::make_unique_for_overwrite<char[]>(capacity_ * 2);
            std::memcpy(larger.get(), data_.get() + size_ - keep, keep);
            data_ = std::move(larger);
            capacity_ *= 2;
        } else {
            std::memmove(data_.get(), data_.get() + size_ - keep, keep);
        }
        size_ = keep;
        fresh = 0;
        // A short read need not be the end: only a read of nothing is.
        for (std::size_t got = 1; size_ < capacity_ && got > 0;) {
            got = file_.Read(data_.get() + size_, capacity_ - size_);
            size_ += got;
            fresh += got;
        }
        read_ += fresh;
        RefuseLargerThanLimit(read_);
        return {data_.get(), size_};
    }

    void Rewind() {
        file_.Rewind();
        size_ = 0;
        read_ = 0;
    }

private:
    TReadFile& file_;
    std::size_t capacity_;
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::uint64_t read_ = 0;
};

// The length of the valid UTF-8 that the bytes begin with, short of a last character that they
// cut off; nothing when they hold an invalid sequence.
std::optional<std::size_t> ValidUtf8Prefix(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            // Plain ASCII text goes eight bytes at a time.
            std::uint64_t eight = 0;
            if (bytes.size() - i >= 8 &&
                (std::memcpy(&eight, bytes.data() + i, 8), eight & 0x8080808080808080u) == 0) {
                i += 8;
            } else {
                ++i;
            }
            continue;
        }
        // Trail count and the smallest code point for it, so that overlong forms fail.
        const int trails = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        if (trails == 0 || lead > 0xF4) {
            return std::nullopt;
        }
        if (bytes.size() - i <= static_cast<std::size_t>(trails)) {
            return i;
        }
        char32_t code = lead & (0x3F >> trails);
        for (int t = 1; t <= trails; ++t) {
            const auto trail = static_cast<unsigned char>(bytes[i + t]);
            if ((trail & 0xC0) != 0x80) {
                return std::nullopt;
            }
            code = code << 6 | (trail & 0x3F);
        }
        constexpr char32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[trails] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return std::nullopt;
        }
        i += static_cast<std::size_t>(trails) + 1;
    }
    return bytes.size();
}

bool IsValidUtf8(std::string_view bytes) {
    return ValidUtf8Prefix(bytes) == bytes.size();
}

// Bytes in the ANSI code page as UTF-8.
std::string AnsiToUtf8(std::string_view bytes) {
    std::u16string text;
    AnsiToUtf16(bytes, text);
    return Utf16ToUtf8(text);
}

// The file's text as UTF-8, whatever its encoding, without a byte-order mark: the bytes
// themselves, or their conversion kept in `converted`.
std::string_view TextAsUtf8(std::string_view bytes, std::string& converted) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return bytes.substr(3);
    }
    const bool little = bytes.starts_with("\xFF\xFE");
    if (little || bytes.starts_with("\xFE\xFF")) {
        std::u16string text((bytes.size() - 2) / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto first = static_cast<unsigned char>(bytes[2 + 2 * i]);
            const auto second = static_cast<unsigned char>(bytes[3 + 2 * i]);
            text[i] = little ? static_cast<char16_t>(first | second << 8)
                             : static_cast<char16_t>(first << 8 | second);
        }
        converted = Utf16ToUtf8(text);
        return converted;
    }
    if (IsValidUtf8(bytes)) {
        return bytes;
    }
    converted = AnsiToUtf8(bytes);
    return converted;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view TrimField(std::string_view field) {
    field = TrimBlanks(field);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
        field = TrimBlanks(field.substr(1, field.size() - 2));
    }
    return field;
}

// The trimmed fields of a line split at `delimiter`, or at runs of blanks when it is ' ', one at a
// time: a line of millions of fields is read only as far as its fields matter.
class FieldCursor {
public:
    FieldCursor(std::string_view line, char delimiter) : line_(line), delimiter_(delimiter) {}

    // False after the last field.
    bool Next(std::string_view& field) {
        if (done_) {
            return false;
        }
        if (delimiter_ == ' ') {
            while (at_ < line_.size() && IsBlank(line_[at_])) {
                ++at_;
            }
            if (at_ == line_.size()) {
                done_ = true;
                return false;
            }
            const std::size_t start = at_;
            while (at_ < line_.size() && !IsBlank(line_[at_])) {
                ++at_;
            }
            field = TrimField(line_.substr(start, at_ - start));
            return true;
        }
        const std::size_t stop = line_.find(delimiter_, at_);
        field = TrimField(line_.substr(at_, stop - at_));
        done_ = stop == std::string_view::npos;
        at_ = stop + 1;
        return true;
    }

private:
    std::string_view line_;
    char delimiter_;
    std::size_t at_ = 0;
    bool done_ = false;
};

// Line breaks, CR and LF each counted: at least the lines that follow. Counted in runs of 255
// bytes, whose count fits a byte: byte-wide counters let the compiler compare many bytes at once.
std::size_t LineBreaks(std::string_view text) {
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t end = std::min(text.size(), i + 255);
        unsigned char run = 0;
        for (; i < end; ++i) {
            run += static_cast<unsigned char>(text[i] == '\n') +
                   static_cast<unsigned char>(text[i] == '\r');
        }
        breaks += run;
    }
    return breaks;
}

// Which delimiters a line holds; blanks count only between fields.
class Delimiters {
public:
    bool Has(char delimiter) const { return (bits_ & Bit(delimiter)) != 0; }
    void Add(char delimiter) { bits_ |= Bit(delimiter); }

    // Every blank is a TAB between two other characters: the line splits at TABs into the same
    // fields as at runs of blanks.
    bool OnlySingleTabs() const { return onlySingleTabs_; }
    void SetOnlySingleTabs(bool only) { onlySingleTabs_ = only; }

private:
    static unsigned Bit(char delimiter) {
        return delimiter == '\t' ? 1u : delimiter == ';' ? 2u : delimiter == ',' ? 4u : 8u;
    }
    unsigned bits_ = 0;
    bool onlySingleTabs_ = true;
};

Delimiters DelimitersIn(std::string_view line) {
    Delimiters present;
    bool onlySingleTabs = line.empty() || (!IsBlank(line.front()) && !IsBlank(line.back()));
    char previous = '\0';
    for (const char c : TrimBlanks(line)) {
        if (c == ';' || c == ',') {
            present.Add(c);
        } else if (IsBlank(c)) {
            present.Add(c);
            present.Add(' ');
            onlySingleTabs = onlySingleTabs && c == '\t' && previous != '\t';
        }
        previous = c;
    }
    present.SetOnlySingleTabs(onlySingleTabs);
    return present;
}

// A digit first, after blanks and an optional double quote.
bool BeginsLikeData(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) {
        ++i;
    }
    if (i < line.size() && line[i] == '"') {
        ++i;
    }
    return i < line.size() && line[i] >= '0' && line[i] <= '9';
}

bool IsGraphicEqLine(std::string_view line) {
    constexpr std::u16string_view kStart = u"GRAPHICEQ:";
    return EqualsIgnoringAsciiCase(line.substr(0, kStart.size()), kStart);
}

// Fields read as the ASCII import reads them, remembered for the current line: the same field
// under several delimiters is read once.
class FieldReader {
public:
    void NewLine() { count_ = 0; }

    bool Read(std::string_view field, int32_t decimals, float& value) {
        for (std::size_t i = 0; i < count_; ++i) {
            const Entry& e = entries_[i];
            if (e.field.data() == field.data() && e.field.size() == field.size() &&
                e.decimals == decimals) {
                value = e.value;
                return e.read;
            }
        }
        const bool read = ReadNumberField(
            field, decimals,
            [this](std::string_view bytes) {
                decoded_ = Utf8ToUtf16(bytes);
                return std::u16string_view(decoded_);
            },
            value);
        if (count_ < entries_.size()) {
            entries_[count_++] = {field, decimals, read, value};
        }
        return read;
    }

private:
    struct Entry {
        std::string_view field;
        int32_t decimals = 0;
        bool read = false;
        float value = 0;
    };
    std::array<Entry, 8> entries_{};
    std::size_t count_ = 0;
    std::u16string decoded_; // a field that is not ASCII, as UTF-16
};

// The gain columns asked for, in ascending order, and how far the fields of a line are read.
struct Wanted {
    explicit Wanted(const std::vector<int32_t>& gainColumns) : columns(gainColumns) {
        for (std::size_t j = 0; j < columns.size(); ++j) {
            if (columns[j] == 0) {
                zero = j;
            }
            if (columns[j] <= 0) {
                firstPositive = j + 1;
            }
        }
        lastField = static_cast<std::size_t>(kCountedFields - 1);
        if (!columns.empty() && columns.back() > kCountedFields - 1) {
            lastField = static_cast<std::size_t>(columns.back());
        }
    }

    std::vector<int32_t> columns;
    std::optional<std::size_t> zero; // the index of column 0 in `columns`
    std::size_t firstPositive = 0;   // the index of the first column above 0
    std::size_t lastField = 0;       // fields after it are not read
};

// What one delimiter makes of a data line: its frequency, the gain of each column asked for and
// how many of the fields read are numeric.
struct LineFields {
    bool frequencyRead = false;
    float frequency = 0;
    std::size_t numeric = 0;
    std::vector<std::optional<float>> gains; // by the index of the column in Wanted::columns
};

// The fields as the ASCII import reads them: the frequency with one decimal, the other fields as
// gains with four. A point needs its frequency and its gain field to read; the numeric fields then
// are the frequency and every other field that reads as a gain, whichever column is the gain.
void ReadLineFields(std::string_view line, char delimiter, const Wanted& wanted,
                    FieldReader& reader, LineFields& out) {
    std::fill(out.gains.begin(), out.gains.end(), std::nullopt);
    FieldCursor cursor(line, delimiter);
    std::string_view field;
    cursor.Next(field); // every line has a first field
    out.frequencyRead = reader.Read(field, 1, out.frequency);
    if (!out.frequencyRead) {
        return;
    }
    out.numeric = 1;
    float value = 0;
    if (wanted.zero && reader.Read(field, 4, value)) {
        out.gains[*wanted.zero] = value;
    }
    std::size_t next = wanted.firstPositive;
    for (std::size_t i = 1; i <= wanted.lastField && cursor.Next(field); ++i) {
        const bool read = reader.Read(field, 4, value);
        out.numeric += read ? 1 : 0;
        if (next < wanted.columns.size() && static_cast<std::size_t>(wanted.columns[next]) == i) {
            if (read) {
                out.gains[next] = value;
            }
            ++next;
        }
    }
}

void Count(std::vector<std::size_t>& linesWithCount, std::size_t numeric) {
    if (linesWithCount.size() <= numeric) {
        linesWithCount.resize(numeric + 1);
    }
    ++linesWithCount[numeric];
}

// The most common count of numeric fields; of equally common ones the larger, so that no column
// is hidden.
int32_t MostCommonCount(const std::vector<std::size_t>& linesWithCount) {
    std::size_t best = 0;
    for (std::size_t n = 1; n < linesWithCount.size(); ++n) {
        if (linesWithCount[n] >= linesWithCount[best]) {
            best = n;
        }
    }
    return static_cast<int32_t>(best);
}

std::vector<std::u16string> ColumnTitles(std::string_view line, char delimiter, std::size_t columns,
                                         std::size_t lastField) {
    line = TrimBlanks(line);
    if (!line.empty() && (line.front() == '*' || line.front() == '#')) {
        line = TrimBlanks(line.substr(1));
    }
    std::vector<std::string_view> fields;
    FieldCursor cursor(line, delimiter);
    std::string_view field;
    while (fields.size() <= lastField && cursor.Next(field)) {
        fields.push_back(field);
    }
    std::vector<std::u16string> titles;
    if (fields.size() >= columns) {
        for (const std::string_view title : fields) {
            titles.push_back(Utf8ToUtf16(title));
        }
    }
    return titles;
}

// Arrays of a large file take one page fault per 2 MiB instead of one per 4 KiB where the system
// offers large pages: the faults cost more than the reading.
void PreferLargePages([[maybe_unused]] std::vector<float>& values) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kLarge = 2 << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(values.data());
    const std::uintptr_t end = begin + values.capacity() * sizeof(float);
    const std::uintptr_t first = (begin + kLarge - 1) / kLarge * kLarge;
    const std::uintptr_t last = end / kLarge * kLarge;
    if (first < last) {
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#endif
}

// The same point: the same bits, so that a NaN equals itself.
bool SamePoint(float frequency, float gain, float otherFrequency, float otherGain) {
    return std::bit_cast<std::uint32_t>(frequency) ==
               std::bit_cast<std::uint32_t>(otherFrequency) &&
           std::bit_cast<std::uint32_t>(gain) == std::bit_cast<std::uint32_t>(otherGain);
}

// The delimiters in the order of their readings; TAB first: the blank run takes its points over
// where they split alike.
constexpr std::array<char, 4> kDelimiters = {'\t', ';', ',', ' '};

// A line that does not begin with a digit but whose first field reads as a number under one
// of the delimiters ("-50 1.0", ".5;1"). Only a sign, a separator or a letter of NAN or INF
// can begin such a field: other lines are not read at all.
template <std::size_t N>
bool FirstFieldReads(std::string_view line, const std::array<char, N>& delimiters,
                     FieldReader& reader) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) {
        ++i;
    }
    if (i < line.size() && line[i] == '"') {
        ++i;
    }
    if (i == line.size() ||
        (static_cast<unsigned char>(line[i]) < 0x80 &&
         std::string_view("+-.,nNiI").find(line[i]) == std::string_view::npos)) {
        return false;
    }
    for (const char delimiter : delimiters) {
        std::string_view field;
        float value = 0;
        if (FieldCursor(line, delimiter).Next(field) && reader.Read(field, 1, value)) {
            return true;
        }
    }
    return false;
}

// Takes the lines of a file one by one, under every delimiter and for every gain column asked for
// at once. Delimiters mostly agree on a column's point (a TAB is also a blank run), so its points
// are kept once, in `shared`, as long as they do: a delimiter gets arrays of its own only from the
// first line where it differs.
class LineParser {
public:
    // `room`: at least the lines to come, so that no array grows beyond them.
    LineParser(const Wanted& wanted, std::size_t room)
        : wanted_(wanted), room_(room), columns_(wanted.columns.size()) {
        for (LineFields& fields : fields_) {
            fields.gains.resize(wanted.columns.size());
        }
    }

    // False once a graphic-equaliser line has settled the import: the lines after it play no part.
    bool Take(std::string_view line) {
        if (IsGraphicEqLine(line)) {
            ReadGraphicEq(line);
            return false;
        }
        reader_.NewLine();
        if (!BeginsLikeData(line)) {
            if (FirstFieldReads(line, kDelimiters, reader_)) {
                ++dataLike_; // "-50 1.0": data that gives no point, not a title row
            } else if (!lastHeader_ || lastHeader_.use_count() > 1) {
                lastHeader_ = std::make_shared<std::string>(line);
            } else {
                lastHeader_->assign(line);
            }
            return true;
        }
        ++dataLike_;
        const Delimiters present = DelimitersIn(line);
        std::array<const LineFields*, 4> read{};
        for (std::size_t k = 0; k < kDelimiters.size(); ++k) {
            if (kDelimiters[k] == ' ' && present.OnlySingleTabs()) {
                read[k] = read[0]; // the TAB's, from the same fields
            } else if (wanted_.zero || present.Has(kDelimiters[k])) {
                // Without its delimiter a line has one field: a point only when that is the gain.
                ReadLineFields(line, kDelimiters[k], wanted_, reader_, fields_[k]);
                read[k] = &fields_[k];
            }
        }
        for (std::size_t j = 0; j < columns_.size(); ++j) {
            TakePoints(columns_[j], j, read);
        }
        return true;
    }

    // The layout and points of the j-th column asked for; the points stay empty without data.
    TMeasurementLayout Finish(std::size_t j, TDatentyp& series) {
        Column& column = columns_[j];
        if (column.equaliser) {
            if (column.equaliser->DataLines > 0) {
                series.DatenXYZ[0] = std::move(column.shared.frequencies);
                series.DatenXYZ[1] = std::move(column.shared.gains);
            }
            return *column.equaliser;
        }
        // Tie order: the earlier delimiter wins.
        const auto best = std::max_element(
            column.readings.begin(), column.readings.end(),
            [](const Reading& a, const Reading& b) { return a.points < b.points; });
        TMeasurementLayout layout;
        layout.DataLines = best->points;
        layout.SkippedLines = dataLike_ - layout.DataLines;
        if (layout.DataLines == 0) {
            return layout;
        }
        const char delimiter =
            kDelimiters[static_cast<std::size_t>(best - column.readings.begin())];
        layout.Delimiter = static_cast<char16_t>(delimiter);
        layout.ColumnCount = MostCommonCount(best->linesWithCount);
        if (best->titleLine) {
            layout.ColumnTitles =
                ColumnTitles(*best->titleLine, delimiter,
                             static_cast<std::size_t>(layout.ColumnCount), wanted_.lastField);
        }
        Series& points = best->sharing ? column.shared : best->own;
        series.DatenXYZ[0] = std::move(points.frequencies);
        series.DatenXYZ[1] = std::move(points.gains);
        return layout;
    }

private:
    // Left unset until a delimiter's turn, which sets `given` first: clearing four of them for
    // every line costs more than reading them.
    struct Point {
        bool given;
        float frequency;
        float gain;
    };

    struct Series {
        std::vector<float> frequencies;
        std::vector<float> gains;
    };

    // What one delimiter makes of the file for one column.
    struct Reading {
        std::size_t points = 0;
        bool sharing = true; // its points are those in the column's `shared`, else those in `own`
        Series own;
        std::vector<std::size_t> linesWithCount; // [n]: data lines with n numeric fields
        std::shared_ptr<const std::string> titleLine;
    };

    struct Column {
        std::array<Reading, 4> readings; // in the order of kDelimiters
        Series shared;
        std::optional<TMeasurementLayout> equaliser; // set by a graphic-equaliser line
    };

    void TakePoints(Column& column, std::size_t j, const std::array<const LineFields*, 4>& read) {
        std::array<Point, 4> points;
        const Point* first = nullptr; // of the earliest delimiter that gives a point
        for (std::size_t k = 0; k < points.size(); ++k) {
            const LineFields* fields = read[k];
            Point& point = points[k];
            point.given = fields && fields->frequencyRead && fields->gains[j];
            if (!point.given) {
                continue;
            }
            point.frequency = fields->frequency;
            point.gain = *fields->gains[j];
            Reading& reading = column.readings[k];
            if (reading.points++ == 0) {
                reading.titleLine = lastHeader_;
            }
            Count(reading.linesWithCount, fields->numeric);
            first = first ? first : &point;
        }
        if (!first) {
            return;
        }
        bool sharing = false;
        for (std::size_t k = 0; k < points.size(); ++k) {
            Reading& reading = column.readings[k];
            const Point& point = points[k];
            if (reading.sharing && !(point.given && SamePoint(point.frequency, point.gain,
                                                              first->frequency, first->gain))) {
                reading.sharing = false;
                Add(reading.own, column.shared);
            }
            if (!reading.sharing && point.given) {
                Add(reading.own, point.frequency, point.gain);
            }
            sharing = sharing || reading.sharing;
        }
        if (sharing) {
            Add(column.shared, first->frequency, first->gain);
        }
    }

    // The points of a graphic-equaliser line: "GraphicEQ: f g; f g; ...".
    void ReadGraphicEq(std::string_view line) {
        for (Column& column : columns_) {
            column.shared = {};
            column.equaliser = TMeasurementLayout{};
        }
        LineFields& fields = fields_[0];
        line.remove_prefix(line.find(':') + 1);
        for (std::size_t start = 0; start <= line.size();) {
            const std::size_t stop = std::min(line.find(';', start), line.size());
            const std::string_view entry = line.substr(start, stop - start);
            start = stop + 1;
            reader_.NewLine();
            if (!BeginsLikeData(entry)) {
                if (FirstFieldReads(entry, std::array<char, 1>{' '}, reader_)) {
                    for (Column& column : columns_) {
                        ++column.equaliser->SkippedLines;
                    }
                }
                continue;
            }
            ReadLineFields(entry, ' ', wanted_, reader_, fields);
            for (std::size_t j = 0; j < columns_.size(); ++j) {
                Column& column = columns_[j];
                if (fields.frequencyRead && fields.gains[j]) {
                    Add(column.shared, fields.frequency, *fields.gains[j]);
                } else {
                    ++column.equaliser->SkippedLines;
                }
            }
        }
        for (Column& column : columns_) {
            column.equaliser->DataLines = column.shared.frequencies.size();
            if (column.equaliser->DataLines > 0) {
                column.equaliser->Delimiter = u'G';
                column.equaliser->ColumnCount = 2;
            }
        }
    }

    // Room for `needed` points: twice the room so far, but no more than the lines to come.
    void Grow(Series& to, std::size_t needed) {
        constexpr std::size_t kFirstRoom = std::size_t{1} << 16;
        std::size_t capacity = std::max({needed, 2 * to.frequencies.capacity(), kFirstRoom});
        if (needed <= room_) {
            capacity = std::min(capacity, room_);
        }
        to.frequencies.reserve(capacity);
        to.gains.reserve(capacity);
        PreferLargePages(to.frequencies);
        PreferLargePages(to.gains);
    }

    void Add(Series& to, float frequency, float gain) {
        if (to.frequencies.size() == to.frequencies.capacity()) {
            Grow(to, to.frequencies.size() + 1);
        }
        to.frequencies.push_back(frequency);
        to.gains.push_back(gain);
    }

    void Add(Series& to, const Series& from) {
        if (!from.frequencies.empty()) {
            Grow(to, from.frequencies.size() + 1);
            to.frequencies.assign(from.frequencies.begin(), from.frequencies.end());
            to.gains.assign(from.gains.begin(), from.gains.end());
        }
    }

    const Wanted& wanted_;
    std::size_t room_;
    std::vector<Column> columns_;
    std::array<LineFields, 4> fields_; // in the order of kDelimiters
    std::shared_ptr<std::string> lastHeader_;
    std::size_t dataLike_ = 0;
    FieldReader reader_;
};

// The lines of a text in memory.
template <typename Sink> void ParseText(std::string_view text, Sink& sink) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t stop = start;
        while (stop < text.size() && text[stop] != '\n' && text[stop] != '\r') {
            ++stop;
        }
        if (!sink(text.substr(start, stop - start))) {
            return;
        }
        start = stop + (text.compare(stop, 2, "\r\n") == 0 ? 2 : 1);
    }
}

enum class Encoding { Utf8, Utf8WithMark, Ansi, Utf16 };

// What a first reading of a file tells: its encoding and how many lines it has at most.
struct Survey {
    Encoding encoding = Encoding::Utf8;
    std::size_t breaks = 0;
};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Stops at a UTF-16 mark, whose text is converted whole.
Survey SurveyFile(BlockReader& blocks) {
    Survey survey;
    std::size_t keep = 0;
    std::size_t fresh = 0;
    for (bool first = true;; first = false) {
        const std::string_view block = blocks.Next(keep, fresh);
        if (first && (block.starts_with("\xFF\xFE") || block.starts_with("\xFE\xFF"))) {
            survey.encoding = Encoding::Utf16;
            return survey;
        }
        if (first && block.starts_with(kUtf8Mark)) {
            survey.encoding = Encoding::Utf8WithMark;
        }
        survey.breaks += LineBreaks(block.substr(keep));
        keep = 0;
        if (survey.encoding == Encoding::Utf8) {
            // A character cut off by the end of the block is checked again with the next one.
            const std::optional<std::size_t> valid = ValidUtf8Prefix(block);
            if (!valid || (fresh == 0 && *valid < block.size())) {
                survey.encoding = Encoding::Ansi;
            } else {
                keep = block.size() - *valid;
            }
        }
        if (fresh == 0) {
            return survey;
        }
    }
}

bool IsAscii(std::string_view text) {
    unsigned char bits = 0;
    for (const char c : text) {
        bits |= static_cast<unsigned char>(c);
    }
    return bits < 0x80;
}

// The line as the preview shows it: a line longer than `length` UTF-16 units shows its first ones
// (never half of a pair) and an ellipsis. Only its first bytes are converted.
std::u16string ShownLine(std::string_view line, bool ansi, std::size_t length) {
    // Four bytes at most make a unit: enough for one unit more than is shown.
    std::string_view part =
        line.substr(0, length < line.size() / 4 ? 4 * (length + 1) : line.size());
    std::u16string text;
    if (ansi) {
        text = Utf8ToUtf16(AnsiToUtf8(part));
    } else {
        text = Utf8ToUtf16(part.substr(0, ValidUtf8Prefix(part).value_or(part.size())));
    }
    if (text.size() > length) {
        text.resize(length);
        if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) {
            text.pop_back();
        }
        text += u'\u2026';
    }
    return text;
}

// Takes the lines of a file as they come: the first ones as they show, all of them into the
// parser in UTF-8, as long as either wants them.
class LineSink {
public:
    LineSink(LineParser& parser, bool parsing, Encoding encoding, std::size_t lineCount,
             std::size_t lineLength, std::vector<std::u16string>& lines)
        : parser_(parser), parsing_(parsing), encoding_(encoding), lineCount_(lineCount),
          lineLength_(lineLength), lines_(lines) {}

    bool operator()(std::string_view line) {
        if (lines_.size() < lineCount_) {
            lines_.push_back(ShownLine(line, encoding_ == Encoding::Ansi, lineLength_));
        }
        if (parsing_) {
            if (encoding_ == Encoding::Ansi && !IsAscii(line)) {
                converted_ = AnsiToUtf8(line);
                line = converted_;
            }
            parsing_ = parser_.Take(line);
        }
        return parsing_ || lines_.size() < lineCount_;
    }

private:
    LineParser& parser_;
    bool parsing_;
    Encoding encoding_;
    std::size_t lineCount_;
    std::size_t lineLength_;
    std::vector<std::u16string>& lines_;
    std::string converted_;
};

// The lines of a file from its start again, block by block, as the bytes stand in the encoding
// the survey found. A CR, LF or CR LF ends a line, and a break ends no line of its own at the end.
template <typename Sink> void ParseFile(BlockReader& blocks, Encoding encoding, Sink& sink) {
    blocks.Rewind();
    std::size_t keep = 0; // the start of a line, kept for the next block
    std::size_t fresh = 0;
    bool afterCarriageReturn = false; // the last block ended in a CR: an LF next is its partner
    for (bool first = true;; first = false) {
        const std::string_view block = blocks.Next(keep, fresh);
        std::size_t start = 0;
        if (first && encoding == Encoding::Utf8WithMark && block.starts_with(kUtf8Mark)) {
            start = kUtf8Mark.size();
        }
        if (afterCarriageReturn && !block.empty() && block[0] == '\n') {
            start = 1;
        }
        afterCarriageReturn = false;
        if (fresh == 0) {
            if (start < block.size()) {
                sink(block.substr(start));
            }
            return;
        }
        // The kept bytes hold no break.
        for (std::size_t stop = std::max(start, keep); stop < block.size(); ++stop) {
            if (block[stop] != '\n' && block[stop] != '\r') {
                continue;
            }
            if (!sink(block.substr(start, stop - start))) {
                return;
            }
            start = stop + 1;
            if (block[stop] == '\r') {
                if (start == block.size()) {
                    afterCarriageReturn = true;
                } else if (block[start] == '\n') {
                    ++start;
                    ++stop;
                }
            }
        }
        keep = block.size() - start;
    }
}

// A file on a disk is read twice in small blocks, first for its encoding and the number of its
// lines; a pipe or a UTF-16 text is read whole.
TMeasurementColumns Read(const fs::path& path, const std::vector<int32_t>& gainColumns,
                         std::size_t lineCount, std::size_t lineLength) {
    const Wanted wanted(gainColumns);
    TMeasurementColumns read;
    const auto finish = [&](LineParser& parser) {
        read.Points.resize(gainColumns.size());
        for (std::size_t j = 0; j < gainColumns.size(); ++j) {
            read.Layouts.push_back(parser.Finish(j, read.Points[j]));
        }
        // Moved out: a copy of the points would cost as much as reading them.
        return std::move(read);
    };
    // Others may read along, nobody writes meanwhile.
    TReadFile file(path, TReadSharing::Readers, TReadFailure::File);
    if (const std::optional<std::uint64_t> size = file.Size()) {
        RefuseLargerThanLimit(*size);
        BlockReader blocks(file, *size);
        const Survey survey = SurveyFile(blocks);
        if (survey.encoding != Encoding::Utf16) {
            LineParser parser(wanted, survey.breaks + 1);
            LineSink sink(parser, !gainColumns.empty(), survey.encoding, lineCount, lineLength,
                          read.FirstLines);
            ParseFile(blocks, survey.encoding, sink);
            return finish(parser);
        }
        file.Rewind();
    }
    const FileBytes bytes = ReadAll(file);
    std::string converted;
    const std::string_view text =
        TextAsUtf8(std::string_view(bytes.data.get(), bytes.size), converted);
    LineParser parser(wanted, LineBreaks(text) + 1);
    LineSink sink(parser, !gainColumns.empty(), Encoding::Utf8, lineCount, lineLength,
                  read.FirstLines);
    ParseText(text, sink);
    return finish(parser);
}

} // namespace

TMeasurementLayout ImportMeasurement(const std::filesystem::path& FileName, int32_t GainColumn,
                                     TDatentyp& Series) {
    TMeasurementColumns read = ImportMeasurementColumns(FileName, {GainColumn}, 0, 0);
    if (read.Layouts[0].Delimiter != 0) {
        Series.DatenXYZ[0] = std::move(read.Points[0].DatenXYZ[0]);
        Series.DatenXYZ[1] = std::move(read.Points[0].DatenXYZ[1]);
    }
    return read.Layouts[0];
}

std::vector<std::u16string> MeasurementLines(const std::filesystem::path& FileName,
                                             std::size_t Count, std::size_t Length) {
    return ImportMeasurementColumns(FileName, {}, Count, Length).FirstLines;
}

TMeasurementColumns ImportMeasurementColumns(const std::filesystem::path& FileName,
                                             const std::vector<int32_t>& GainColumns,
                                             std::size_t LineCount, std::size_t LineLength) {
    return Read(FileName, GainColumns, LineCount, LineLength);
}

bool MeasurementDataLine(std::string_view Line) {
    FieldReader reader;
    return BeginsLikeData(Line) || IsGraphicEqLine(Line) ||
           FirstFieldReads(Line, kDelimiters, reader);
}
