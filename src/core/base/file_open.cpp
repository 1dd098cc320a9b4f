#include "file_open.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

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
#include "platform_win.h"
#include "text_utf.h"

namespace fs = std::filesystem;

std::string FullPathText(const fs::path& Path) {
    std::error_code ec;
    const fs::path full = fs::absolute(Path, ec);
    return Utf16ToUtf8(PathToUtf16((ec ? Path : full).lexically_normal()));
}

namespace {

#ifdef _WIN32
using ErrorCode = DWORD; // GetLastError()
#else
using ErrorCode = int; // errno
#endif

[[noreturn]] void RaiseOpenError(const fs::path& path, ErrorCode code) {
    throw FileError("Cannot open file \"" + FullPathText(path) + "\". " + SystemErrorText(code));
}

[[noreturn]] void RaiseReadError(const fs::path& path, TReadFailure failure, ErrorCode code) {
    const std::string reason = SystemErrorText(code);
    if (failure == TReadFailure::File) {
        throw FileError("Cannot read file \"" + FullPathText(path) + "\". " + reason);
    }
    throw FileError(reason.empty() ? "Stream read error" : "Stream read error: " + reason);
}

} // namespace

#ifdef _WIN32
TReadFile::TReadFile(const fs::path& FileName, TReadSharing Sharing, TReadFailure Failure)
    : fileName_(FileName), failure_(Failure) {
    const DWORD share = Sharing == TReadSharing::Readers ? FILE_SHARE_READ : 0;
    file_ = CreateFileW(FileName.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        RaiseOpenError(FileName, GetLastError());
    }
    if (GetFileType(file_) != FILE_TYPE_DISK) {
        return;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_, &size)) {
        const DWORD code = GetLastError();
        CloseHandle(file_);
        RaiseOpenError(FileName, code);
    }
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

TReadFile::~TReadFile() {
    CloseHandle(file_);
}

std::size_t TReadFile::Read(void* To, std::size_t Count) {
    DWORD got = 0;
    if (!ReadFile(file_, To, static_cast<DWORD>(std::min<std::size_t>(Count, 1u << 30)), &got,
                  nullptr)) {
        const DWORD code = GetLastError();
        if (code == ERROR_BROKEN_PIPE) {
            return 0; // the writer closed its end of the pipe
        }
        RaiseReadError(fileName_, failure_, code);
    }
    return got;
}

void TReadFile::Rewind() {
    if (!SetFilePointerEx(file_, LARGE_INTEGER{}, nullptr, FILE_BEGIN)) {
        RaiseReadError(fileName_, failure_, GetLastError());
    }
}
#else
TReadFile::TReadFile(const fs::path& FileName, TReadSharing, TReadFailure Failure)
    : fileName_(FileName), failure_(Failure) {
    // Without O_NONBLOCK, opening a FIFO that nobody writes would wait for ever. Reads block as
    // usual afterwards.
    file_ = ::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file_ < 0) {
        RaiseOpenError(FileName, errno);
    }
    const auto fail = [&](int code) {
        ::close(file_);
        RaiseOpenError(FileName, code);
    };
    const int flags = ::fcntl(file_, F_GETFL);
    if (flags == -1 || ::fcntl(file_, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        fail(errno);
    }
    struct stat info {};
    if (::fstat(file_, &info) != 0) {
        fail(errno);
    }
    if (S_ISDIR(info.st_mode)) {
        fail(EISDIR);
    }
    if (const int code = LockFile(file_, LOCK_SH); code != 0) {
        fail(code);
    }
    if (S_ISREG(info.st_mode)) {
        size_ = static_cast<std::uint64_t>(info.st_size);
    }
}

TReadFile::~TReadFile() {
    ::close(file_);
}

std::size_t TReadFile::Read(void* To, std::size_t Count) {
    ssize_t got;
    do {
        got = ::read(file_, To, Count);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        RaiseReadError(fileName_, failure_, errno);
    }
    return static_cast<std::size_t>(got);
}

void TReadFile::Rewind() {
    if (::lseek(file_, 0, SEEK_SET) != 0) {
        RaiseReadError(fileName_, failure_, errno);
    }
}
#endif

std::string TReadFile::ReadRest(std::string Data, std::uint64_t Limit) {
    char chunk[64 * 1024];
    for (;;) {
        const std::size_t got = Read(chunk, sizeof chunk);
        if (got == 0) {
            return Data;
        }
        if (Data.size() + got > Limit) {
            throw OutOfMemoryError("Out of memory");
        }
        Data.append(chunk, got);
    }
}
