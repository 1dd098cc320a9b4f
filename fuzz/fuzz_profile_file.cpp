// Feeds arbitrary bytes to the profile reader through a real file and through a pipe: it may
// refuse them with one of its messages, but must never crash, overrun or reserve more than the
// bytes could fill; both ways must end alike, and whatever loads must save and load back alike.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "editor_errors.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;

// In memory where a tmpfs is at hand: the writer's fsync would otherwise dominate every run.
const fs::path& Folder() {
    static const fs::path folder = [] {
        std::error_code error;
        const fs::path base =
            fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
        const fs::path path = base / ("fuzz-profile-" + std::to_string(::getpid()));
        fs::create_directories(path);
        return path;
    }();
    return folder;
}

struct Outcome {
    std::string error; // empty when the file loaded
    TSoundProfil profile;
};

Outcome Load(const fs::path& path) {
    Outcome outcome;
    try {
        LoadSoundProfil(path, outcome.profile);
    } catch (const EditorError& e) {
        outcome.error = e.what();
    }
    return outcome;
}

bool SameRecord(const TSoundProfil& a, const TSoundProfil& b) {
    if (a.stName != b.stName || a.xyData.size() != b.xyData.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.xyData.size(); ++i) {
        const auto& x = a.xyData[i];
        const auto& y = b.xyData[i];
        if (x.size() != y.size() ||
            (!x.empty() && std::memcmp(x.data(), y.data(), 4 * x.size()) != 0)) {
            return false;
        }
    }
    return true;
}

// The same bytes from a pipe, which has no size to check counts against beforehand. Nothing when
// the pipe cannot hold them all at once.
bool LoadThroughPipe(const uint8_t* data, size_t size, Outcome& outcome) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        std::abort();
    }
    const bool fits = size < 65536 || ::fcntl(ends[1], F_SETPIPE_SZ, static_cast<int>(size)) >= 0;
    const bool written = fits && ::write(ends[1], data, size) == static_cast<ssize_t>(size);
    ::close(ends[1]);
    if (written) {
        outcome = Load("/proc/self/fd/" + std::to_string(ends[0]));
    }
    ::close(ends[0]);
    return written;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Folder();
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(Folder(), ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path input = Folder() / "input.ump";
    if (!(std::ofstream(input, std::ios::binary)
              .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size)))) {
        std::abort();
    }
    const Outcome fromFile = Load(input);

    Outcome fromPipe;
    if (LoadThroughPipe(data, size, fromPipe) &&
        (fromPipe.error != fromFile.error || !SameRecord(fromPipe.profile, fromFile.profile))) {
        std::abort();
    }
    if (!fromFile.error.empty()) {
        return 0;
    }

    const fs::path copy = Folder() / "copy.ump";
    TSoundProfil saved = fromFile.profile;
    saved.iVers = SoundProfilVersion;
    SaveSoundProfil(copy, saved);
    const Outcome back = Load(copy);
    if (!back.error.empty() || !SameRecord(back.profile, saved)) {
        std::abort();
    }
    return 0;
}
