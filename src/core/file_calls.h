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
