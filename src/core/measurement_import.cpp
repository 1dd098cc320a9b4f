#include "measurement_import.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#ifdef _WIN32
#include <windows.h>

#include "platform_win.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "editor_errors.h"
#include "number_text.h"
#include "text_utf.h"

namespace {

namespace fs = std::filesystem;

// Larger files are no measurement; reading them whole would only exhaust memory.
constexpr std::uint64_t kMaxFileSize = std::uint64_t{1} << 28;
constexpr std::size_t kFirstBufferSize = 64 * 1024;

std::string ShownPath(const fs::path& path) {
    std::error_code ec;
    const fs::path full = fs::absolute(path, ec);
    return Utf16ToUtf8(PathToUtf16((ec ? path : full).lexically_normal()));
}

[[noreturn]] void RaiseOpenError(const fs::path& path, const std::string& reason) {
    throw FileError("Cannot open file \"" + ShownPath(path) + "\". " + reason);
}

[[noreturn]] void RaiseReadError(const fs::path& path, const std::string& reason) {
    throw FileError("Cannot read file \"" + ShownPath(path) + "\". " + reason);
}

#ifdef _WIN32
class OpenFile {
public:
    // Others may read along, nobody writes meanwhile; a folder fails here ("Access is denied").
    explicit OpenFile(const fs::path& path) : path_(path) {
        file_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) {
            RaiseOpenError(path, SystemErrorText(GetLastError()));
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() { CloseHandle(file_); }

    // The size of a file on a disk; nothing for a pipe or device.
    std::optional<std::uint64_t> Size() const {
        LARGE_INTEGER size{};
        if (GetFileType(file_) != FILE_TYPE_DISK || !GetFileSizeEx(file_, &size)) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(size.QuadPart);
    }

    // Bytes read, 0 at the end.
    std::size_t Read(char* to, std::size_t count) {
        DWORD got = 0;
        if (!ReadFile(file_, to, static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30)), &got,
                      nullptr)) {
            const DWORD code = GetLastError();
            if (code != ERROR_BROKEN_PIPE) {
                RaiseReadError(path_, SystemErrorText(code));
            }
        }
        return got;
    }

private:
    const fs::path& path_;
    HANDLE file_;
};
#else
class OpenFile {
public:
    // Others may read along; a writer that locks the file is kept out meanwhile.
    explicit OpenFile(const fs::path& path) : path_(path) {
        // O_NONBLOCK: opening a FIFO that nobody writes must not hang; reads block as usual.
        fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            RaiseOpenError(path, std::strerror(errno));
        }
        const int flags = ::fcntl(fd_, F_GETFL);
        if (flags == -1 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) == -1 ||
            ::fstat(fd_, &info_) != 0 || ::flock(fd_, LOCK_SH | LOCK_NB) != 0) {
            Fail(errno);
        }
        if (S_ISDIR(info_.st_mode)) {
            Fail(EISDIR);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() { ::close(fd_); }

    std::optional<std::uint64_t> Size() const {
        if (!S_ISREG(info_.st_mode)) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(info_.st_size);
    }

    std::size_t Read(char* to, std::size_t count) {
        ssize_t got;
        do {
            got = ::read(fd_, to, count);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            RaiseReadError(path_, std::strerror(errno));
        }
        return static_cast<std::size_t>(got);
    }

private:
    [[noreturn]] void Fail(int code) {
        ::close(fd_);
        RaiseOpenError(path_, std::strerror(code));
    }

    const fs::path& path_;
    int fd_ = -1;
    struct stat info_ {};
};
#endif

// The bytes of a whole file, in storage that is not cleared first: a large file is written once.
struct FileBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

// The whole file; a size known in advance is read in one go.
FileBytes ReadWholeFile(const fs::path& path) {
    OpenFile file(path);
    const std::optional<std::uint64_t> size = file.Size();
    if (size && *size > kMaxFileSize) {
        throw OutOfMemoryError("Out of memory");
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
        if (bytes.size > kMaxFileSize) {
            throw OutOfMemoryError("Out of memory");
        }
    }
}

bool IsValidUtf8(std::string_view bytes) {
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
        if (trails == 0 || lead > 0xF4 || bytes.size() - i <= static_cast<std::size_t>(trails)) {
            return false;
        }
        char32_t code = lead & (0x3F >> trails);
        for (int t = 1; t <= trails; ++t) {
            const auto trail = static_cast<unsigned char>(bytes[i + t]);
            if ((trail & 0xC0) != 0x80) {
                return false;
            }
            code = code << 6 | (trail & 0x3F);
        }
        constexpr char32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[trails] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += static_cast<std::size_t>(trails) + 1;
    }
    return true;
}

#ifdef _WIN32
std::string AnsiToUtf8(std::string_view bytes) {
    std::u16string text;
    AnsiToUtf16(bytes, text);
    return Utf16ToUtf8(text);
}
#else
// Without an ANSI code page the bytes are Windows-1252, whose 80h..9Fh differ from Latin-1.
std::string AnsiToUtf8(std::string_view bytes) {
    static constexpr char16_t kC1[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::u16string text(bytes.size(), u'\0');
    std::transform(bytes.begin(), bytes.end(), text.begin(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0x80 && b < 0xA0 ? kC1[b - 0x80] : char16_t{b};
    });
    return Utf16ToUtf8(text);
}
#endif

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

// The trimmed fields of a line split at `delimiter`, or at runs of blanks when it is ' '.
void SplitFields(std::string_view line, char delimiter, std::vector<std::string_view>& fields) {
    fields.clear();
    if (delimiter == ' ') {
        std::size_t i = 0;
        for (;;) {
            while (i < line.size() && IsBlank(line[i])) {
                ++i;
            }
            if (i == line.size()) {
                return;
            }
            const std::size_t start = i;
            while (i < line.size() && !IsBlank(line[i])) {
                ++i;
            }
            fields.push_back(TrimField(line.substr(start, i - start)));
        }
    }
    for (std::size_t start = 0;;) {
        const std::size_t stop = line.find(delimiter, start);
        fields.push_back(TrimField(line.substr(start, stop - start)));
        if (stop == std::string_view::npos) {
            return;
        }
        start = stop + 1;
    }
}

// Line breaks, CR and LF each counted: at least the lines that follow.
std::size_t LineBreaks(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n') +
                                    std::count(text.begin(), text.end(), '\r'));
}

// Which delimiters a line holds; blanks count only between fields.
class Delimiters {
public:
    bool Has(char delimiter) const { return (bits_ & Bit(delimiter)) != 0; }
    void Add(char delimiter) { bits_ |= Bit(delimiter); }

private:
    static unsigned Bit(char delimiter) {
        return delimiter == '\t' ? 1u : delimiter == ';' ? 2u : delimiter == ',' ? 4u : 8u;
    }
    unsigned bits_ = 0;
};

Delimiters DelimitersIn(std::string_view line) {
    Delimiters present;
    for (const char c : TrimBlanks(line)) {
        if (c == ';' || c == ',') {
            present.Add(c);
        } else if (IsBlank(c)) {
            present.Add(c);
            present.Add(' ');
        }
    }
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
    constexpr std::string_view kStart = "graphiceq:";
    return line.size() >= kStart.size() &&
           std::equal(kStart.begin(), kStart.end(), line.begin(), [](char a, char b) {
               return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
           });
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
        long double normalized = 0;
        bool read = false;
        if (std::all_of(field.begin(), field.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            read = NormalizedNumber(field, decimals, normalized);
        } else {
            read = NormalizedNumber(Utf8ToUtf16(field), decimals, normalized);
        }
        value = static_cast<float>(normalized);
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
};

// What one delimiter makes of the file.
struct Reading {
    char delimiter;
    std::vector<float> frequencies;
    std::vector<float> gains;
    std::vector<std::size_t> linesWithCount; // [n]: data lines with n numeric fields
    std::optional<std::string_view> titleLine;
};

// The point of a line split into `fields`, and its numeric fields; false when it gives none.
bool ReadPoint(const std::vector<std::string_view>& fields, int32_t gainColumn, FieldReader& reader,
               float& frequency, float& gain, std::size_t& numeric) {
    if (gainColumn < 0 || static_cast<std::size_t>(gainColumn) >= fields.size() ||
        !reader.Read(fields[0], 1, frequency) ||
        !reader.Read(fields[static_cast<std::size_t>(gainColumn)], 4, gain)) {
        return false;
    }
    numeric = gainColumn == 0 ? 1 : 2;
    for (std::size_t i = 1; i < fields.size(); ++i) {
        float ignored = 0;
        if (i != static_cast<std::size_t>(gainColumn) && reader.Read(fields[i], 4, ignored)) {
            ++numeric;
        }
    }
    return true;
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

std::vector<std::u16string> ColumnTitles(std::string_view line, char delimiter,
                                         std::size_t columns) {
    line = TrimBlanks(line);
    if (!line.empty() && (line.front() == '*' || line.front() == '#')) {
        line = TrimBlanks(line.substr(1));
    }
    std::vector<std::string_view> fields;
    SplitFields(line, delimiter, fields);
    std::vector<std::u16string> titles;
    if (fields.size() >= columns) {
        for (const std::string_view field : fields) {
            titles.push_back(Utf8ToUtf16(field));
        }
    }
    return titles;
}

// The points of a graphic-equaliser line: "GraphicEQ: f g; f g; ...".
TMeasurementLayout ReadGraphicEq(std::string_view line, int32_t gainColumn, Reading& reading) {
    TMeasurementLayout layout;
    FieldReader reader;
    std::vector<std::string_view> fields;
    line.remove_prefix(line.find(':') + 1);
    for (std::size_t start = 0; start <= line.size();) {
        const std::size_t stop = std::min(line.find(';', start), line.size());
        const std::string_view entry = line.substr(start, stop - start);
        start = stop + 1;
        if (!BeginsLikeData(entry)) {
            continue;
        }
        SplitFields(entry, ' ', fields);
        reader.NewLine();
        float frequency = 0;
        float gain = 0;
        std::size_t numeric = 0;
        if (ReadPoint(fields, gainColumn, reader, frequency, gain, numeric)) {
            reading.frequencies.push_back(frequency);
            reading.gains.push_back(gain);
        } else {
            ++layout.SkippedLines;
        }
    }
    layout.DataLines = reading.frequencies.size();
    if (layout.DataLines > 0) {
        layout.Delimiter = u'G';
        layout.ColumnCount = 2;
    }
    return layout;
}

} // namespace

TMeasurementLayout ImportMeasurement(const std::filesystem::path& FileName, int32_t GainColumn,
                                     TDatentyp& Series) {
    const FileBytes bytes = ReadWholeFile(FileName);
    std::string converted;
    const std::string_view text =
        TextAsUtf8(std::string_view(bytes.data.get(), bytes.size), converted);

    // Tie order: the earlier delimiter wins.
    std::array<Reading, 4> readings{{{'\t', {}, {}, {}, {}},
                                     {';', {}, {}, {}, {}},
                                     {',', {}, {}, {}, {}},
                                     {' ', {}, {}, {}, {}}}};
    std::optional<std::string_view> lastHeader;
    std::size_t dataLike = 0;
    std::size_t room = 0; // points that the rest of the file can hold, once counted
    FieldReader reader;
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t stop = start;
        while (stop < text.size() && text[stop] != '\n' && text[stop] != '\r') {
            ++stop;
        }
        const std::string_view line(text.data() + start, stop - start);
        start = stop + (text.compare(stop, 2, "\r\n") == 0 ? 2 : 1);

        if (IsGraphicEqLine(line)) {
            Reading& reading = readings[0];
            reading.frequencies.clear();
            reading.gains.clear();
            TMeasurementLayout layout = ReadGraphicEq(line, GainColumn, reading);
            if (layout.DataLines > 0) {
                Series.DatenXYZ[0] = std::move(reading.frequencies);
                Series.DatenXYZ[1] = std::move(reading.gains);
            }
            return layout;
        }
        if (!BeginsLikeData(line)) {
            lastHeader = line;
            continue;
        }
        ++dataLike;
        reader.NewLine();
        const Delimiters present = DelimitersIn(line);
        for (Reading& reading : readings) {
            // Without its delimiter a line has one field: a point only when that is the gain too.
            if (GainColumn != 0 && !present.Has(reading.delimiter)) {
                continue;
            }
            SplitFields(line, reading.delimiter, fields);
            float frequency = 0;
            float gain = 0;
            std::size_t numeric = 0;
            if (!ReadPoint(fields, GainColumn, reader, frequency, gain, numeric)) {
                continue;
            }
            if (reading.frequencies.empty()) {
                reading.titleLine = lastHeader;
                // Room for a point per line left, so that the arrays never move while they grow.
                if (room == 0) {
                    room = LineBreaks(text.substr(stop)) + 1;
                }
                reading.frequencies.reserve(room);
                reading.gains.reserve(room);
            }
            reading.frequencies.push_back(frequency);
            reading.gains.push_back(gain);
            Count(reading.linesWithCount, numeric);
        }
    }

    Reading& best =
        *std::max_element(readings.begin(), readings.end(), [](const Reading& a, const Reading& b) {
            return a.frequencies.size() < b.frequencies.size();
        });
    TMeasurementLayout layout;
    layout.DataLines = best.frequencies.size();
    layout.SkippedLines = dataLike - layout.DataLines;
    if (layout.DataLines == 0) {
        return layout;
    }
    layout.Delimiter = static_cast<char16_t>(best.delimiter);
    layout.ColumnCount = MostCommonCount(best.linesWithCount);
    if (best.titleLine) {
        layout.ColumnTitles = ColumnTitles(*best.titleLine, best.delimiter,
                                           static_cast<std::size_t>(layout.ColumnCount));
    }
    Series.DatenXYZ[0] = std::move(best.frequencies);
    Series.DatenXYZ[1] = std::move(best.gains);
    return layout;
}

std::vector<std::u16string> MeasurementLines(const std::filesystem::path& FileName,
                                             std::size_t Count) {
    const FileBytes bytes = ReadWholeFile(FileName);
    std::string converted;
    const std::string_view text =
        TextAsUtf8(std::string_view(bytes.data.get(), bytes.size), converted);
    std::vector<std::u16string> lines;
    for (std::size_t start = 0; start < text.size() && lines.size() < Count;) {
        const std::size_t stop = std::min(text.find_first_of("\r\n", start), text.size());
        lines.push_back(Utf8ToUtf16(text.substr(start, stop - start)));
        start = stop + (text.compare(stop, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}
