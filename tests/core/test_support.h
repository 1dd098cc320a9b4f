#pragma once
// Helpers that the core tests share, alike on POSIX systems and on Windows.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

// A new, empty folder named "<prefix>-<random number>" in `base`; the caller removes it. The
// system's temporary folder by default: /tmp or $TMPDIR, on Windows %TEMP%.
inline std::filesystem::path
MakeTemporaryFolder(std::string_view prefix,
                    const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
    std::random_device entropy;
    for (;;) {
        std::filesystem::path folder =
            base / (std::string(prefix) + "-" + std::to_string(entropy()));
        // False when the name is taken; other failures throw and fail the test.
        if (std::filesystem::create_directory(folder)) {
            return folder;
        }
    }
}

// The bytes of profile files, built field by field: little-endian int32 and float32.
using Bytes = std::vector<unsigned char>;

inline Bytes Int32(int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    return {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
            static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
}

inline Bytes Float(float f) {
    return Int32(std::bit_cast<int32_t>(f));
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The whole content of a file, written or read as it is: `Bytes` or a std::string of bytes.
template <class ByteContainer>
void WriteFileBytes(const std::filesystem::path& path, const ByteContainer& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

template <class ByteContainer = Bytes>
ByteContainer ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return ByteContainer(std::istreambuf_iterator<char>(in), {});
}

// The names of what a folder holds, in UTF-8 and sorted.
inline std::vector<std::string> SortedEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::u8string name = entry.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

#ifndef _WIN32
#include <csignal>

#include <sys/resource.h>

// While it lives, a file may grow to `Bytes` only, and the system refuses a write beyond that
// (EFBIG) instead of ending the program: how the tests make a write fail half way. POSIX only.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t Bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        if (::getrlimit(RLIMIT_FSIZE, &saved_) == 0) {
            rlimit small = saved_;
            small.rlim_cur = Bytes;
            set_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
        }
    }
    ~FileSizeLimit() {
        if (set_) {
            ::setrlimit(RLIMIT_FSIZE, &saved_);
        }
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // Whether the limit holds.
    bool Set() const { return set_; }

private:
    rlimit saved_{};
    bool set_ = false;
    void (*handler_)(int);
};
#endif
