#pragma once
// The curve tools as commands: each asks for its values, reads the table as Update / Sort does
// (same messages, stopping where it stops), reshapes the profile's rows (profile_curves) and shows
// them as Update / Sort does. Cancel changes nothing; a value that does not read is told and asked
// again; a result that would leave no point, or a gain beyond -1000 to 1000 dB, is refused.

class TForm1;

void InvertCommand(TForm1& Form);
void OffsetCommand(TForm1& Form);
void NormalizeCommand(TForm1& Form);
void SmoothCommand(TForm1& Form);
void ResampleCommand(TForm1& Form);
void LimitCommand(TForm1& Form);
// One point per whole hertz where Update / Sort leaves several on one: their mean gain.
void MergeCommand(TForm1& Form);
