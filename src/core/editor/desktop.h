#pragma once
// What the editor asks of the desktop: file dialogs, message boxes, the values dialog, the
// measurement preview, closing the window, the program's own path. The commands reach the desktop
// only through the callbacks of TDesktop, which the Qt window fills with real dialogs and tests
// fill with a script.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "measurement_preview.h"
#include "parametric_eq.h"

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
// it starts with; a field with choices offers only those texts, a check box field is checked when
// its text is "1" and answers "1" or "0".
struct TValueField {
    std::u16string Label;
    std::u16string Text;
    std::vector<std::u16string> Choices;
    bool CheckBox = false;
};
struct TValueDialog {
    std::u16string Title;
    std::vector<TValueField> Fields;
};

// What the result window of a parametric EQ fit shows: the filters, the preamp and the error, and
// the fitted response drawn in the chart. Export asks for a file and writes the filters to it.
struct TParametricEqFit {
    TFitResult Result;
    TProfileRows Response;
    std::function<void()> Export;
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
    // Runs Work, which may take seconds (reading a large file), while the window stays drawn
    // and shows Text; the user can do nothing else meanwhile. An error of Work goes on to the
    // caller. When unset, Work runs right away.
    std::function<void(const std::u16string& Text, const std::function<void()>& Work)> RunBusy;
    // The reference curve the chart shows, as rows in the chart's order; nullopt when there is
    // none.
    std::function<std::optional<TProfileRows>()> ReferenceRows;
    // Opens the result window of a fit, in place of one still open, and returns while it stays
    // open; while it is open the chart draws the fitted response, until new points show or the
    // reference curve is cleared.
    std::function<void(const TParametricEqFit& Fit)> ShowParametricEqFit;
};
