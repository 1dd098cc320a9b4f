#include "point_commands.h"

#include <cmath>

#include "main_f.h"
#include "number_text.h"
#include "point_edit.h"

namespace {

constexpr int32_t kFreqCol = 1;
constexpr int32_t kGainCol = 2;
constexpr char16_t kMoveCaption[] = u"Move point";
constexpr char16_t kAddCaption[] = u"Add point";
constexpr char16_t kDeleteCaption[] = u"Delete point";

// Two floats, bit for bit alike: a step is made only when a value really changed.
bool Same(double A, double B) {
    return A == B || (std::isnan(A) && std::isnan(B));
}

} // namespace

TPointSteps::TPointSteps(TForm1& Form, TEditHistory& History) : form_(Form), history_(History) {}

TPointSteps::~TPointSteps() {
    if (open_) {
        Close(true);
    }
}

std::u16string TPointSteps::Refusal(std::size_t Point) const {
    const TLineSeries& series = form_.Series1;
    const std::optional<int32_t> row = form_.ChartRows.RowOf(Point);
    if (!row || Point >= series.Count()) {
        return kRowUnknownNote;
    }
    const TStringGrid& grid = form_.StringGrid1;
    if (!RowReadsAs(grid.Cells(kFreqCol, *row), grid.Cells(kGainCol, *row), series.XValues()[Point],
                    series.YValues()[Point], UserNotation)) {
        return kRowUnknownNote;
    }
    return {};
}

std::optional<std::size_t> TPointSteps::MovingPoint() const {
    return open_ ? std::optional<std::size_t>(open_->Point) : std::nullopt;
}

bool TPointSteps::Begin(std::size_t Point) {
    if (open_ && open_->Point == Point) {
        return true;
    }
    if (open_) {
        Close(true);
    }
    if (!Refusal(Point).empty()) {
        return false;
    }
    const int32_t row = *form_.ChartRows.RowOf(Point);
    const TStringGrid& grid = form_.StringGrid1;
    const TLineSeries& series = form_.Series1;
    open_.emplace();
    open_->Point = Point;
    open_->Row = row;
    open_->FromX = series.XValues()[Point];
    open_->FromY = series.YValues()[Point];
    open_->FreqCell = grid.CellValue(kFreqCol, row);
    open_->GainCell = grid.CellValue(kGainCol, row);
    open_->Step.emplace(history_, kMoveCaption);
    return true;
}

bool TPointSteps::BeginMove(std::size_t Point) {
    if (open_) {
        Close(true); // a key run ends where a drag starts
    }
    return Begin(Point);
}

void TPointSteps::Set(double Hz, double Db) {
    const TLineSeries& series = form_.Series1;
    const std::size_t point = open_->Point;
    const bool newX = !Same(series.XValues()[point], Hz);
    const bool newY = !Same(series.YValues()[point], Db);
    if (!newX && !newY) {
        return;
    }
    const char16_t separator = UserNotation.DecimalSeparator;
    TStringGrid& grid = form_.StringGrid1;
    if (newX) {
        grid.SetNumberCell(kFreqCol, open_->Row, static_cast<float>(Hz), separator);
    }
    if (newY) {
        grid.SetNumberCell(kGainCol, open_->Row, static_cast<float>(Db), separator);
    }
    form_.Series1.MovePoint(point, Hz, Db);
}

void TPointSteps::MoveTo(double Hz, double Db, bool Frequency) {
    if (!open_) {
        return;
    }
    const TLineSeries& series = form_.Series1;
    const double x = Frequency ? FrequencyBetween(series.XValues(), open_->Point, Hz)
                               : series.XValues()[open_->Point];
    Set(x, DrawnGain(Db));
}

bool TPointSteps::Nudge(std::size_t Point, bool Up, bool Large) {
    if (!Begin(Point)) {
        return false;
    }
    const TLineSeries& series = form_.Series1;
    Set(series.XValues()[Point], NudgedGain(series.YValues()[Point], Up, Large));
    return true;
}

void TPointSteps::EndMove() {
    if (open_) {
        Close(true);
    }
}

void TPointSteps::CancelMove() {
    if (open_) {
        Close(false);
    }
}

void TPointSteps::Close(bool Keep) {
    TOpen& open = *open_;
    const TLineSeries& series = form_.Series1;
    const double x = series.XValues()[open.Point];
    const double y = series.YValues()[open.Point];
    const bool changed = !Same(x, open.FromX) || !Same(y, open.FromY);
    if (!Keep || !changed) {
        // The cells as they were, texts and all, so that the history sees no change.
        TStringGrid& grid = form_.StringGrid1;
        grid.SetCellValue(kFreqCol, open.Row, open.FreqCell);
        grid.SetCellValue(kGainCol, open.Row, open.GainCell);
        if (changed) {
            form_.Series1.MovePoint(open.Point, open.FromX, open.FromY);
        }
    }
    const TChange change{TKind::Move, open.Point, open.Row, open.FromX, open.FromY, x, y};
    open_.reset(); // ends the step
    if (Keep && changed) {
        Record(change);
    }
}

bool TPointSteps::Delete(std::size_t Point) {
    EndMove();
    if (!Refusal(Point).empty()) {
        return false;
    }
    const TLineSeries& series = form_.Series1;
    const TChange change{TKind::Delete,
                         Point,
                         *form_.ChartRows.RowOf(Point),
                         series.XValues()[Point],
                         series.YValues()[Point],
                         0,
                         0};
    bool done = false;
    form_.Execute(kDeleteCaption, [&] {
        Apply(change, true, true);
        done = true;
    });
    if (done) {
        Record(change);
    }
    return true;
}

std::u16string TPointSteps::Add(double Hz, double Db) {
    EndMove();
    const TLineSeries& series = form_.Series1;
    const double x = DrawnFrequency(Hz);
    const double y = DrawnGain(Db);
    const std::optional<std::size_t> index = NewPointIndex(series.XValues(), x);
    if (!index) {
        return u"A point at " + FormatGeneral(x, UserNotation) + u" Hz exists already";
    }
    const std::optional<int32_t> row = NewPointRow(form_.ChartRows, *index, series.Count());
    if (!row) {
        return kRowUnknownNote;
    }
    const TChange change{TKind::Add, *index, *row, x, y, 0, 0};
    bool done = false;
    form_.Execute(kAddCaption, [&] {
        Apply(change, true, true);
        done = true;
    });
    if (done) {
        Record(change);
    }
    return {};
}

// Forward does the change, otherwise it is taken back. The table is changed only while the step
// runs: Undo and Redo restore it themselves, before the series and the link follow here.
void TPointSteps::Apply(const TChange& Change, bool Forward, bool Table) {
    TLineSeries& series = form_.Series1;
    TStringGrid& grid = form_.StringGrid1;
    switch (Change.Kind) {
    case TKind::Move:
        series.MovePoint(Change.Point, Forward ? Change.ToX : Change.FromX,
                         Forward ? Change.ToY : Change.FromY);
        break;
    case TKind::Add:
    case TKind::Delete:
        if (Forward == (Change.Kind == TKind::Delete)) {
            if (Table) {
                DeleteGridRow(Change.Row, grid);
            }
            series.ErasePoint(Change.Point);
            form_.ChartRows.ErasePoint(Change.Point);
        } else {
            if (Table) {
                const char16_t separator = UserNotation.DecimalSeparator;
                InsertGridRow(Change.Row, grid);
                grid.SetNumberCell(kFreqCol, Change.Row, static_cast<float>(Change.FromX),
                                   separator);
                grid.SetNumberCell(kGainCol, Change.Row, static_cast<float>(Change.FromY),
                                   separator);
                grid.SelectCell(kGainCol, Change.Row);
            }
            series.InsertPoint(Change.Point, Change.FromX, Change.FromY);
            form_.ChartRows.InsertPoint(Change.Point, Change.Row);
        }
        break;
    }
}

void TPointSteps::Record(const TChange& Change) {
    undone_.clear();
    done_.push_back(Change);
    Trim();
}

void TPointSteps::Trim() {
    while (done_.size() > history_.UndoCount()) {
        done_.pop_front();
    }
    while (undone_.size() > history_.RedoCount()) {
        undone_.pop_front();
    }
}

bool TPointSteps::Undone(const std::u16string& Caption) {
    return Replay(Caption, done_, undone_, false);
}

bool TPointSteps::Redone(const std::u16string& Caption) {
    return Replay(Caption, undone_, done_, true);
}

bool TPointSteps::Replay(const std::u16string& Caption, std::deque<TChange>& From,
                         std::deque<TChange>& To, bool Forward) {
    if ((Caption != kMoveCaption && Caption != kAddCaption && Caption != kDeleteCaption) ||
        From.empty()) {
        return false;
    }
    const TChange change = From.back();
    From.pop_back();
    To.push_back(change);
    Apply(change, Forward, false);
    Trim();
    return true;
}
