#include "audio_ASCII_Import.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <system_error>

#include "editor_errors.h"
#include "file_open.h"
#include "number_field.h"
#include "platform_win.h"
#include "text_utf.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxPathLength = 259;
constexpr std::size_t kBlockSize = 256 * 1024;
constexpr std::size_t kMinBlockSize = 4096;
constexpr char kEndOfText = '\x1A';

// The bytes whose character belongs to a delimiter set, so that lines are split before they are
// decoded. A byte that is no character on its own (the lead byte of a double-byte character) is
// never a member, and neither are codes above 255. The delimiters, CR and LF are ASCII, which no
// double-byte code page uses as a trail byte.
class ByteSet {
public:
    explicit ByteSet(const std::bitset<256>& characters) {
        for (unsigned b = 0; b < 256; ++b) {
            const std::optional<char16_t> c = AnsiCharacter(static_cast<unsigned char>(b));
            members_[b] = c && *c <= 255 && characters[*c];
        }
    }
    bool operator()(char c) const { return members_[static_cast<unsigned char>(c)]; }

private:
    std::array<bool, 256> members_{};
};

// The file's text in blocks up to the first byte 1Ah; the file is closed on every way out.
class TextFile {
public:
    // Only a file on a disk of at most 259 characters is opened, and a FIFO not even for a moment.
    // Others may read along; a writer keeps the import out meanwhile.
    explicit TextFile(const fs::path& path) {
        std::error_code ec;
        if (PathToUtf16(path).size() > kMaxPathLength || !fs::is_regular_file(path, ec)) {
            return;
        }
        try {
            file_.emplace(path, TReadSharing::Readers, TReadFailure::File);
        } catch (const FileError&) {
            return;
        }
        const std::optional<std::uint64_t> size = file_->Size();
        if (!size) {
            file_.reset();
            return;
        }
        // Small files get a small buffer: a 20-byte file never costs a quarter megabyte.
        blockSize_ = static_cast<std::size_t>(
            std::clamp<std::uint64_t>(*size + 1, kMinBlockSize, kBlockSize));
    }

    bool IsOpen() const { return file_.has_value(); }

    // The next bytes of text, empty once the end of the file or a byte 1Ah is reached. The view
    // stays valid until the next call.
    std::string_view NextBlock() {
        if (ended_) {
            return {};
        }
        if (buffer_.empty()) {
            buffer_.resize(blockSize_);
        }
        const std::size_t got = file_->Read(buffer_.data(), buffer_.size());
        std::string_view block(buffer_.data(), got);
        if (const std::size_t end = block.find(kEndOfText); end != std::string_view::npos) {
            block = block.substr(0, end);
            ended_ = true;
        }
        ended_ = ended_ || got == 0;
        return block;
    }

    void Rewind() {
        file_->Rewind();
        ended_ = false;
    }

private:
    std::optional<TReadFile> file_;
    std::size_t blockSize_ = kMinBlockSize;
    std::string buffer_;
    bool ended_ = false;
};

// Lines without their breaks and without any CR.
class LineReader {
public:
    explicit LineReader(TextFile& file) : file_(file) {}

    // False after the last line. The view stays valid until the next call.
    bool Next(std::string_view& line) {
        line_.clear();
        bool assembled = false; // the line began in an earlier block and is gathered in line_
        for (;;) {
            if (rest_.empty()) {
                rest_ = file_.NextBlock();
                if (rest_.empty()) {
                    // A break at the very end starts no further line, but an empty file is one
                    // empty line.
                    if (!assembled && started_) {
                        return false;
                    }
                    started_ = true;
                    line = line_;
                    DropCarriageReturns(line, true);
                    return true;
                }
            }
            const std::size_t length = rest_.find('\n');
            if (length == std::string_view::npos) {
                line_.append(rest_);
                rest_ = {};
                assembled = true;
                continue;
            }
            if (assembled) {
                line_.append(rest_.substr(0, length));
                line = line_;
            } else {
                line = rest_.substr(0, length);
            }
            rest_.remove_prefix(length + 1);
            started_ = true;
            DropCarriageReturns(line, assembled);
            return true;
        }
    }

private:
    void DropCarriageReturns(std::string_view& line, bool inLine) {
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.find('\r') == std::string_view::npos) {
            return;
        }
        if (inLine) {
            line_.resize(line.size());
        } else {
            line_.assign(line);
        }
        std::erase(line_, '\r');
        line = line_;
    }

    TextFile& file_;
    std::string_view rest_; // what is left of the current block
    std::string line_;
    bool started_ = false;
};

// Line breaks counted in runs of 255 bytes, whose count fits a byte: byte-wide counters let the
// compiler compare many bytes at once.
std::size_t CountBreaks(std::string_view block) {
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < block.size();) {
        const std::size_t end = std::min(block.size(), i + 255);
        unsigned char run = 0;
        for (; i < end; ++i) {
            run += block[i] == '\n' ? 1 : 0;
        }
        breaks += run;
    }
    return breaks;
}

std::size_t CountLines(TextFile& file) {
    std::size_t breaks = 0;
    char last = '\0';
    for (std::string_view block = file.NextBlock(); !block.empty(); block = file.NextBlock()) {
        breaks += CountBreaks(block);
        last = block.back();
    }
    return last == '\n' ? breaks : breaks + 1;
}

// NextToken's scan, on text or on the bytes of a line; `stops` tells the delimiters.
template <typename Char, typename Stops>
std::basic_string_view<Char> Field(std::basic_string_view<Char> line, std::size_t& position,
                                   const Stops& stops) {
    if (line.empty() || line.size() < position) {
        return {};
    }
    const std::size_t start = position == 0 ? 0 : position - 1;
    std::size_t stop = start;
    while (stop < line.size() && !stops(line[stop])) {
        ++stop;
    }
    // Past the delimiter, or two past the end when none stopped the scan (stop is then the size).
    position = stop + 2;
    return line.substr(start, stop - start);
}

} // namespace

char16_t DetectDelimiter(const std::filesystem::path& FileName) {
    TextFile file(FileName);
    if (!file.IsOpen()) {
        return u'-';
    }
    const std::size_t examined = CountLines(file) > 3 ? 3 : 2;
    try {
        file.Rewind();
        LineReader lines(file);
        std::string_view line;
        for (std::size_t i = 0; i < examined; ++i) {
            if (!lines.Next(line)) {
                return u'-';
            }
        }
        for (const char candidate : {'\t', ':', ';', ' '}) {
            if (line.find(candidate) != std::string_view::npos) {
                return static_cast<char16_t>(candidate);
            }
        }
    } catch (const EditorError&) {
    } catch (const std::bad_alloc&) {
    }
    return u'-';
}

bool ImportAsciiProfile(const std::filesystem::path& FileName, TDatentyp& Series,
                        char16_t Delimiter, std::u16string& Header) {
    Header.clear();
    TextFile file(FileName);
    if (!file.IsOpen()) {
        return false;
    }
    std::bitset<256> delimiter;
    if (Delimiter <= 255) {
        delimiter.set(Delimiter);
    }
    std::bitset<256> lineBreaks;
    lineBreaks.set('\r');
    lineBreaks.set('\n');
    const ByteSet firstEnds(delimiter);
    const ByteSet secondEnds(lineBreaks | delimiter);

    // Points gather apart from Series, which takes them only once the whole file has been read.
    std::vector<float> frequencies;
    std::vector<float> gains;
    std::string header;
    bool ok = true;
    try {
        LineReader lines(file);
        std::u16string text;
        const auto decode = [&text](std::string_view bytes) {
            AnsiToUtf16(bytes, text);
            return std::u16string_view(text);
        };
        for (std::string_view line; lines.Next(line);) {
            if (line.empty() || line[0] < '0' || line[0] > '9') {
                header.assign(line);
                continue;
            }
            std::size_t position = 1;
            // An empty gain field reads as no number, like any other text that is none.
            float frequency = 0;
            float gain = 0;
            if (!ReadNumberField(Field(line, position, firstEnds), 1, decode, frequency) ||
                !ReadNumberField(Field(line, position, secondEnds), 4, decode, gain)) {
                ok = false;
                break;
            }
            gains.push_back(gain);
            frequencies.push_back(frequency);
        }
    } catch (const EditorError&) {
        ok = false;
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    AnsiToUtf16(header, Header);
    if (ok && !frequencies.empty()) {
        Series.DatenXYZ[0] = std::move(frequencies);
        Series.DatenXYZ[1] = std::move(gains);
    }
    return ok;
}

std::u16string NextToken(std::u16string_view Line, std::size_t& Position,
                         const std::bitset<256>& Delimiters) {
    return std::u16string(
        Field(Line, Position, [&Delimiters](char16_t c) { return c <= 255 && Delimiters[c]; }));
}
