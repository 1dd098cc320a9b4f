#include "main_f.h"

#include <string>

#include "number_text.h"

namespace {

std::u16string DecimalText(std::size_t Value) {
    const std::string digits = std::to_string(Value);
    return std::u16string(digits.begin(), digits.end());
}

} // namespace

TForm1::TForm1() {
    FormCreate();
    StringGrid1.OnSelectCell = [this](int32_t ACol, int32_t ARow) {
        StringGrid1SelectCell(ACol, ARow);
    };
}

void TForm1::FormCreate() {
    StringGrid1.SetColCount(3);
    StringGrid1.SetRowCount(1);
    StringGrid1.SetCells(0, 0, u"Index");
    StringGrid1.SetColWidth(0, 0);
    StringGrid1.SetCells(1, 0, u"f(Hz)");
    StringGrid1.SetCells(2, 0, u"Gain(dB)");
}

void TForm1::ClearTable() {
    TGridUpdateScope update(StringGrid1);
    for (int32_t r = 1; r < StringGrid1.RowCount(); ++r) {
        StringGrid1.SetCells(1, r, u"");
        StringGrid1.SetCells(2, r, u"");
    }
}

void TForm1::ShowImportedData(const TDatentyp& Series) {
    TGridUpdateScope update(StringGrid1);
    ClearTable();
    const std::vector<float>& freqs = Series.DatenXYZ[0];
    const std::vector<float>& gains = Series.DatenXYZ[1];
    if (gains.empty()) {
        return;
    }
    StringGrid1.SetRowCount(static_cast<int32_t>(gains.size()) + 1);
    for (std::size_t i = 0; i < gains.size(); ++i) {
        const auto row = static_cast<int32_t>(i + 1);
        StringGrid1.SetCells(0, row, DecimalText(i + 1));
        StringGrid1.SetCells(1, row,
                             i < freqs.size() ? FormatFixed(freqs[i], 6, 1, UserNotation) : u"");
        StringGrid1.SetCells(2, row, FormatFixed(gains[i], 5, 2, UserNotation));
    }
}

void TForm1::StringGrid1SelectCell(int32_t /*ACol*/, int32_t ARow) {
    frowindex = ARow;
}
