#pragma once
// Helpers that the core tests share, alike on POSIX systems and on Windows.

#include <filesystem>
#include <random>
#include <string>
#include <string_view>

// A new, empty folder named "<prefix>-<random number>" in `base`; the caller removes it. The
// system's temporary folder by default: /tmp or $TMPDIR, on Windows %TEMP%.
inline std::filesystem::path
MakeTemporaryFolder(std::string_view prefix,
                    const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
    std::random_device entropy;
    for (;;) {
        std::filesystem::path folder =
            base / (std::string(prefix) + "-" + std::to_string(entropy()));
        // False when the name is taken; other failures throw and fail the test.
        if (std::filesystem::create_directory(folder)) {
            return folder;
        }
    }
}
