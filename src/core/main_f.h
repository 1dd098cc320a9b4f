#pragma once
// TForm1: the editor's state and the handlers that work on it, without any window toolkit.

#include <cstdint>

#include "audio_ASCII_Import.h"
#include "uStringgrid_VCL.h"

class TForm1 {
public:
    // Runs FormCreate; the table's selection report is wired afterwards, so set-up reports
    // nothing.
    TForm1();
    // StringGrid1 reports into this object.
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // The profile table: column 0 "Index" (hidden), 1 "f(Hz)", 2 "Gain(dB)"; row 0 the header.
    TStringGrid StringGrid1;
    // Row of the table cell last selected; Insert and Delete act on it.
    int32_t frowindex = 0;
    // The point series last imported or last shown in the chart.
    TDatentyp KorrDataTemp;

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
};
