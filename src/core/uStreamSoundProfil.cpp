#include "uStreamSoundProfil.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string_view>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "editor_errors.h"

TSoundProfil CurrentSoundProfil;

void EmptySoundProfil(TSoundProfil& Profile) {
    Profile.stName.clear();
    Profile.xyData.clear();
}

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBufferSize = 256 * 1024;
constexpr std::size_t kMinBufferSize = 4096;
// A stream of unknown length (not a regular file) is read whole first; this bounds it.
constexpr std::uint64_t kMaxStreamSize = std::uint64_t{1} << 30;

std::string SystemErrorText(int code) {
    std::string text = std::strerror(code);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

std::string FullPath(const fs::path& path) {
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    if (ec) {
        full = path;
    }
    return full.lexically_normal().string();
}

[[noreturn]] void RaiseOpenError(const fs::path& path, int code) {
    throw FileError("Cannot open file \"" + FullPath(path) + "\". " + SystemErrorText(code));
}

[[noreturn]] void RaiseCreateError(const fs::path& path, int code) {
    throw FileError("Cannot create file \"" + FullPath(path) + "\". " + SystemErrorText(code));
}

[[noreturn]] void RaiseReadError(int code = 0) {
    throw FileError(code == 0 ? std::string("Stream read error")
                              : "Stream read error: " + SystemErrorText(code));
}

[[noreturn]] void RaiseWriteError(int code = 0) {
    throw FileError(code == 0 ? std::string("Stream write error")
                              : "Stream write error: " + SystemErrorText(code));
}

template <typename T> void FromLittleEndian(T* values, std::size_t count) {
    if constexpr (std::endian::native == std::endian::big) {
        auto* bytes = reinterpret_cast<unsigned char*>(values);
        for (std::size_t i = 0; i < count; ++i) {
            std::reverse(bytes + i * sizeof(T), bytes + (i + 1) * sizeof(T));
        }
    }
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { Reset(-1); }
    int get() const { return fd_; }
    void Reset(int fd) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

private:
    int fd_;
};

// Reads the file through a buffer and knows how many bytes are left, so that no count taken from
// the file can make the reader reserve more than the file could fill.
class ByteSource {
public:
    explicit ByteSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}

    // Bytes still to come, from the size the file had when it was opened.
    std::uint64_t Remaining() const {
        const std::uint64_t offset = bufferOffset_ + begin_;
        return size_ > offset ? size_ - offset : 0;
    }

    void Read(void* destination, std::size_t count) {
        if (count == 0) {
            return; // an empty row has no storage to copy into
        }
        if (count <= end_ - begin_) [[likely]] {
            std::memcpy(destination, buffer_.data() + begin_, count);
            begin_ += count;
            return;
        }
        auto* out = static_cast<unsigned char*>(destination);
        while (count > 0) {
            if (begin_ == end_) {
                Refill();
            }
            const std::size_t n = std::min(count, end_ - begin_);
            std::memcpy(out, buffer_.data() + begin_, n);
            begin_ += n;
            out += n;
            count -= n;
        }
    }

    int32_t ReadInt32() {
        int32_t value;
        Read(&value, sizeof value);
        FromLittleEndian(&value, 1);
        return value;
    }

    // Holds a stream of unknown length in memory; its size is known afterwards.
    void Preload(std::string data) {
        buffer_ = std::move(data);
        begin_ = 0;
        end_ = buffer_.size();
        size_ = buffer_.size();
        exhausted_ = true;
    }

private:
    void Refill() {
        if (exhausted_) {
            RaiseReadError();
        }
        if (buffer_.empty()) {
            // Small files get a small buffer: a 20-byte file never costs a quarter megabyte.
            buffer_.resize(static_cast<std::size_t>(
                std::clamp<std::uint64_t>(size_, kMinBufferSize, kBufferSize)));
        }
        ssize_t got;
        do {
            got = ::read(fd_, buffer_.data(), buffer_.size());
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            RaiseReadError(errno);
        }
        if (got == 0) {
            RaiseReadError();
        }
        bufferOffset_ += end_;
        begin_ = 0;
        end_ = static_cast<std::size_t>(got);
    }

    int fd_;
    std::uint64_t size_;
    std::uint64_t bufferOffset_ = 0; // file offset of buffer_[0]
    std::string buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool exhausted_ = false;
};

std::string ReadWholeStream(int fd) {
    std::string data;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            RaiseReadError(errno);
        }
        if (got == 0) {
            return data;
        }
        if (data.size() + static_cast<std::size_t>(got) > kMaxStreamSize) {
            throw OutOfMemoryError("Out of memory");
        }
        data.append(chunk, static_cast<std::size_t>(got));
    }
}

// A count of items of `itemSize` bytes each that the rest of the file cannot hold is a read
// error before anything is reserved for it.
void RequireRoom(const ByteSource& source, int32_t count, std::uint64_t itemSize) {
    if (static_cast<std::uint64_t>(count) * itemSize > source.Remaining()) {
        RaiseReadError();
    }
}

template <typename Container> void SizeTo(Container& container, std::size_t count) {
    try {
        container.resize(count);
    } catch (const std::bad_alloc&) {
        throw OutOfMemoryError("Out of memory");
    } catch (const std::length_error&) {
        throw OutOfMemoryError("Out of memory");
    }
}

void ReadProfile(ByteSource& source, TSoundProfil& Profile) {
    if (source.ReadInt32() != SoundProfilVersion) {
        throw FormatError("Falsches Dateiformat");
    }

    const int32_t nameLength = source.ReadInt32();
    if (nameLength > 0) {
        RequireRoom(source, nameLength, 2);
        SizeTo(Profile.stName, static_cast<std::size_t>(nameLength));
        source.Read(Profile.stName.data(), 2 * static_cast<std::size_t>(nameLength));
        FromLittleEndian(Profile.stName.data(), Profile.stName.size());
    }

    const int32_t rowCount = source.ReadInt32();
    if (rowCount < 0) {
        throw RangeError("Range check error");
    }
    RequireRoom(source, rowCount, 4);
    SizeTo(Profile.xyData, static_cast<std::size_t>(rowCount));

    for (auto& row : Profile.xyData) {
        const int32_t valueCount = source.ReadInt32();
        if (valueCount < 0) {
            throw RangeError("Range check error");
        }
        RequireRoom(source, valueCount, 4);
        SizeTo(row, static_cast<std::size_t>(valueCount));
        source.Read(row.data(), 4 * row.size());
        FromLittleEndian(row.data(), row.size());
    }
}

// Collects the file's bytes and writes them in large blocks.
class ByteSink {
public:
    explicit ByteSink(int fd)
        : fd_(fd), buffer_(std::make_unique_for_overwrite<unsigned char[]>(kBufferSize)) {}

    void Write(const void* data, std::size_t count) {
        if (count == 0) {
            return; // an empty name or row has no storage to copy from
        }
        if (count <= kBufferSize - used_) [[likely]] {
            std::memcpy(buffer_.get() + used_, data, count);
            used_ += count;
            return;
        }
        const auto* in = static_cast<const unsigned char*>(data);
        while (count > 0) {
            if (used_ == kBufferSize) {
                Flush();
            }
            const std::size_t n = std::min(count, kBufferSize - used_);
            std::memcpy(buffer_.get() + used_, in, n);
            used_ += n;
            in += n;
            count -= n;
        }
    }

    template <typename T> void WriteLittleEndian(const T* values, std::size_t count) {
        if constexpr (std::endian::native == std::endian::little) {
            Write(values, count * sizeof(T));
        } else {
            for (std::size_t i = 0; i < count; ++i) {
                T value = values[i];
                FromLittleEndian(&value, 1);
                Write(&value, sizeof value);
            }
        }
    }

    void WriteInt32(int32_t value) { WriteLittleEndian(&value, 1); }

    void Flush() {
        std::size_t done = 0;
        while (done < used_) {
            const ssize_t put = ::write(fd_, buffer_.get() + done, used_ - done);
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put < 0) {
                RaiseWriteError(errno);
            }
            if (put == 0) {
                RaiseWriteError();
            }
            done += static_cast<std::size_t>(put);
        }
        used_ = 0;
    }

private:
    int fd_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t used_ = 0;
};

int32_t CountOf(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
        RaiseWriteError(EOVERFLOW);
    }
    return static_cast<int32_t>(size);
}

void WriteProfile(ByteSink& sink, const TSoundProfil& Profile) {
    sink.WriteInt32(Profile.iVers);
    sink.WriteInt32(CountOf(Profile.stName.size()));
    sink.WriteLittleEndian(Profile.stName.data(), Profile.stName.size());
    sink.WriteInt32(CountOf(Profile.xyData.size()));
    for (const auto& row : Profile.xyData) {
        sink.WriteInt32(CountOf(row.size()));
        sink.WriteLittleEndian(row.data(), row.size());
    }
    sink.Flush();
}

// The temporary file a save writes; removed again unless it replaced the target.
class TemporaryFile {
public:
    explicit TemporaryFile(const fs::path& target) {
        static std::atomic<unsigned> counter{0};
        const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
        // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on "." + string.
        std::string stem(1, '.');
        stem += target.filename().string();
        stem += '.';
        for (int attempt = 0;; ++attempt) {
            const auto tick = static_cast<unsigned long long>(
                std::chrono::steady_clock::now().time_since_epoch().count());
            path_ = folder / (stem + std::to_string(::getpid()) + "-" +
                              std::to_string((tick + counter++) % 1000000007ULL) + ".tmp");
            const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0) {
                fd_ = fd;
                return;
            }
            if (errno != EEXIST || attempt == 100) {
                error_ = errno;
                path_.clear();
                return;
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }

    int fd() const { return fd_; }
    int error() const { return error_; }
    const fs::path& path() const { return path_; }

    int Close() {
        const int code = ::close(fd_) == 0 ? 0 : errno;
        fd_ = -1;
        return code;
    }
    void Release() { path_.clear(); }

private:
    fs::path path_;
    int fd_ = -1;
    int error_ = 0;
};

// The file a save really replaces: a symbolic link stays a link and its target is written.
fs::path ResolveTarget(const fs::path& FileName) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(FileName, ec))) {
        fs::path resolved = fs::weakly_canonical(FileName, ec);
        if (!ec) {
            return resolved;
        }
    }
    return FileName;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void SyncFolder(const fs::path& target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) {
        ::fsync(dir.get());
    }
}

} // namespace

void LoadSoundProfil(const std::filesystem::path& FileName, TSoundProfil& Profile) {
    EmptySoundProfil(Profile);

    Descriptor file(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        RaiseOpenError(FileName, errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        RaiseOpenError(FileName, errno);
    }
    if (S_ISDIR(info.st_mode)) {
        RaiseOpenError(FileName, EISDIR);
    }
    // Other openers are shut out while the editor reads, as the share modes do on Windows.
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
        RaiseOpenError(FileName, errno);
    }

    const bool regular = S_ISREG(info.st_mode);
    ByteSource source(file.get(), regular ? static_cast<std::uint64_t>(info.st_size) : 0);
    if (!regular) {
        source.Preload(ReadWholeStream(file.get()));
    }
    ReadProfile(source, Profile);
}

void SaveSoundProfil(const std::filesystem::path& FileName, const TSoundProfil& Profile) {
    const fs::path target = ResolveTarget(FileName);

    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    Descriptor lock;
    if (replacing) {
        if (S_ISDIR(existing.st_mode)) {
            RaiseCreateError(FileName, EISDIR);
        }
        if (::access(target.c_str(), W_OK) != 0) {
            RaiseCreateError(FileName, errno);
        }
        // Another program that holds the file locked keeps it, as the share modes do on Windows.
        lock.Reset(::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (lock.get() >= 0 && ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
            RaiseCreateError(FileName, errno);
        }
    }

    TemporaryFile temporary(target);
    if (temporary.fd() < 0) {
        RaiseCreateError(FileName, temporary.error());
    }
    // The new file gets the permissions of the one it replaces, or those a new file would get.
    if (::fchmod(temporary.fd(), replacing ? existing.st_mode & 07777 : NewFileMode()) != 0) {
        RaiseWriteError(errno);
    }
    if (replacing && ::fchown(temporary.fd(), existing.st_uid, existing.st_gid) != 0) {
        // Only a privileged user can hand the file to another owner; the save goes on without.
    }

    ByteSink sink(temporary.fd());
    WriteProfile(sink, Profile);
    if (::fsync(temporary.fd()) != 0) {
        RaiseWriteError(errno);
    }
    if (const int code = temporary.Close(); code != 0) {
        RaiseWriteError(code);
    }
    if (::rename(temporary.path().c_str(), target.c_str()) != 0) {
        RaiseCreateError(FileName, errno);
    }
    temporary.Release();
    SyncFolder(target);
}
