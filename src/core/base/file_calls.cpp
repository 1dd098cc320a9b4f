#include "file_calls.h"

#ifdef _WIN32
TFileCalls FileCalls{&::ReplaceFileW, &::MoveFileExW};
#else
#include <sys/file.h>

#include <cerrno>

TFileCalls FileCalls{&::flock};

int LockFile(int fd, int operation) {
    if (FileCalls.Lock(fd, operation | LOCK_NB) == 0) {
        return 0;
    }
    const int code = errno;
    return code == EBADF || code == ENOLCK || code == EOPNOTSUPP ? 0 : code;
}
#endif
