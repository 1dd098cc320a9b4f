#pragma once
// The program version text of an executable file.

#include <cstdint>
#include <filesystem>
#include <string>

// The file version of the executable as "a.b.c.d", followed by " debug", " beta", " private" and
// " special" for the build flags that are set; "NoVersionInfo" when the file has no readable
// version record. Never raises for a missing or unreadable file.
// On Windows the record is the file's VERSIONINFO resource; elsewhere it is the same fixed record
// (VS_FIXEDFILEINFO, little-endian) in the ELF section ".spe_version", which the build writes
// with spe_add_version_record (cmake/VersionRecord.cmake).
std::u16string FileVersionText(const std::filesystem::path& FileName);

// The text for the three words of a fixed version record: the four 16-bit halves of the file
// version joined by ".", then the words of the flags 0x01, 0x02, 0x08 and 0x20 in that order.
// The flags are taken as they are; the record's flags mask does not apply.
std::u16string VersionText(uint32_t FileVersionMS, uint32_t FileVersionLS, uint32_t FileFlags);
