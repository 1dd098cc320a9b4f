#pragma once
// TForm1: the editor's state and its ten commands, without any window toolkit. Everything a
// command needs from the desktop (file dialogs, message boxes, closing the window, the program's
// own path) goes through the callbacks of TDesktop, which the Qt window fills with real dialogs
// and tests fill with a script.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "audio_ASCII_Import.h"
#include "chart_rows.h"
#include "edit_history.h"
#include "measurement_preview.h"
#include "teechart_basics.h"
#include "text_field.h"
#include "uStringgrid_VCL.h"

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };
enum class TMsgDlgButtons { mbOK, mbYesNo, mbYesNoCancel };
enum class TModalResult { mrOk, mrYes, mrNo, mrCancel };

struct TFileDialogSettings {
    std::u16string Filter; // "Name|pattern|Name|pattern...", the first entry preselected
    std::u16string Title;
    std::u16string DefaultExt; // ".ump" for Save; empty where the command sets none
    // The folder of the file last opened, saved or imported in this run; empty before the
    // first, when the desktop starts in the user's documents folder.
    std::filesystem::path InitialFolder;
    // A save dialog asks before it replaces an existing file (the exports; Save replaces without
    // asking).
    bool ConfirmOverwrite = false;
};

// A small dialog that asks for values as texts: one line per field, with its label and the text
// it starts with; a field with choices offers only those texts.
struct TValueField {
    std::u16string Label;
    std::u16string Text;
    std::vector<std::u16string> Choices;
};
struct TValueDialog {
    std::u16string Title;
    std::vector<TValueField> Fields;
};

// A file chosen in a save dialog and the filter entry, counted from 0, chosen with it.
struct TSaveChoice {
    std::filesystem::path FileName;
    std::size_t FilterIndex = 0;
};

// The filter entry whose format a file name asks for: the chosen entry when one of its patterns
// ("*.txt") matches the name's extension (any letter case) or when no entry's does, otherwise the
// first entry whose pattern does. So a typed "curve.frd" is written as FRD whatever entry is
// chosen.
std::size_t FilterIndexForName(std::u16string_view Filter, const std::filesystem::path& FileName,
                               std::size_t Chosen);

struct TDesktop {
    // The chosen path, or nullopt when the user cancels.
    std::function<std::optional<std::filesystem::path>(const TFileDialogSettings&)> RunOpenDialog;
    std::function<std::optional<std::filesystem::path>(const TFileDialogSettings&)> RunSaveDialog;
    std::function<TModalResult(TMsgDlgType, TMsgDlgButtons, const std::u16string& Text)> MessageDlg;
    std::function<void()> CloseMainWindow;
    std::function<std::filesystem::path()> ExecutablePath; // the running program's own file
    // The texts of the fields as the user left them, in order, or nullopt when the user cancels.
    std::function<std::optional<std::vector<std::u16string>>(const TValueDialog&)> AskValues;
    // The save dialog that also tells which filter was chosen; the default extension follows
    // the chosen filter's first pattern.
    std::function<std::optional<TSaveChoice>(const TFileDialogSettings&)> RunSaveDialogWithFilter;
    // Shows the preview of a measurement file; the choice the user took and whether its points
    // that share a whole hertz are merged, or nullopt when the user cancels.
    std::function<std::optional<TMeasurementPick>(const TMeasurementPreview&)> PreviewMeasurement;
};

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
    // by Undo and Redo; the chart's view calls Forget when the points change otherwise.
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

    // The curve tools: each asks for its values, reads the table as Update / Sort does (same
    // messages, stopping where it stops), reshapes the profile's rows and shows them as Update /
    // Sort does. Cancel changes nothing; a value that does not read is told and asked again.
    void acInvertExecute();
    void acOffsetExecute();
    void acNormalizeExecute();
    void acSmoothExecute();
    void acResampleExecute();
    void acLimitExecute();
    // One point per whole hertz where Update / Sort leaves several on one: their mean gain.
    void acMergeExecute();

    // Import Measurement: a measurement file, previewed, with the gain column the user chooses;
    // the points are taken as Import takes them and the name field gets the file's stem.
    void acImportMeasurementExecute();
    // Export Profile: Update / Sort and the checks of Save, then the rows written in the format
    // of the save dialog's filter.
    void acExportExecute();

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

private:
    // Save's first steps: Update / Sort, then the table read back into CurrentSoundProfil; false,
    // after the message, when the table does not convert.
    bool SortAndReadTable();
    // Update / Sort's steps up to reading the table back into CurrentSoundProfil: false, after
    // the message, when the table does not convert.
    bool ReadTable();
    // ShowProfile without the name: the table and the chart.
    void ShowRows();
    // Asks with Desktop.AskValues until Read accepts the texts (it answers an empty text) or the
    // user cancels; a refusal is shown as a warning and the dialog comes back with the texts.
    bool AskValues(TValueDialog Dialog,
                   const std::function<std::u16string(const std::vector<std::u16string>&)>& Read);
    // Reads the table, applies Tool to the rows and shows them; Tool answers a message instead
    // when it would leave no point, and nothing is shown then.
    void
    ApplyCurveTool(const std::function<std::u16string(std::vector<std::vector<float>>&)>& Tool);
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
    // Last, so that it goes before the parts it follows.
    TEditHistory history_;
};

// The text the general error handler shows for a message: a full stop is appended unless the
// message ends in '.' or in a character whose code is below that of '.'.
std::u16string ErrorBoxText(std::u16string Message);
