#pragma once
// The editor folder: the form, its commands and the command table. It may use every folder.
//
// TForm1: the editor's state and its ten commands, without any window toolkit. Everything a
// command needs from the desktop goes through the callbacks of TDesktop (desktop.h). The commands
// added beside the ten (curve tools, measurement import, export) live in command units of their
// own (curve_commands, measurement_commands), reach the form through TFormSteps (form_steps.h)
// and are listed with the ten, once, in the command table (editor_commands.h). The form's
// members beyond the described ones (history, drops, notation, the question before closing) are
// defined in main_f_additions.cpp.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "audio_ASCII_Import.h"
#include "chart_rows.h"
#include "desktop.h"
#include "edit_history.h"
#include "editor_commands.h"
#include "form_steps.h"
#include "point_commands.h"
#include "teechart_basics.h"
#include "text_field.h"
#include "uStringgrid_VCL.h"

class TForm1 {
public:
    // Runs FormCreate; the table's selection report is wired afterwards, so set-up reports
    // nothing. Edit1 and lbFilename start as "?".
    TForm1();
    // StringGrid1 reports into this object.
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    TDesktop Desktop;
    // The profile table: column 0 "Index" (hidden), 1 "f(Hz)", 2 "Gain(dB)"; row 0 the header.
    TStringGrid StringGrid1;
    // The chart's line series.
    TLineSeries Series1;
    // The profile name field.
    TTextField Edit1;
    // The bare name of the file last chosen in a file dialog.
    TTextField lbFilename;
    // Row of the table cell last selected; Insert and Delete act on it.
    int32_t frowindex = 0;
    // The point series last imported or last shown in the chart.
    TDatentyp KorrDataTemp;
    // Result of the last conversion of the table into profile rows.
    bool boNumericDataok = false;
    // The table row each chart point came from, linked whenever points are shown and forgotten
    // by Undo and Redo of other steps than the chart's own; the chart's view calls Forget when
    // the points change otherwise.
    TChartRows ChartRows{StringGrid1, Series1, 2};

    // The commands. Errors from files and conversions escape them; run them through Execute.
    void acOPenProfileExecute();
    void acSaveProfileExecute();
    void acImportExecute();
    void acCloseExecute();
    void acClearExecute();
    void acAppendExecute();
    void acDelRowExecute();
    void acInsertExecute();
    void acSortExecute();
    void acInfoExecute();

    // Asked before the window closes, by Close, the window's close button or the system's key:
    // with changes since the last Open, Import, Save or New it asks "Save changes to the sound
    // profile?"; Yes runs Save and lets the window close only when it saved, No lets it close,
    // Cancel keeps it open. Call it outside a command.
    bool FormCloseQuery();

    // Shows CurrentSoundProfil in the table, the name field and the chart. A row with fewer than
    // two values shows what it has in the table and is left out of the chart.
    void ShowProfile();

    // The application's general error handler: runs the command; an error that escapes it ends
    // it and is shown with MessageDlg(mtError, mbOK, what() + the full-stop rule). Out of memory
    // is shown as "Out of memory".
    void Execute(void (TForm1::*Command)());
    // The same for any command of the command table, the ten and those added beside them.
    void Execute(TCommandId Command);
    // The same for a piece of work that is not one of the ten commands. Its step is captioned as
    // the Open or Import it runs (OpenProfileFile, ImportAsciiFile, DropFiles).
    void Execute(const std::function<void()>& Work);
    // The same with the caption of the step the work makes.
    void Execute(std::u16string Caption, const std::function<void()>& Work);

    // The edit history. Each command run through Execute that changed anything is one step with
    // its action's caption; changes made outside a command are typing: a run of changes to one
    // cell, or to one field, is one step "Typing". Info, Close and cancelled dialogs make none.
    // Undo takes back the last step, Redo does again the last step taken back; each does nothing
    // when there is none and runs through the error handler.
    void Undo();
    void Redo();
    bool CanUndo() const;
    bool CanRedo() const;
    // The caption of the step Undo or Redo would take, empty when there is none.
    std::u16string UndoText() const;
    std::u16string RedoText() const;
    // Called whenever what Undo or Redo would do may have changed; must not change the form.
    std::function<void()> OnHistoryChange;

    // Open profile without its dialog: the steps after the user has chosen `FileName`. The
    // desktop uses it for a profile named on the command line.
    void OpenProfileFile(const std::filesystem::path& FileName);
    // Import ASCII without its dialog: the steps after the user has chosen `FileName`.
    void ImportAsciiFile(const std::filesystem::path& FileName);
    // Files dropped on the window: the first one is opened as a profile when its name ends in
    // ".ump" (any letter case), otherwise imported; a folder is ignored.
    void DropFiles(const std::vector<std::filesystem::path>& Files);
    // The user's notation changed from OldSeparator to UserNotation: every value cell whose text
    // is a number in the old notation shows the same number in the new one, also in rows hidden
    // behind the row count and in every text the edit history may restore. No step of its own.
    void NotationChanged(char16_t OldSeparator);

    // Sets the table up: three columns, the header row alone, current cell (1, 0).
    void FormCreate();
    // Empties the value cells (columns 1 and 2) of every data row; nothing else changes.
    void ClearTable();
    // ClearTable, then, unless the series has no gains, one data row per gain: the row number,
    // the frequency to 1 decimal (6 digits) and the gain to 2 decimals (5 digits). A gain
    // without a frequency gets an empty frequency cell.
    void ShowImportedData(const TDatentyp& Series);
    // The table's selection report.
    void StringGrid1SelectCell(int32_t ACol, int32_t ARow);
    // The folder of the file last opened, saved or imported, where other file dialogs start too.
    const std::filesystem::path& LastFolder() const { return lastFolder_; }
    // What the commands added beside the ten may do with the form.
    const TFormSteps& Steps() const { return steps_; }

private:
    // Save's first steps: Update / Sort, then the table read back into CurrentSoundProfil; false,
    // after the message, when the table does not convert.
    bool SortAndReadTable();
    // Update / Sort's steps up to reading the table back into CurrentSoundProfil: false, after
    // the message, when the table does not convert.
    bool ReadTable();
    // The rows read from the table become the profile's, the conversion flag boNumericDataok;
    // when the table did not convert, the refusal is shown.
    bool KeepTableRows(std::vector<std::vector<float>> Rows, bool Converted,
                       const char16_t* Refusal);
    // ShowProfile without the name: the table and the chart.
    void ShowRows();
    // Points taken as an import takes them: into KorrDataTemp, the chart and the table.
    void ShowImported(TDatentyp&& Points);
    // The chart shows exactly the series' points: ShowSeries draws two or more, fewer are set
    // here, so that a single point or none never leaves the previous line standing.
    void ShowPoints(const TDatentyp& Series);
    // The dialog settings with the folder of the file last chosen.
    TFileDialogSettings Dialog(std::u16string Filter, std::u16string Title,
                               std::u16string DefaultExt = {}) const;
    void RememberFolder(const std::filesystem::path& FileName);

    // The general error handler around Work.
    void Run(const std::function<void()>& Work);

    std::filesystem::path lastFolder_;
    TFormSteps steps_;
    // Last, so that it goes before the parts it follows.
    TEditHistory history_;

public:
    // Drawing on the chart: moving, adding and deleting points. Any other command, Undo and Redo
    // end a move still open first. After the history, so that an open move ends before it goes.
    TPointSteps PointSteps{*this, history_};
};

// The text the general error handler shows for a message: a full stop is appended unless the
// message ends in '.' or in a character whose code is below that of '.'.
std::u16string ErrorBoxText(std::u16string Message);
