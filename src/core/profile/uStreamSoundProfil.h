#pragma once
// The profile folder: the profile records, the .ump file and the point series record. It may
// use base and numbers.
//
// Profile records, the current profile and the .ump profile file.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// A profile as stored: one row per point, element 0 the frequency in Hz, element 1 the gain in dB.
// Rows read from a file may hold any number of values, from none upward.
struct TSoundProfil {
    int32_t iVers = 0;
    std::u16string stName;
    std::vector<std::vector<float>> xyData;
};

// The only format version there is.
inline constexpr int32_t SoundProfilVersion = 1;

// The editor's one current profile; it lives as long as the program.
extern TSoundProfil CurrentSoundProfil;

// Empties name and rows; iVers keeps its value.
void EmptySoundProfil(TSoundProfil& Profile);

// Whether the name ends in ".ump", in any letter case: such a file is read as a profile.
bool IsProfileFileName(const std::filesystem::path& FileName);

// Reads a .ump file into Profile (emptied first; iVers is compared with the file, not stored).
// Raises FileError, FormatError, RangeError or OutOfMemoryError with the message the user sees.
// After a failure Profile holds what was read before it.
void LoadSoundProfil(const std::filesystem::path& FileName, TSoundProfil& Profile);

// Writes Profile to FileName as it stands. The file is replaced only once every byte is written
// and flushed: after a failure an existing file is unchanged and no temporary file remains; only
// when Windows cannot even put the old file back under its name does the message say where it
// is kept. A symbolic link is written through; anything but a regular file is refused.
// Raises FileError with the message the user sees.
void SaveSoundProfil(const std::filesystem::path& FileName, const TSoundProfil& Profile);

// Replaces FileName with Bytes the way SaveSoundProfil replaces a profile, with its messages.
void ReplaceFileContents(const std::filesystem::path& FileName, std::string_view Bytes);
