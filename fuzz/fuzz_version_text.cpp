// Feeds arbitrary bytes to the version record reader through a real file: whatever the section
// headers claim, it must never crash or read outside the file, and it answers a version text
// or "NoVersionInfo".

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "general_utils.h"

namespace {

const std::filesystem::path& InputPath() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("fuzz-version-" + std::to_string(::getpid()));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (FILE* file = std::fopen(InputPath().c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    } else {
        std::abort();
    }
    const std::u16string text = FileVersionText(InputPath());
    // A version text starts with its first number.
    if (text != u"NoVersionInfo" && (text.empty() || text[0] < u'0' || text[0] > u'9')) {
        std::abort();
    }
    return 0;
}
