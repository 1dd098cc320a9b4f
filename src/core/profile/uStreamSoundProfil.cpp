#include "uStreamSoundProfil.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "editor_errors.h"
#include "file_calls.h"
#include "file_open.h"
#include "platform_win.h"
#include "text_utf.h"

TSoundProfil CurrentSoundProfil;

void EmptySoundProfil(TSoundProfil& Profile) {
    Profile.stName.clear();
    Profile.xyData.clear();
}

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBufferSize = 256 * 1024;
constexpr std::size_t kMinBufferSize = 4096;
// A stream of unknown length (not a regular file) is read whole first; this bounds it. A
// profile of a million rows takes 12 MB.
constexpr std::uint64_t kMaxStreamSize = std::uint64_t{1} << 28;

#ifdef _WIN32
using ErrorCode = DWORD; // GetLastError()
using NativeFile = HANDLE;
const NativeFile kNoFile = INVALID_HANDLE_VALUE;
constexpr ErrorCode kTooLarge = ERROR_ARITHMETIC_OVERFLOW;
constexpr ErrorCode kExists = ERROR_FILE_EXISTS;
constexpr ErrorCode kNotFound = ERROR_FILE_NOT_FOUND;
#else
using ErrorCode = int; // errno
using NativeFile = int;
constexpr NativeFile kNoFile = -1;
constexpr ErrorCode kTooLarge = EOVERFLOW;
constexpr ErrorCode kExists = EEXIST;
constexpr ErrorCode kNotFound = ENOENT;
#endif

[[noreturn]] void RaiseCreateError(const fs::path& path, const std::string& reason) {
    throw FileError("Cannot create file \"" + FullPathText(path) + "\". " + reason);
}

[[noreturn]] void RaiseCreateError(const fs::path& path, ErrorCode code) {
    RaiseCreateError(path, SystemErrorText(code));
}

// A save never puts a file in place of a FIFO, a device or anything else a file is not.
[[noreturn]] void RaiseNotAFileError(const fs::path& path) {
    RaiseCreateError(path, "Not a regular file");
}

// The system's text follows when it reported an error; a plain end of file adds nothing.
[[noreturn]] void RaiseTransferError(std::string message, ErrorCode code) {
    const std::string text = code == 0 ? std::string() : SystemErrorText(code);
    if (!text.empty()) {
        message += ": ";
        message += text;
    }
    throw FileError(message);
}

[[noreturn]] void RaiseReadError() {
    throw FileError("Stream read error");
}

[[noreturn]] void RaiseWriteError(ErrorCode code = 0) {
    RaiseTransferError("Stream write error", code);
}

template <typename T> void FromLittleEndian(T* values, std::size_t count) {
    if constexpr (std::endian::native == std::endian::big) {
        auto* bytes = reinterpret_cast<unsigned char*>(values);
        for (std::size_t i = 0; i < count; ++i) {
            std::reverse(bytes + i * sizeof(T), bytes + (i + 1) * sizeof(T));
        }
    }
}

#ifdef _WIN32
DWORD CloseFile(HANDLE file) {
    return CloseHandle(file) ? 0 : GetLastError();
}

// Bytes written, at least one; raises the write error.
std::size_t WriteSome(HANDLE file, const void* source, std::size_t count) {
    DWORD put = 0;
    if (!WriteFile(file, source, static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30)), &put,
                   nullptr)) {
        RaiseWriteError(GetLastError());
    }
    if (put == 0) {
        RaiseWriteError();
    }
    return put;
}
#else
int CloseFile(int fd) {
    return ::close(fd) == 0 ? 0 : errno;
}

// Bytes written, at least one; raises the write error.
std::size_t WriteSome(int fd, const void* source, std::size_t count) {
    ssize_t put;
    do {
        put = ::write(fd, source, count);
    } while (put < 0 && errno == EINTR);
    if (put < 0) {
        RaiseWriteError(errno);
    }
    if (put == 0) {
        RaiseWriteError();
    }
    return static_cast<std::size_t>(put);
}
#endif

class FileHandle {
public:
    explicit FileHandle(NativeFile file = kNoFile) : file_(file) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Reset(kNoFile); }
    NativeFile get() const { return file_; }
    bool IsOpen() const { return file_ != kNoFile; }
    void Reset(NativeFile file) {
        if (IsOpen()) {
            CloseFile(file_);
        }
        file_ = file;
    }
    // Closes the file and tells whether the system reported an error.
    ErrorCode Close() {
        const ErrorCode code = CloseFile(file_);
        file_ = kNoFile;
        return code;
    }

private:
    NativeFile file_;
};

// Reads the file through a buffer and knows how many bytes are left, so that no count taken from
// the file can make the reader reserve more than the file could fill.
class ByteSource {
public:
    explicit ByteSource(TReadFile& file, std::uint64_t size) : file_(file), size_(size) {}

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
        const std::size_t got = file_.Read(buffer_.data(), buffer_.size());
        if (got == 0) {
            RaiseReadError();
        }
        bufferOffset_ += end_;
        begin_ = 0;
        end_ = got;
    }

    TReadFile& file_;
    std::uint64_t size_;
    std::uint64_t bufferOffset_ = 0; // file offset of buffer_[0]
    std::string buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool exhausted_ = false;
};

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
    explicit ByteSink(NativeFile file)
        : file_(file), buffer_(std::make_unique_for_overwrite<unsigned char[]>(kBufferSize)) {}

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
            done += WriteSome(file_, buffer_.get() + done, used_ - done);
        }
        used_ = 0;
    }

private:
    NativeFile file_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t used_ = 0;
};

int32_t CountOf(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
        RaiseWriteError(kTooLarge);
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

// A name of fixed length beside the target, for the temporary file and the backup: the target's
// own name may already be as long as the file system allows. The dot hides it on POSIX systems.
fs::path SiblingName(const fs::path& target, long processId) {
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t x =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (static_cast<std::uint64_t>(processId) << 40) ^ (counter++ * 0x9E3779B97F4A7C15ULL);
    // splitmix64's finaliser spreads every input bit over the name.
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    x ^= x >> 31;
    std::string name = ".spe";
    for (int i = 0; i < 8; ++i) {
        name += "0123456789abcdefghijklmnopqrstuvwxyz"[x % 36];
        x /= 36;
    }
    return target.parent_path() / name;
}

#ifdef _WIN32
long ProcessId() {
    return static_cast<long>(GetCurrentProcessId());
}

// A new file for writing with sharing denied; kNoFile and the error when it cannot be created.
// A replaced file's attributes and security come over with ReplaceFileW.
HANDLE CreateNewFile(const fs::path& path, bool, DWORD& error) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    return file;
}

void RemoveFile(const fs::path& path) {
    DeleteFileW(path.c_str());
}

DWORD FlushToDisk(HANDLE file) {
    return FlushFileBuffers(file) ? 0 : GetLastError();
}

// Symbolic links are followed on POSIX systems; here the save writes the name as given.
const fs::path& ResolveTarget(const fs::path& FileName) {
    return FileName;
}

// The file a save replaces, if there is one.
class ReplacedFile {
public:
    // Opens the target as the save would, so that a file held open by another program, a
    // read-only file, a folder or a device fails here, before anything is written.
    ReplacedFile(const fs::path& FileName, const fs::path& target) {
        const HANDLE file = CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const DWORD type = GetFileType(file);
            CloseHandle(file);
            if (type != FILE_TYPE_DISK) {
                RaiseNotAFileError(FileName);
            }
            exists_ = true;
            return;
        }
        const DWORD code = GetLastError();
        if (code != kNotFound) {
            RaiseCreateError(FileName, code);
        }
    }

    bool exists() const { return exists_; }

private:
    bool exists_ = false;
};

bool FileExists(const fs::path& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Puts the written file in place of the target. ReplaceFileW keeps the attributes and the
// security of the file it replaces; the old file is moved to a backup name first and put back
// when the new one does not follow, so that no failure halfway leaves neither file.
void MoveOver(const fs::path& FileName, const fs::path& temporary, const fs::path& target,
              bool replacing) {
    if (!replacing) {
        if (!FileCalls.Move(temporary.c_str(), target.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            RaiseCreateError(FileName, GetLastError());
        }
        return;
    }
    fs::path backup = SiblingName(target, ProcessId());
    while (FileExists(backup)) {
        backup = SiblingName(target, ProcessId());
    }
    if (FileCalls.Replace(target.c_str(), temporary.c_str(), backup.c_str(),
                          REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                          nullptr)) {
        DeleteFileW(backup.c_str());
        return;
    }
    const DWORD code = GetLastError();
    // Only ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 should leave the old file under the backup name;
    // whichever failure did, it goes back.
    if (!FileExists(target) && FileExists(backup) &&
        !FileCalls.Move(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        RaiseCreateError(FileName, SystemErrorText(code) + ". The previous file is kept as \"" +
                                       FullPathText(backup) + "\"");
    }
    RaiseCreateError(FileName, code);
}
#else
long ProcessId() {
    return ::getpid();
}

// A new file for writing; kNoFile and the error when it cannot be created. A file that replaces
// nothing is created as any new file is: the umask or the folder's default ACL decides its
// permissions. One that replaces a file stays private until it takes that file's mode.
int CreateNewFile(const fs::path& path, bool replacing, int& error) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? 0600 : 0666);
    error = fd < 0 ? errno : 0;
    return fd;
}

void RemoveFile(const fs::path& path) {
    ::unlink(path.c_str());
}

int FlushToDisk(int fd) {
    return ::fsync(fd) == 0 ? 0 : errno;
}

// The file a save really writes: a symbolic link stays a link and the file it names is replaced,
// or created when the link dangles. A relative link is read from the link's own folder.
fs::path ResolveTarget(const fs::path& FileName) {
    constexpr int kMaxLinks = 40; // as many as Linux follows in one path
    fs::path target = FileName;
    for (int links = 0;; ++links) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return target;
        }
        if (links == kMaxLinks) {
            RaiseCreateError(FileName, ELOOP);
        }
        std::error_code ec;
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) {
            RaiseCreateError(FileName, ec.value());
        }
        target = target.parent_path() / next; // an absolute link replaces the folder
    }
}

// The file a save replaces, if there is one, held locked until the save ends.
class ReplacedFile {
public:
    // Raises the create error for a target that cannot be replaced.
    ReplacedFile(const fs::path& FileName, const fs::path& target) {
        if (::stat(target.c_str(), &info_) != 0) {
            if (errno != kNotFound) {
                RaiseCreateError(FileName, errno);
            }
            return;
        }
        if (S_ISDIR(info_.st_mode)) {
            RaiseCreateError(FileName, EISDIR);
        }
        if (!S_ISREG(info_.st_mode)) {
            RaiseNotAFileError(FileName);
        }
        exists_ = true;
        // Opened for writing though nothing is written through it: a read-only file fails here
        // with the system's reason, and NFS takes an exclusive lock only on a writable descriptor.
        lock_.Reset(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        if (!lock_.IsOpen()) {
            RaiseCreateError(FileName, errno);
        }
        // Another program that holds the file locked keeps it, as the share modes do on Windows.
        if (const int code = LockFile(lock_.get(), LOCK_EX); code != 0) {
            RaiseCreateError(FileName, code);
        }
    }

    bool exists() const { return exists_; }

    // The new file takes the permissions and, where allowed, the owner of the file it replaces.
    void PassAttributes(int fd) const {
        if (!exists_) {
            return;
        }
        if (::fchmod(fd, info_.st_mode & 07777) != 0) {
            RaiseWriteError(errno);
        }
        if (::fchown(fd, info_.st_uid, info_.st_gid) != 0) {
            // Only a privileged user can hand the file to another owner; the save goes on without.
        }
    }

private:
    bool exists_ = false;
    struct stat info_ {};
    FileHandle lock_;
};

void SyncFolder(const fs::path& target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    FileHandle dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.IsOpen()) {
        ::fsync(dir.get());
    }
}

void MoveOver(const fs::path& FileName, const fs::path& temporary, const fs::path& target, bool) {
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        RaiseCreateError(FileName, errno);
    }
    SyncFolder(target);
}
#endif

// The temporary file a save writes beside the target; removed again unless it replaced the target.
class TemporaryFile {
public:
    TemporaryFile(const fs::path& target, bool replacing) {
        for (int attempt = 0;; ++attempt) {
            path_ = SiblingName(target, ProcessId());
            ErrorCode error = 0;
            file_.Reset(CreateNewFile(path_, replacing, error));
            if (file_.IsOpen()) {
                return;
            }
            if (error != kExists || attempt == 100) {
                error_ = error;
                path_.clear();
                return;
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        file_.Reset(kNoFile);
        if (!path_.empty()) {
            RemoveFile(path_);
        }
    }

    bool IsOpen() const { return file_.IsOpen(); }
    NativeFile file() const { return file_.get(); }
    ErrorCode error() const { return error_; }
    const fs::path& path() const { return path_; }

    ErrorCode Close() { return file_.Close(); }
    void Release() { path_.clear(); }

private:
    fs::path path_;
    FileHandle file_;
    ErrorCode error_ = 0;
};

} // namespace

bool IsProfileFileName(const std::filesystem::path& FileName) {
    return EqualsIgnoringAsciiCase(std::u16string_view(PathToUtf16(FileName.extension())), u".UMP");
}

void LoadSoundProfil(const std::filesystem::path& FileName, TSoundProfil& Profile) {
    EmptySoundProfil(Profile);

    // Sharing denied: while the editor reads the file, nobody else opens it.
    TReadFile file(FileName, TReadSharing::Denied, TReadFailure::Stream);
    const std::optional<std::uint64_t> size = file.Size();
    ByteSource source(file, size.value_or(0));
    if (!size) {
        // The version comes first, so an endless device such as /dev/zero is refused at once
        // instead of being read up to the limit.
        std::string head(sizeof(int32_t), '\0');
        std::size_t got = 0;
        while (got < head.size()) {
            const std::size_t part = file.Read(head.data() + got, head.size() - got);
            if (part == 0) {
                RaiseReadError();
            }
            got += part;
        }
        int32_t version;
        std::memcpy(&version, head.data(), sizeof version);
        FromLittleEndian(&version, 1);
        if (version != SoundProfilVersion) {
            throw FormatError("Falsches Dateiformat");
        }
        source.Preload(file.ReadRest(std::move(head), kMaxStreamSize));
    }
    ReadProfile(source, Profile);
}

namespace {

// Writes through Write into a temporary beside the target and moves it over the target once every
// byte is on disk.
void ReplaceFile(const std::filesystem::path& FileName,
                 const std::function<void(ByteSink&)>& Write) {
    const fs::path& target = ResolveTarget(FileName);
    const ReplacedFile replaced(FileName, target);

    TemporaryFile temporary(target, replaced.exists());
    if (!temporary.IsOpen()) {
        RaiseCreateError(FileName, temporary.error());
    }
#ifndef _WIN32
    replaced.PassAttributes(temporary.file());
#endif

    ByteSink sink(temporary.file());
    Write(sink);
    if (const ErrorCode code = FlushToDisk(temporary.file()); code != 0) {
        RaiseWriteError(code);
    }
    if (const ErrorCode code = temporary.Close(); code != 0) {
        RaiseWriteError(code);
    }
    MoveOver(FileName, temporary.path(), target, replaced.exists());
    temporary.Release();
}

} // namespace

void SaveSoundProfil(const std::filesystem::path& FileName, const TSoundProfil& Profile) {
    ReplaceFile(FileName, [&Profile](ByteSink& sink) { WriteProfile(sink, Profile); });
}

void ReplaceFileContents(const std::filesystem::path& FileName, std::string_view Bytes) {
    ReplaceFile(FileName, [Bytes](ByteSink& sink) {
        sink.Write(Bytes.data(), Bytes.size());
        sink.Flush();
    });
}
