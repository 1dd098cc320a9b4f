#pragma once
// The form's own steps that the commands added beside the ten build on, and nothing more: reading
// the table as Update / Sort does, showing rows or imported points, the dialogs' folder and the
// saved mark of the history. The form fills them; a command unit takes the form's described parts
// (Desktop, the name field, the file label) and these.

#include <filesystem>
#include <functional>
#include <string>

#include "audio_ASCII_Import.h"
#include "desktop.h"
#include "uStreamSoundProfil.h"

struct TFormSteps {
    // Update / Sort's steps up to reading the table back into CurrentSoundProfil: false, after
    // the message, when the table does not convert.
    std::function<bool()> ReadTable;
    // Save's first steps: Update / Sort, then the table read back into CurrentSoundProfil;
    // false, after the message, when the table does not convert.
    std::function<bool()> SortAndReadTable;
    // CurrentSoundProfil's rows in the table and the chart, as Update / Sort shows them.
    std::function<void()> ShowRows;
    // Profile becomes CurrentSoundProfil and shows in the table, the chart and the name field, as
    // Open shows a profile it read.
    std::function<void(TSoundProfil&& Profile)> ShowProfile;
    // Points taken as Import takes them: the chart shows exactly them, the table their texts.
    std::function<void(TDatentyp&& Points)> ShowImported;
    // The dialog settings, starting in the folder of the file last chosen.
    std::function<TFileDialogSettings(std::u16string Filter, std::u16string Title,
                                      std::u16string DefaultExt)>
        Dialog;
    // The next file dialog starts in the folder of FileName.
    std::function<void(const std::filesystem::path& FileName)> RememberFolder;
    // The state the running command leaves counts as saved (for the question before closing).
    std::function<void()> MarkSaved;
};
