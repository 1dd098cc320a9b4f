#pragma once
// The system calls through which the profile file routines lock and replace files. Tests point
// them elsewhere to meet what cannot be made for real on the test machine: the locks of a network
// file system, a volume that refuses a rename halfway.

#ifdef _WIN32
#include <windows.h>

struct TFileCalls {
    decltype(&::ReplaceFileW) Replace;
    decltype(&::MoveFileExW) Move;
};
#else
struct TFileCalls {
    int (*Lock)(int fd, int operation); // flock
};
#endif

// The real system calls unless a test has replaced them.
extern TFileCalls FileCalls;

#ifndef _WIN32
// 0 once the file is locked against the openers `operation` (LOCK_SH or LOCK_EX) keeps out, as
// the share modes do on Windows; otherwise the reason. A file system that cannot lock (NFS
// without its lock daemon, or NFS refusing an exclusive lock on a descriptor opened for reading)
// leaves the file unlocked instead of refusing it.
int LockFile(int fd, int operation);
#endif
