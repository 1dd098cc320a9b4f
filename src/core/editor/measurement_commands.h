#pragma once
// The measurement commands: a measurement file in, through its preview, and the profile out in
// the text formats other programs read.

class TForm1;

// A measurement file, previewed, with the gain column the user chooses (and its points that share
// a whole hertz merged, if the user wants); the points are taken as Import takes them and the
// name field gets the file's stem.
void ImportMeasurementCommand(TForm1& Form);
// Update / Sort and the checks of Save, then the rows written in the format of the typed
// extension, else of the save dialog's filter.
void ExportCommand(TForm1& Form);
