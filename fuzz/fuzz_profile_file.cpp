// Feeds arbitrary bytes to the profile reader through a real file: it may refuse them with one of
// its messages, but must never crash, overrun or reserve more than the bytes could fill.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "editor_errors.h"
#include "uStreamSoundProfil.h"

namespace {

const std::filesystem::path& InputPath() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("fuzz-profile-" + std::to_string(::getpid()));
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
    TSoundProfil profile;
    try {
        LoadSoundProfil(InputPath(), profile);
    } catch (const EditorError&) {
        return 0;
    }
    // Whatever loads must save and load back to the same record.
    const std::filesystem::path copy = InputPath().string() + ".ump";
    profile.iVers = SoundProfilVersion;
    SaveSoundProfil(copy, profile);
    TSoundProfil back;
    LoadSoundProfil(copy, back);
    if (back.stName != profile.stName || back.xyData.size() != profile.xyData.size()) {
        std::abort();
    }
    for (std::size_t i = 0; i < back.xyData.size(); ++i) {
        const auto& a = back.xyData[i];
        const auto& b = profile.xyData[i];
        if (a.size() != b.size() ||
            (!a.empty() && std::memcmp(a.data(), b.data(), 4 * a.size()) != 0)) {
            std::abort();
        }
    }
    std::filesystem::remove(copy);
    return 0;
}
