#pragma once
// The fuzz input as a real file, for the readers that take a path.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

// Writes the input to "<name>-<process id>" in the temporary folder, the same file for every
// input of the process, and returns its path.
inline const std::filesystem::path& WriteInputFile(const char* name, const uint8_t* data,
                                                   size_t size) {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / (name + ("-" + std::to_string(::getpid())));
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    } else {
        std::abort();
    }
    return path;
}
