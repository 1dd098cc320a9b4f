#include "general_utils.h"

#include <charconv>
#include <iterator>
#include <string_view>

#ifdef _WIN32
#include <vector>
#include <windows.h>
#else
#include <array>
#include <cstring>
#include <fstream>
#include <optional>
#include <system_error>
#endif

namespace {

constexpr std::u16string_view kNoVersionInfo = u"NoVersionInfo";

void AppendNumber(std::u16string& text, uint32_t number) {
    char digits[10];
    char* end = std::to_chars(std::begin(digits), std::end(digits), number).ptr;
    text.append(digits, end);
}

#ifndef _WIN32

// Must match the section that cmake/VersionRecord.cmake writes.
constexpr char kRecordSection[] = ".spe_version";
constexpr uint32_t kRecordSignature = 0xFEEF04BD;
constexpr std::size_t kRecordSize = 13 * 4;
constexpr unsigned char kElfMagic[] = {0x7F, 'E', 'L', 'F'};
constexpr uint32_t kNoBits = 8; // SHT_NOBITS: a section with no bytes in the file

// The file is untrusted: every read is checked against its size first, without overflow.
class BoundedFile {
public:
    explicit BoundedFile(const std::filesystem::path& path) : in_(path, std::ios::binary) {
        if (in_.seekg(0, std::ios::end)) {
            const std::streamoff end = in_.tellg();
            size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
        }
    }

    bool Holds(uint64_t offset, uint64_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }

    bool Read(uint64_t offset, void* to, std::size_t count) {
        if (!Holds(offset, count)) {
            return false;
        }
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(static_cast<char*>(to), static_cast<std::streamsize>(count));
        return in_ && in_.gcount() == static_cast<std::streamsize>(count);
    }

private:
    std::ifstream in_;
    uint64_t size_ = 0;
};

uint64_t Unsigned(const unsigned char* bytes, std::size_t count, bool bigEndian) {
    uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = (value << 8) | bytes[bigEndian ? i : count - 1 - i];
    }
    return value;
}

struct SectionHeader {
    uint64_t name; // offset into the section-name string table
    uint64_t type;
    uint64_t offset;
    uint64_t size;
};

// The section header table of an ELF32 or ELF64 file of either byte order.
class SectionTable {
public:
    // False when the file is no ELF file or its section header table lies outside the file.
    bool Open(BoundedFile& file) {
        unsigned char header[64];
        if (!file.Read(0, header, 16) || std::memcmp(header, kElfMagic, sizeof kElfMagic) != 0) {
            return false;
        }
        const unsigned char elfClass = header[4];
        const unsigned char byteOrder = header[5];
        if ((elfClass != 1 && elfClass != 2) || (byteOrder != 1 && byteOrder != 2)) {
            return false;
        }
        is64_ = elfClass == 2;
        bigEndian_ = byteOrder == 2;
        if (!file.Read(0, header, is64_ ? 64 : 52)) {
            return false;
        }
        offset_ = is64_ ? Field(header + 0x28, 8) : Field(header + 0x20, 4);
        const unsigned char* counts = header + (is64_ ? 0x3A : 0x2E);
        entrySize_ = Field(counts, 2);
        count_ = Field(counts + 2, 2);
        namesIndex_ = Field(counts + 4, 2);
        file_ = &file;
        // Entry size and count are 16-bit fields, so their product cannot overflow.
        return entrySize_ >= StandardEntrySize() && file.Holds(offset_, count_ * entrySize_);
    }

    uint64_t Count() const { return count_; }
    uint64_t NamesIndex() const { return namesIndex_; }

    std::optional<SectionHeader> Section(uint64_t index) const {
        unsigned char bytes[64];
        if (index >= count_ || !file_->Read(offset_ + index * entrySize_, bytes,
                                            static_cast<std::size_t>(StandardEntrySize()))) {
            return std::nullopt;
        }
        SectionHeader section;
        section.name = Field(bytes, 4);
        section.type = Field(bytes + 4, 4);
        section.offset = is64_ ? Field(bytes + 0x18, 8) : Field(bytes + 0x10, 4);
        section.size = is64_ ? Field(bytes + 0x20, 8) : Field(bytes + 0x14, 4);
        return section;
    }

private:
    uint64_t StandardEntrySize() const { return is64_ ? 64 : 40; }
    uint64_t Field(const unsigned char* bytes, std::size_t count) const {
        return Unsigned(bytes, count, bigEndian_);
    }

    BoundedFile* file_ = nullptr;
    bool is64_ = false;
    bool bigEndian_ = false;
    uint64_t offset_ = 0;
    uint64_t entrySize_ = 0;
    uint64_t count_ = 0;
    uint64_t namesIndex_ = 0;
};

bool HasBytes(const SectionHeader& section, const BoundedFile& file) {
    return section.type != kNoBits && file.Holds(section.offset, section.size);
}

// FileVersionMS, FileVersionLS and FileFlags of the record, or nothing.
std::optional<std::array<uint32_t, 3>> RecordWords(const std::filesystem::path& path) {
    std::error_code error;
    // Opening a pipe or a device could block or never end.
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    BoundedFile file(path);
    SectionTable sections;
    if (!sections.Open(file)) {
        return std::nullopt;
    }
    const std::optional<SectionHeader> names = sections.Section(sections.NamesIndex());
    if (!names || !HasBytes(*names, file)) {
        return std::nullopt;
    }
    for (uint64_t index = 0; index < sections.Count(); ++index) {
        const std::optional<SectionHeader> section = sections.Section(index);
        if (!section) {
            return std::nullopt;
        }
        // The name with its terminating zero must lie inside the string table.
        if (section->name >= names->size || names->size - section->name < sizeof kRecordSection) {
            continue;
        }
        char name[sizeof kRecordSection];
        if (!file.Read(names->offset + section->name, name, sizeof name)) {
            return std::nullopt;
        }
        if (std::memcmp(name, kRecordSection, sizeof name) != 0) {
            continue;
        }
        unsigned char record[kRecordSize];
        if (!HasBytes(*section, file) || section->size < kRecordSize ||
            !file.Read(section->offset, record, kRecordSize)) {
            return std::nullopt;
        }
        auto word = [&record](std::size_t i) {
            return static_cast<uint32_t>(Unsigned(record + 4 * i, 4, false));
        };
        if (word(0) != kRecordSignature) {
            return std::nullopt;
        }
        return std::array<uint32_t, 3>{word(2), word(3), word(7)};
    }
    return std::nullopt;
}

#endif

} // namespace

std::u16string VersionText(uint32_t FileVersionMS, uint32_t FileVersionLS, uint32_t FileFlags) {
    std::u16string text;
    AppendNumber(text, FileVersionMS >> 16);
    text += u'.';
    AppendNumber(text, FileVersionMS & 0xFFFF);
    text += u'.';
    AppendNumber(text, FileVersionLS >> 16);
    text += u'.';
    AppendNumber(text, FileVersionLS & 0xFFFF);
    constexpr struct {
        uint32_t bit;
        std::u16string_view word;
    } kFlagWords[] = {
        {0x01, u" debug"}, {0x02, u" beta"}, {0x08, u" private"}, {0x20, u" special"}};
    for (const auto& flag : kFlagWords) {
        if (FileFlags & flag.bit) {
            text += flag.word;
        }
    }
    return text;
}

#ifdef _WIN32

std::u16string FileVersionText(const std::filesystem::path& FileName) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(FileName.c_str(), &handle);
    if (size == 0) {
        return std::u16string(kNoVersionInfo);
    }
    std::vector<unsigned char> buffer(size);
    if (!GetFileVersionInfoW(FileName.c_str(), handle, size, buffer.data())) {
        return std::u16string(kNoVersionInfo);
    }
    void* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(buffer.data(), L"\\", &fixed, &length) || fixed == nullptr) {
        return std::u16string(kNoVersionInfo);
    }
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    return VersionText(info->dwFileVersionMS, info->dwFileVersionLS, info->dwFileFlags);
}

#else

std::u16string FileVersionText(const std::filesystem::path& FileName) {
    const auto words = RecordWords(FileName);
    return words ? VersionText((*words)[0], (*words)[1], (*words)[2])
                 : std::u16string(kNoVersionInfo);
}

#endif
