#pragma once
// The program version text of an executable file.

#include <filesystem>
#include <string>

// The file version of the executable as "a.b.c.d", followed by " debug", " beta", " private" and
// " special" for the build flags that are set; "NoVersionInfo" when the file has no readable
// version record. Never raises for a missing or unreadable file.
std::u16string FileVersionText(const std::filesystem::path& FileName);
