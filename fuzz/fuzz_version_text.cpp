// Feeds arbitrary bytes to the version record reader through a real file: whatever the section
// headers claim, it must never crash or read outside the file, and it answers a version text
// or "NoVersionInfo".

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_input_file.h"
#include "general_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path& input = WriteInputFile("fuzz-version", data, size);
    const std::u16string text = FileVersionText(input);
    // A version text starts with its first number.
    if (text != u"NoVersionInfo" && (text.empty() || text[0] < u'0' || text[0] > u'9')) {
        std::abort();
    }
    return 0;
}
