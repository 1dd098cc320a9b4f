#include "measurement_import.h"

#include <algorithm>
#include <array>
#include <bit>
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
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "editor_errors.h"
#include "number_field.h"
#include "text_utf.h"

namespace {

namespace fs = std::filesystem;

// Larger files are no measurement; reading them whole would only exhaust memory.
constexpr std::uint64_t kMaxFileSize = std::uint64_t{1} << 28;
constexpr std::size_t kFirstBufferSize = 64 * 1024;
// Blocks of a file read in turn: small enough to stay in the processor's cache.
constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::size_t kMinBlockSize = 4096;

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

    void Rewind() {
        if (!SetFilePointerEx(file_, LARGE_INTEGER{}, nullptr, FILE_BEGIN)) {
            RaiseReadError(path_, SystemErrorText(GetLastError()));
        }
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

    void Rewind() {
        if (::lseek(fd_, 0, SEEK_SET) != 0) {
            RaiseReadError(path_, std::strerror(errno));
        }
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

void RefuseLargerThanLimit(std::uint64_t size) {
    if (size > kMaxFileSize) {
        throw OutOfMemoryError("Out of memory");
    }
}

// The rest of an open file; a size known in advance is read in one go.
FileBytes ReadAll(OpenFile& file) {
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

FileBytes ReadWholeFile(const fs::path& path) {
    OpenFile file(path);
    return ReadAll(file);
}

// A file read block by block into one buffer, whose front keeps what the caller has not used of
// the last block: an incomplete line or character. The buffer grows only for a longer line.
class BlockReader {
public:
    BlockReader(OpenFile& file, std::uint64_t size)
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
    OpenFile& file_;
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
TMeasurementLayout ReadGraphicEq(std::string_view line, int32_t gainColumn,
                                 std::vector<float>& frequencies, std::vector<float>& gains) {
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
            frequencies.push_back(frequency);
            gains.push_back(gain);
        } else {
            ++layout.SkippedLines;
        }
    }
    layout.DataLines = frequencies.size();
    if (layout.DataLines > 0) {
        layout.Delimiter = u'G';
        layout.ColumnCount = 2;
    }
    return layout;
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

// Takes the lines of a file one by one, under every delimiter at once. Delimiters mostly agree on
// a point (a TAB is also a blank run), so their points are kept once, in `shared`, as long as they
// do: a delimiter gets arrays of its own only from the first line where it differs.
class LineParser {
public:
    // `room`: at least the lines to come, so that the arrays never move while they grow.
    LineParser(int32_t gainColumn, std::size_t room) : gainColumn_(gainColumn), room_(room) {}

    // False once a graphic-equaliser line has settled the import: the lines after it play no part.
    bool Take(std::string_view line) {
        if (IsGraphicEqLine(line)) {
            shared_ = {};
            equaliser_ = ReadGraphicEq(line, gainColumn_, shared_.frequencies, shared_.gains);
            return false;
        }
        if (!BeginsLikeData(line)) {
            lastHeader_.assign(line);
            hasHeader_ = true;
            return true;
        }
        ++dataLike_;
        reader_.NewLine();
        const Delimiters present = DelimitersIn(line);
        std::array<Point, 4> points;
        const Point* first = nullptr; // of the earliest delimiter that gives a point
        for (std::size_t k = 0; k < readings_.size(); ++k) {
            Reading& reading = readings_[k];
            Point& point = points[k];
            if (reading.delimiter == ' ' && present.OnlySingleTabs()) {
                point = points[0]; // the TAB's, from the same fields
            } else if (gainColumn_ != 0 && !present.Has(reading.delimiter)) {
                // Without its delimiter a line has one field: a point only when that is the gain.
                point.given = false;
                continue;
            } else {
                SplitFields(line, reading.delimiter, fields_);
                point.given = ReadPoint(fields_, gainColumn_, reader_, point.frequency, point.gain,
                                        point.numeric);
            }
            if (!point.given) {
                continue;
            }
            if (reading.points++ == 0 && hasHeader_) {
                reading.titleLine = lastHeader_;
            }
            Count(reading.linesWithCount, point.numeric);
            first = first ? first : &point;
        }
        if (!first) {
            return true;
        }
        bool sharing = false;
        for (std::size_t k = 0; k < readings_.size(); ++k) {
            Reading& reading = readings_[k];
            const Point& point = points[k];
            if (reading.sharing && !(point.given && SamePoint(point.frequency, point.gain,
                                                              first->frequency, first->gain))) {
                reading.sharing = false;
                Add(reading.own, shared_.frequencies, shared_.gains);
            }
            if (!reading.sharing && point.given) {
                Add(reading.own, point.frequency, point.gain);
            }
            sharing = sharing || reading.sharing;
        }
        if (sharing) {
            Add(shared_, first->frequency, first->gain);
        }
        return true;
    }

    TMeasurementLayout Finish(TDatentyp& series) {
        if (equaliser_) {
            if (equaliser_->DataLines > 0) {
                series.DatenXYZ[0] = std::move(shared_.frequencies);
                series.DatenXYZ[1] = std::move(shared_.gains);
            }
            return *equaliser_;
        }
        // Tie order: the earlier delimiter wins.
        Reading& best = *std::max_element(
            readings_.begin(), readings_.end(),
            [](const Reading& a, const Reading& b) { return a.points < b.points; });
        TMeasurementLayout layout;
        layout.DataLines = best.points;
        layout.SkippedLines = dataLike_ - layout.DataLines;
        if (layout.DataLines == 0) {
            return layout;
        }
        layout.Delimiter = static_cast<char16_t>(best.delimiter);
        layout.ColumnCount = MostCommonCount(best.linesWithCount);
        if (best.titleLine) {
            layout.ColumnTitles = ColumnTitles(*best.titleLine, best.delimiter,
                                               static_cast<std::size_t>(layout.ColumnCount));
        }
        Series& points = best.sharing ? shared_ : best.own;
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
        std::size_t numeric; // numeric fields of the line
    };

    struct Series {
        std::vector<float> frequencies;
        std::vector<float> gains;
    };

    // What one delimiter makes of the file.
    struct Reading {
        explicit Reading(char d) : delimiter(d) {}
        char delimiter;
        std::size_t points = 0;
        bool sharing = true; // its points are those in `shared_`, else those in `own`
        Series own;
        std::vector<std::size_t> linesWithCount; // [n]: data lines with n numeric fields
        std::optional<std::string> titleLine;
    };

    void Reserve(Series& to) {
        if (to.frequencies.capacity() == 0) {
            to.frequencies.reserve(room_);
            to.gains.reserve(room_);
            PreferLargePages(to.frequencies);
            PreferLargePages(to.gains);
        }
    }

    void Add(Series& to, float frequency, float gain) {
        Reserve(to);
        to.frequencies.push_back(frequency);
        to.gains.push_back(gain);
    }

    void Add(Series& to, const std::vector<float>& frequencies, const std::vector<float>& gains) {
        if (!frequencies.empty()) {
            Reserve(to);
            to.frequencies.assign(frequencies.begin(), frequencies.end());
            to.gains.assign(gains.begin(), gains.end());
        }
    }

    int32_t gainColumn_;
    std::size_t room_;
    // TAB first: the blank run takes its points over where they split alike.
    std::array<Reading, 4> readings_{Reading('\t'), Reading(';'), Reading(','), Reading(' ')};
    Series shared_;
    std::string lastHeader_;
    bool hasHeader_ = false;
    std::size_t dataLike_ = 0;
    FieldReader reader_;
    std::vector<std::string_view> fields_;
    std::optional<TMeasurementLayout> equaliser_;
};

// The lines of a text in memory.
void ParseText(std::string_view text, LineParser& parser) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t stop = start;
        while (stop < text.size() && text[stop] != '\n' && text[stop] != '\r') {
            ++stop;
        }
        if (!parser.Take(text.substr(start, stop - start))) {
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

// The lines of a file from its start again, block by block, in the encoding the survey found;
// a line is converted only where it is not ASCII. A CR, LF or CR LF ends a line, and a break
// ends no line of its own at the end.
void ParseFile(BlockReader& blocks, Encoding encoding, LineParser& parser) {
    blocks.Rewind();
    std::string converted;
    const auto take = [&](std::string_view line) {
        if (encoding == Encoding::Ansi && !IsAscii(line)) {
            converted = AnsiToUtf8(line);
            line = converted;
        }
        return parser.Take(line);
    };
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
                take(block.substr(start));
            }
            return;
        }
        // The kept bytes hold no break.
        for (std::size_t stop = std::max(start, keep); stop < block.size(); ++stop) {
            if (block[stop] != '\n' && block[stop] != '\r') {
                continue;
            }
            if (!take(block.substr(start, stop - start))) {
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
TMeasurementLayout Import(const fs::path& path, int32_t gainColumn, TDatentyp& series) {
    OpenFile file(path);
    if (const std::optional<std::uint64_t> size = file.Size()) {
        RefuseLargerThanLimit(*size);
        BlockReader blocks(file, *size);
        const Survey survey = SurveyFile(blocks);
        if (survey.encoding != Encoding::Utf16) {
            LineParser parser(gainColumn, survey.breaks + 1);
            ParseFile(blocks, survey.encoding, parser);
            return parser.Finish(series);
        }
        file.Rewind();
    }
    const FileBytes bytes = ReadAll(file);
    std::string converted;
    const std::string_view text =
        TextAsUtf8(std::string_view(bytes.data.get(), bytes.size), converted);
    LineParser parser(gainColumn, LineBreaks(text) + 1);
    ParseText(text, parser);
    return parser.Finish(series);
}

} // namespace

TMeasurementLayout ImportMeasurement(const std::filesystem::path& FileName, int32_t GainColumn,
                                     TDatentyp& Series) {
    return Import(FileName, GainColumn, Series);
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
