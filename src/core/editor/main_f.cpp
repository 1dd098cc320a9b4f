#include "main_f.h"

#include <algorithm>
#include <new>
#include <numeric>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "general_utils.h"
#include "imported_rows.h"
#include "number_text.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

const std::u16string kProfileFilter = u"Ulmaro Sound Profile|*.ump|All|*.*";

std::u16string BareFileName(const std::filesystem::path& Path) {
    return PathToUtf16(Path.filename());
}

} // namespace

std::u16string ErrorBoxText(std::u16string Message) {
    if (!Message.empty() && Message.back() > u'.') {
        Message += u'.';
    }
    return Message;
}

TForm1::TForm1()
    : history_({StringGrid1, Edit1, lbFilename, Series1, KorrDataTemp, CurrentSoundProfil,
                boNumericDataok}) {
    FormCreate();
    StringGrid1.OnSelectCell = [this](int32_t ACol, int32_t ARow) {
        StringGrid1SelectCell(ACol, ARow);
    };
    Edit1.SetText(u"?");
    lbFilename.SetText(u"?");
    history_.OnChange = [this] {
        if (OnHistoryChange) {
            OnHistoryChange();
        }
    };
    steps_ = {[this] { return ReadTable(); },
              [this] { return SortAndReadTable(); },
              [this] { ShowRows(); },
              [this](TSoundProfil&& Profile) {
                  history_.TakeProfileRows();
                  CurrentSoundProfil = std::move(Profile);
                  ShowProfile();
              },
              [this](TDatentyp&& Points) { ShowImported(std::move(Points)); },
              [this](std::u16string Filter, std::u16string Title, std::u16string DefaultExt) {
                  return Dialog(std::move(Filter), std::move(Title), std::move(DefaultExt));
              },
              [this](const std::filesystem::path& FileName) { RememberFolder(FileName); },
              [this] { history_.MarkSaved(); }};
    // The window starts here: nothing before can be taken back, and nothing is unsaved.
    history_.Clear();
    history_.MarkSaved();
}

void TForm1::Execute(void (TForm1::*Command)()) {
    for (const TCommand& command : Commands()) {
        if (command.Handler == Command) {
            Execute(command.Id);
            return;
        }
    }
    Run([this, Command] { (this->*Command)(); });
}

void TForm1::Execute(TCommandId Command) {
    const TCommand& command = CommandOf(Command);
    if (command.Caption == nullptr) {
        // Info and Close change nothing: outside any step, so that the question before closing
        // can run Save as a step of its own.
        Run([this, &command] { command.Run(*this); });
        return;
    }
    Execute(command.Caption, [this, &command] { command.Run(*this); });
}

void TForm1::Execute(const std::function<void()>& Work) {
    Execute(std::u16string(), Work);
}

void TForm1::Execute(std::u16string Caption, const std::function<void()>& Work) {
    Run([&] {
        const TEditHistory::Command step(history_, std::move(Caption));
        Work();
    });
}

// The rows a step put back need not be the ones the chart's points were linked to: a row it
// brings back cannot be told from a new one, so the points have no rows until shown again.
void TForm1::Run(const std::function<void()>& Work) {
    std::u16string message;
    try {
        PointSteps.EndMove();
        Work();
        return;
    } catch (const std::bad_alloc&) {
        message = u"Out of memory";
    } catch (const std::exception& error) {
        message = Utf8ToUtf16(error.what());
    }
    Desktop.MessageDlg(TMsgDlgType::mtError, TMsgDlgButtons::mbOK, ErrorBoxText(message));
}

void TForm1::acOPenProfileExecute() {
    const auto path = Desktop.RunOpenDialog(Dialog(kProfileFilter, u"Load Ulmaro sound profile"));
    if (path) {
        OpenProfileFile(*path);
    }
}

void TForm1::OpenProfileFile(const std::filesystem::path& FileName) {
    history_.NameCommand(CommandOf(TCommandId::OpenProfile).Caption);
    RememberFolder(FileName);
    lbFilename.SetText(BareFileName(FileName));
    history_.TakeTable();
    history_.TakeProfileRows();
    EmptySoundProfil(CurrentSoundProfil);
    LoadSoundProfil(FileName, CurrentSoundProfil);
    ShowProfile();
    history_.MarkSaved();
}

bool TForm1::SortAndReadTable() {
    acSortExecute();

    std::vector<std::vector<float>> rows;
    const bool converted = GridToProfileRows(StringGrid1, 1, 2, rows);
    return KeepTableRows(std::move(rows), converted, kTableInvalidOrEmptyText);
}

bool TForm1::KeepTableRows(std::vector<std::vector<float>> Rows, bool Converted,
                           const char16_t* Refusal) {
    boNumericDataok = Converted;
    history_.TakeProfileRows();
    CurrentSoundProfil.xyData = std::move(Rows);
    if (!boNumericDataok) {
        Desktop.MessageDlg(TMsgDlgType::mtError, TMsgDlgButtons::mbOK, Refusal);
    }
    return boNumericDataok;
}

void TForm1::acSaveProfileExecute() {
    if (!SortAndReadTable()) {
        return;
    }
    CurrentSoundProfil.iVers = SoundProfilVersion;
    CurrentSoundProfil.stName = Edit1.Text();
    if (CurrentSoundProfil.stName.size() < 2 &&
        Desktop.MessageDlg(TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNo,
                           u"Sound profile Name missed. Continue?") != TModalResult::mrYes) {
        return;
    }

    const auto path =
        Desktop.RunSaveDialog(Dialog(kProfileFilter, u"Save as Ulmaro sound profile", u".ump"));
    if (!path) {
        return;
    }
    RememberFolder(*path);
    lbFilename.SetText(BareFileName(*path));
    SaveSoundProfil(*path, CurrentSoundProfil);
    history_.MarkSaved();
    Desktop.MessageDlg(TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK,
                       u"Sound Profile saved: " + PathToUtf16(*path));
}

void TForm1::acImportExecute() {
    const auto path = Desktop.RunOpenDialog(Dialog(u"All|*.*", u"Import sound profile (ASCII)"));
    if (path) {
        ImportAsciiFile(*path);
    }
}

void TForm1::ImportAsciiFile(const std::filesystem::path& FileName) {
    history_.NameCommand(CommandOf(TCommandId::Import).Caption);
    std::error_code error;
    if (!std::filesystem::exists(FileName, error)) {
        return;
    }
    RememberFolder(FileName);
    lbFilename.SetText(BareFileName(FileName));

    const char16_t delimiter = DetectDelimiter(FileName);
    if (delimiter == u'-') {
        Desktop.MessageDlg(TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK,
                           u"Data delemiter char invalid. Function disabled");
        return;
    }
    // A file without a data line would show the previous series again as if it had been read
    // from this one: it is refused like a file that does not read.
    TDatentyp imported;
    std::u16string header;
    if (!ImportAsciiProfile(FileName, imported, delimiter, header) ||
        imported.DatenXYZ[1].empty()) {
        Desktop.MessageDlg(TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK, u"File invalid.");
        return;
    }
    ShowImported(std::move(imported));
    Edit1.SetText(u"?");
    history_.MarkSaved();
}

void TForm1::acCloseExecute() {
    Desktop.CloseMainWindow();
}

void TForm1::acClearExecute() {
    history_.TakeTable();
    {
        TGridUpdateScope update(StringGrid1);
        ClearTable();
        // Without their index texts the cleared rows count as empty, like the blank rows of
        // Insert and Append: a row the user leaves empty goes at the next Update / Sort.
        for (int32_t row = 1; row < StringGrid1.RowCount(); ++row) {
            StringGrid1.SetCells(0, row, u"");
        }
    }
    Edit1.SetText(u"?");
    history_.TakeSeries();
    Series1.Empty();
    lbFilename.SetText(u"");
    history_.MarkSaved();
}

void TForm1::acAppendExecute() {
    // The row appended shows the texts a removed row left behind; the command adds an empty one,
    // so that a deleted point can never come back through it.
    TGridUpdateScope update(StringGrid1);
    AppendGridRow(StringGrid1);
    const int32_t row = StringGrid1.RowCount() - 1;
    for (int32_t col = 0; col < StringGrid1.ColCount(); ++col) {
        StringGrid1.SetCells(col, row, u"");
    }
}

void TForm1::acDelRowExecute() {
    DeleteGridRow(frowindex, StringGrid1);
}

void TForm1::acInsertExecute() {
    InsertGridRow(frowindex, StringGrid1);
}

void TForm1::acSortExecute() {
    if (ReadTable()) {
        // The name field keeps what the user typed: Save takes it right after this step.
        ShowRows();
    }
}

bool TForm1::ReadTable() {
    history_.TakeTable();
    std::vector<std::vector<float>> rows;
    const bool converted = ReadSortedGrid(StringGrid1, rows);
    return KeepTableRows(std::move(rows), converted, kTableInvalidText);
}

void TForm1::acInfoExecute() {
    Desktop.MessageDlg(TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK,
                       u"Marvek Engineering Germany\r\nSound profil editor for RTA software "
                       u"Ulmaro\r\nVer. " +
                           FileVersionText(Desktop.ExecutablePath()));
}

void TForm1::ShowProfile() {
    ShowRows();
    Edit1.SetText(CurrentSoundProfil.stName);
}

void TForm1::ShowRows() {
    const std::vector<std::vector<float>>& rows = CurrentSoundProfil.xyData;
    ProfileRowsToGrid(rows, StringGrid1, 1, 2);

    // A row read from a file may hold fewer than two values: the table shows what it has, the
    // chart only takes complete points.
    history_.TakePoints();
    std::vector<float>& freqs = KorrDataTemp.DatenXYZ[0];
    std::vector<float>& gains = KorrDataTemp.DatenXYZ[1];
    freqs.clear();
    gains.clear();
    freqs.reserve(rows.size());
    gains.reserve(rows.size());
    std::vector<int32_t> shownRows; // point k came from table row shownRows[k]
    shownRows.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].size() >= 2) {
            freqs.push_back(rows[i][0]);
            gains.push_back(rows[i][1]);
            shownRows.push_back(static_cast<int32_t>(i + 1));
        }
    }
    ShowPoints(KorrDataTemp);
    ChartRows.Link(KorrDataTemp, std::move(shownRows));
}

void TForm1::ShowImported(TDatentyp&& Points) {
    history_.TakeTable();
    history_.TakePoints();
    KorrDataTemp.DatenXYZ[0] = std::move(Points.DatenXYZ[0]);
    KorrDataTemp.DatenXYZ[1] = std::move(Points.DatenXYZ[1]);
    ShowPoints(KorrDataTemp);
    ShowImportedData(KorrDataTemp);
}

void TForm1::ShowPoints(const TDatentyp& Series) {
    history_.TakeSeries();
    ShowAllPoints(Series, Series1, u"");
}

TFileDialogSettings TForm1::Dialog(std::u16string Filter, std::u16string Title,
                                   std::u16string DefaultExt) const {
    return {std::move(Filter), std::move(Title), std::move(DefaultExt), lastFolder_};
}

void TForm1::RememberFolder(const std::filesystem::path& FileName) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(FileName, error);
    lastFolder_ = (error ? FileName : full).parent_path();
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
    ImportedPointsToGrid(freqs, gains, StringGrid1);
    // The imports show the points first: now point k has its row k + 1.
    std::vector<int32_t> shownRows(std::min(freqs.size(), gains.size()));
    std::iota(shownRows.begin(), shownRows.end(), 1);
    ChartRows.Link(Series, std::move(shownRows));
}

void TForm1::StringGrid1SelectCell(int32_t /*ACol*/, int32_t ARow) {
    frowindex = ARow;
}
