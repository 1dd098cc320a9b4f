#pragma once
// The base folder: the errors core routines raise, UTF-16 and UTF-8 texts, the platform's
// messages, the system calls files are locked and replaced through, the program version text
// and the small listener lists models report through. It uses nothing else of the core.
//
// The errors that core routines raise. what() is the exact message the user sees, in UTF-8.

#include <stdexcept>
#include <string>

struct EditorError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A file could not be opened, created or transferred.
struct FileError : EditorError {
    using EditorError::EditorError;
};

// The bytes of a file do not form what the reader expects.
struct FormatError : EditorError {
    using EditorError::EditorError;
};

// A count read from a file is out of range ("Range check error").
struct RangeError : EditorError {
    using EditorError::EditorError;
};

// A declared size cannot be provided ("Out of memory").
struct OutOfMemoryError : EditorError {
    using EditorError::EditorError;
};

// A text is not a number ("'%s' is not a valid floating point value").
struct ConvertError : EditorError {
    using EditorError::EditorError;
};
