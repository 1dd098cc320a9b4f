#include "file_calls.h"

#ifdef _WIN32
TFileCalls FileCalls{&::ReplaceFileW, &::MoveFileExW};
#else
#include <sys/file.h>

TFileCalls FileCalls{&::flock};
#endif
