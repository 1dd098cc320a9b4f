#pragma once
// Fixtures the file tests share: the system's reasons in the open errors, a temporary folder of
// their own, and for the import tests the user notation put back afterwards and a series that
// already holds points.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

#include "audio_ASCII_Import.h"
#include "number_text.h"
#include "platform_win.h"
#include "test_support.h"

// The system's reasons as the messages word them: strerror on POSIX systems, the text of the
// GetLastError code on Windows, where a folder opened as a file is refused access.
#ifdef _WIN32
inline const std::string kNoSuchFile = SystemErrorText(ERROR_FILE_NOT_FOUND);
inline const std::string kNoSuchFolder = SystemErrorText(ERROR_PATH_NOT_FOUND);
inline const std::string kIsAFolder = SystemErrorText(ERROR_ACCESS_DENIED);
#else
inline const std::string kNoSuchFile = "No such file or directory";
inline const std::string kNoSuchFolder = kNoSuchFile;
inline const std::string kIsAFolder = "Is a directory";
#endif

// A new temporary folder for each test, removed afterwards; Write puts a file of bytes in it.
class FolderTest : public ::testing::Test {
protected:
    FolderTest(std::string prefix, std::string defaultName)
        : prefix_(std::move(prefix)), defaultName_(std::move(defaultName)) {}
    void SetUp() override { folder_ = MakeTemporaryFolder(prefix_); }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path Write(const std::string& bytes) { return Write(bytes, defaultName_); }
    std::filesystem::path Write(const std::string& bytes, const std::string& name) {
        const std::filesystem::path path = folder_ / name;
        WriteFileBytes(path, bytes);
        return path;
    }

    std::filesystem::path folder_;

private:
    std::string prefix_;
    std::string defaultName_;
};

// The import tests change the user notation; it is put back after each.
class ImportTest : public FolderTest {
protected:
    using FolderTest::FolderTest;
    void SetUp() override {
        savedNotation_ = UserNotation;
        FolderTest::SetUp();
    }
    void TearDown() override {
        UserNotation = savedNotation_;
        FolderTest::TearDown();
    }

    // A series that already holds points, so that a change to it shows.
    static TDatentyp Filled() {
        TDatentyp series;
        series.DatenXYZ = {std::vector<float>{7, 8, 9}, std::vector<float>{1, 2},
                           std::vector<float>{5}};
        series.sttag = u"tag";
        return series;
    }

private:
    NumberNotation savedNotation_;
};
