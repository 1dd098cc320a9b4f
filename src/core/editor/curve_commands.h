#pragma once
// The curve tools as commands: each asks for its values, reads the table as Update / Sort does
// (same messages, stopping where it stops), reshapes the profile's rows (profile_curves) and shows
// them as Update / Sort does. Cancel changes nothing; a value that does not read is told and asked
// again; a result that would leave no point, or a gain beyond -1000 to 1000 dB, is refused.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "desktop.h"
#include "profile_curves.h"

class TForm1;

void InvertCommand(TForm1& Form);
void OffsetCommand(TForm1& Form);
void NormalizeCommand(TForm1& Form);
void SmoothCommand(TForm1& Form);
void ResampleCommand(TForm1& Form);
void LimitCommand(TForm1& Form);
// One point per whole hertz where Update / Sort leaves several on one: their mean gain.
void MergeCommand(TForm1& Form);

// What the curve tools' dialogs share with the other commands that ask for values and reshape
// the table's rows.

// "'Text' is not a valid floating point value."
std::u16string NotANumber(const std::u16string& Text);
// A finite number in the user's, the German or the US notation, to that many decimals.
std::optional<double> ReadValue(const std::u16string& Text, int32_t Decimals = 1);
// Gains beyond this are no sound level: a tool that would reach them changes nothing.
constexpr double kGainLimitDb = 1000;
// Empty when every gain of the reshaped rows is finite and within the limit; otherwise the
// refusal naming the first row (counted as the table counts it) that is not.
std::u16string GainLimitRefusal(const TProfileRows& Rows);
// Asks until Read accepts the texts (it answers an empty text) or the user cancels; a refusal is
// shown as a warning and the dialog comes back with the texts.
bool AskValues(TDesktop& Desktop, TValueDialog Dialog,
               const std::function<std::u16string(const std::vector<std::u16string>&)>& Read);
// Reads the table, applies Tool to the rows and shows them; Tool answers a message instead when
// it would leave no point or no sound level, and nothing is shown then.
void ApplyCurveTool(TForm1& Form, const std::function<std::u16string(TProfileRows&)>& Tool);
