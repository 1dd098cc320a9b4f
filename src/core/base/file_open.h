#pragma once
// Opening a file for reading, the one way every reader does it: the path in the system's own
// form, the sharing the reader asks for (share modes on Windows, a shared lock elsewhere, which a
// file system without locks goes without), the size of a file on a disk, reads and the close on
// every way out. Its errors carry the messages the readers show. Uses the file calls, the
// platform's error texts and the core's error types.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// The path as file messages show it: made absolute and normalized, in UTF-8.
std::string FullPathText(const std::filesystem::path& Path);

// Who else may open the file while it is read. Windows keeps the others out by share modes;
// elsewhere both take a shared lock, so that a program holding the file locked for writing keeps
// the reader out and other readers may read along.
enum class TReadSharing {
    Denied,  // nobody else opens the file meanwhile
    Readers, // others may read along, nobody writes
};

// How a failed read is worded.
enum class TReadFailure {
    Stream, // "Stream read error: <reason>"
    File,   // "Cannot read file "<full path>". <reason>"
};

// A file open for reading from the constructor to the destructor.
class TReadFile {
public:
    // Raises FileError "Cannot open file "<full path>". <reason>" when the file does not exist,
    // is a folder, cannot be read, or another program holds it as Sharing does not allow.
    TReadFile(const std::filesystem::path& FileName, TReadSharing Sharing, TReadFailure Failure);
    TReadFile(const TReadFile&) = delete;
    TReadFile& operator=(const TReadFile&) = delete;
    ~TReadFile();

    // The size a file on a disk had when it was opened; nothing for a pipe, a FIFO or a device.
    std::optional<std::uint64_t> Size() const { return size_; }

    // Reads up to Count bytes into To and tells how many; 0 at the end of the file, also when
    // the writer of a pipe has closed it. A failure raises FileError worded as Failure says.
    std::size_t Read(void* To, std::size_t Count);

    // Goes back to the first byte; a failure raises the read error.
    void Rewind();

    // The rest of the file appended to Data, which may hold its first bytes already; past Limit
    // bytes in all, OutOfMemoryError "Out of memory" before more is kept.
    std::string ReadRest(std::string Data, std::uint64_t Limit);

private:
    std::filesystem::path fileName_;
    TReadFailure failure_;
#ifdef _WIN32
    void* file_; // HANDLE
#else
    int file_;
#endif
    std::optional<std::uint64_t> size_;
};
