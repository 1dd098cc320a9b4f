#pragma once
// Every command the window offers, listed once: the ten of the form and those added beside them.
// The window binds its actions to this table by their object names, and the edit history takes
// the captions of its steps from it. A new command is one line here, its unit, and its action in
// the window description.

#include <span>

class TForm1;

enum class TCommandId {
    OpenProfile,
    SaveProfile,
    Import,
    Close,
    Clear,
    Append,
    DelRow,
    Insert,
    Sort,
    Info,
    Invert,
    Offset,
    Normalize,
    Smooth,
    Resample,
    Limit,
    Merge,
    ImportMeasurement,
    Export,
    Correction,
    SubtractReference,
    AddReference,
    FitParametricEq,
    ImportParametricEq,
};

struct TCommand {
    TCommandId Id;
    // The window's action that runs it (its object name in the window description).
    const char* Action;
    // The caption of its step in the edit history (an opening dialog's dots left out); null for
    // Info and Close, which change nothing and run outside any step.
    const char16_t* Caption;
    void (*Run)(TForm1& Form);
    // The form's own handler for the ten; null for the commands added beside them.
    void (TForm1::*Handler)();
};

// In the order of the window's actions.
std::span<const TCommand> Commands();
const TCommand& CommandOf(TCommandId Id);
