#include "general_utils.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "test_support.h"
#include "text_utf.h"

namespace {

namespace fs = std::filesystem;

std::string U8(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

struct TextCase {
    uint32_t ms;
    uint32_t ls;
    uint32_t flags;
    const char* text;
};

TEST(VersionTextTest, JoinsTheFourHalvesAndAddsFlagWordsInFixedOrder) {
    const TextCase cases[] = {
        {0x00010000, 0x00000000, 0x00, "1.0.0.0"},
        {0x0002000A, 0x00000159, 0x03, "2.10.0.345 debug beta"},
        {0x12345678, 0x9ABCDEF0, 0x00, "4660.22136.39612.57072"},
        {0xFFFFFFFF, 0xFFFFFFFF, 0x00, "65535.65535.65535.65535"},
        {0x00000000, 0x00000000, 0x00, "0.0.0.0"},
        {0x000A0064, 0x03E82710, 0x00, "10.100.1000.10000"},
        {0x00010000, 0x00000000, 0x3F, "1.0.0.0 debug beta private special"},
        {0x00010000, 0x00000000, 0x04, "1.0.0.0"},
        {0x00010000, 0x00000000, 0x10, "1.0.0.0"},
        {0x00010000, 0x00000000, 0xFFFFFFC4, "1.0.0.0"},
        {0x00010000, 0x00000000, 0x0A, "1.0.0.0 beta private"},
        {0x00010000, 0x00000000, 0x28, "1.0.0.0 private special"},
        {0x00010000, 0x00000000, 0x21, "1.0.0.0 debug special"},
        {0x00010000, 0x00000000, 0xFFFFFFFF, "1.0.0.0 debug beta private special"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(U8(VersionText(c.ms, c.ls, c.flags)), c.text)
            << std::hex << c.ms << " " << c.ls << " " << c.flags;
    }
}

class FileVersionTextTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = MakeTemporaryFolder("version-test"); }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path Write(const Bytes& bytes) {
        const fs::path path = folder_ / "file";
        WriteFileBytes(path, bytes);
        return path;
    }

    std::string TextOf(const Bytes& bytes) { return U8(FileVersionText(Write(bytes))); }

    fs::path folder_;
};

TEST_F(FileVersionTextTest, NoVersionInfoWithoutARecord) {
    const fs::path text = Write(Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    std::vector<fs::path> paths = {"", folder_ / "missing", folder_, text};
#ifndef _WIN32
    paths.push_back(VERSION_FIXTURE_NONE); // an executable built without a record
#endif
    for (const fs::path& path : paths) {
        EXPECT_EQ(U8(FileVersionText(path)), "NoVersionInfo") << path;
    }
}

// ELF version records, as the Linux build writes them into its fixtures. The Windows side, the
// VERSIONINFO resource, is tested in tests/windows.
#ifndef _WIN32
TEST_F(FileVersionTextTest, ReadsTheRecordTheBuildWrote) {
    const struct {
        const char* file;
        const char* text;
    } cases[] = {
        {VERSION_FIXTURE_DEBUG_BETA, "2.10.0.345 debug beta"},
        {VERSION_FIXTURE_MAX, "65535.65535.65535.65535 debug beta private special"},
        {VERSION_FIXTURE_UNMASKED, "3.1.0.0 beta private"},
        // The project's version, through --gc-sections, LTO and stripping.
        {VERSION_FIXTURE_DEFAULT, PROJECT_VERSION_TEXT},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(U8(FileVersionText(c.file)), c.text) << c.file;
    }
}

TEST_F(FileVersionTextTest, TruncatedExecutableHasNoVersionInfo) {
    const Bytes whole = ReadFileBytes(VERSION_FIXTURE_DEFAULT);
    ASSERT_GT(whole.size(), 1024u);
    // Every short length, then a spread over the file, then every length near the end where the
    // section headers are.
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n < 256; ++n) {
        lengths.push_back(n);
    }
    for (std::size_t n = 256; n + 512 < whole.size(); n += 61) {
        lengths.push_back(n);
    }
    for (std::size_t n = whole.size() - 512; n < whole.size(); ++n) {
        lengths.push_back(n);
    }
    for (std::size_t n : lengths) {
        EXPECT_EQ(TextOf(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n))),
                  "NoVersionInfo")
            << n << " of " << whole.size() << " bytes";
    }
}

// A minimal ELF file: header, section names, the record, then the section headers of the null
// section, ".shstrtab" and ".spe_version".
struct ElfLayout {
    bool is64;
    bool bigEndian;
};

enum class Field {
    Magic,
    Class,
    ByteOrder,
    HeadersOffset,
    HeaderSize,
    HeaderCount,
    NamesIndex,
    NamesType,
    NamesOffset,
    NamesSize,
    RecordName,
    RecordType,
    RecordOffset,
    RecordSize,
    Signature,
};

class ElfImage {
public:
    explicit ElfImage(ElfLayout layout) : layout_(layout) {
        const std::size_t headerSize = layout.is64 ? 64 : 52;
        const std::string names("\0.shstrtab\0.spe_version\0", 24);
        namesOffset_ = headerSize;
        recordOffset_ = namesOffset_ + names.size();
        headersOffset_ = recordOffset_ + 52;
        bytes_.assign(headersOffset_ + 3 * EntrySize(), 0);

        const unsigned char ident[] = {0x7F,
                                       'E',
                                       'L',
                                       'F',
                                       static_cast<unsigned char>(layout.is64 ? 2 : 1),
                                       static_cast<unsigned char>(layout.bigEndian ? 2 : 1),
                                       1};
        std::copy(std::begin(ident), std::end(ident), bytes_.begin());
        Set(Field::HeadersOffset, headersOffset_);
        Set(Field::HeaderSize, EntrySize());
        Set(Field::HeaderCount, 3);
        Set(Field::NamesIndex, 1);
        std::copy(names.begin(), names.end(),
                  bytes_.begin() + static_cast<std::ptrdiff_t>(namesOffset_));
        Set(Field::NamesType, 3);
        Set(Field::NamesOffset, namesOffset_);
        Set(Field::NamesSize, names.size());
        Set(Field::RecordName, 11);
        Set(Field::RecordType, 1);
        Set(Field::RecordOffset, recordOffset_);
        Set(Field::RecordSize, 52);

        // The record is little-endian whatever the file's byte order.
        const uint32_t words[13] = {0xFEEF04BD, 0x00010000, 0x0002000A, 0x00000159, 0x00090008,
                                    0x00070006, 0x0000003F, 0x00000003, 0,          1,
                                    0,          0,          0};
        for (std::size_t i = 0; i < 13; ++i) {
            Put(recordOffset_ + 4 * i, words[i], 4, false);
        }
    }

    void Set(Field field, uint64_t value) {
        const bool is64 = layout_.is64;
        const std::size_t names = headersOffset_ + EntrySize();
        const std::size_t record = headersOffset_ + 2 * EntrySize();
        const std::size_t counts = is64 ? 0x3A : 0x2E;
        const std::size_t offset = is64 ? 0x18 : 0x10;
        const std::size_t size = is64 ? 0x20 : 0x14;
        const std::size_t wide = is64 ? 8 : 4;
        switch (field) {
        case Field::Magic:
            return Put(0, value, 1, false);
        case Field::Class:
            return Put(4, value, 1, false);
        case Field::ByteOrder:
            return Put(5, value, 1, false);
        case Field::HeadersOffset:
            return Put(is64 ? 0x28 : 0x20, value, wide);
        case Field::HeaderSize:
            return Put(counts, value, 2);
        case Field::HeaderCount:
            return Put(counts + 2, value, 2);
        case Field::NamesIndex:
            return Put(counts + 4, value, 2);
        case Field::NamesType:
            return Put(names + 4, value, 4);
        case Field::NamesOffset:
            return Put(names + offset, value, wide);
        case Field::NamesSize:
            return Put(names + size, value, wide);
        case Field::RecordName:
            return Put(record, value, 4);
        case Field::RecordType:
            return Put(record + 4, value, 4);
        case Field::RecordOffset:
            return Put(record + offset, value, wide);
        case Field::RecordSize:
            return Put(record + size, value, wide);
        case Field::Signature:
            return Put(recordOffset_, value, 4, false);
        }
    }

    const Bytes& bytes() const { return bytes_; }
    uint64_t EntrySize() const { return layout_.is64 ? 64 : 40; }

private:
    void Put(std::size_t at, uint64_t value, std::size_t width) {
        Put(at, value, width, layout_.bigEndian);
    }
    void Put(std::size_t at, uint64_t value, std::size_t width, bool bigEndian) {
        for (std::size_t i = 0; i < width; ++i) {
            bytes_[at + (bigEndian ? width - 1 - i : i)] =
                static_cast<unsigned char>(value >> (8 * i));
        }
    }

    ElfLayout layout_;
    Bytes bytes_;
    std::size_t namesOffset_ = 0;
    std::size_t recordOffset_ = 0;
    std::size_t headersOffset_ = 0;
};

constexpr ElfLayout kLayouts[] = {{true, false}, {true, true}, {false, false}, {false, true}};

TEST_F(FileVersionTextTest, ReadsEveryElfClassAndByteOrder) {
    for (const ElfLayout& layout : kLayouts) {
        EXPECT_EQ(TextOf(ElfImage(layout).bytes()), "2.10.0.345 debug beta")
            << layout.is64 << layout.bigEndian;
    }
}

TEST_F(FileVersionTextTest, CorruptedElfGivesNoVersionInfo) {
    constexpr uint64_t kAllOnes = ~uint64_t{0};
    const struct {
        Field field;
        uint64_t value;
        const char* what;
    } cases[] = {
        {Field::Magic, 0x7E, "not ELF"},
        {Field::Class, 0, "no class"},
        {Field::Class, 3, "unknown class"},
        {Field::ByteOrder, 0, "no byte order"},
        {Field::ByteOrder, 3, "unknown byte order"},
        {Field::HeadersOffset, kAllOnes, "header table offset wraps around"},
        {Field::HeadersOffset, 0x7FFFFFFF, "header table past the end"},
        {Field::HeadersOffset, 0, "header table overlaps the file header"},
        {Field::HeaderCount, 0xFFFF, "more headers than the file holds"},
        {Field::HeaderCount, 0, "no headers"},
        {Field::HeaderSize, 0, "headers of no size"},
        {Field::HeaderSize, 20, "headers shorter than their fields"},
        {Field::NamesIndex, 0, "no name table"},
        {Field::NamesIndex, 3, "name table index one past the last"},
        {Field::NamesIndex, 0xFFFF, "name table index far out"},
        {Field::NamesType, 8, "name table without file bytes"},
        {Field::NamesOffset, kAllOnes, "name table offset wraps around"},
        {Field::NamesOffset, 0x7FFFFFFF, "name table past the end"},
        {Field::NamesSize, kAllOnes, "name table size wraps around"},
        {Field::NamesSize, 0x10000, "name table larger than the file"},
        {Field::NamesSize, 23, "name cut by the table's end"},
        {Field::NamesSize, 0, "empty name table"},
        {Field::RecordName, kAllOnes, "name index far out"},
        {Field::RecordName, 24, "name index one past the table"},
        {Field::RecordName, 12, "name without its dot"},
        {Field::RecordName, 1, "another section's name"},
        {Field::RecordType, 8, "record section without file bytes"},
        {Field::RecordOffset, kAllOnes, "record offset wraps around"},
        {Field::RecordOffset, 0x7FFFFFFF, "record past the end"},
        {Field::RecordSize, 51, "record one byte short"},
        {Field::RecordSize, kAllOnes, "record size wraps around"},
        {Field::RecordSize, 0, "empty record section"},
        {Field::Signature, 0xFEEF04BE, "wrong signature"},
        {Field::Signature, 0xBD04EFFE, "signature in the wrong byte order"},
    };
    for (const ElfLayout& layout : kLayouts) {
        for (const auto& c : cases) {
            ElfImage image(layout);
            image.Set(c.field, c.value);
            EXPECT_EQ(TextOf(image.bytes()), "NoVersionInfo")
                << c.what << " (ELF" << (layout.is64 ? 64 : 32)
                << (layout.bigEndian ? " big" : " little") << "-endian)";
        }
    }
}
#endif

} // namespace
