#include "edit_history.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "number_text.h"

namespace {

// Floats compare by their bits: a NaN is the same NaN, -0 is not 0.
bool SameBits(const std::vector<float>& A, const std::vector<float>& B) {
    return A.size() == B.size() &&
           (A.empty() || std::memcmp(A.data(), B.data(), A.size() * sizeof(float)) == 0);
}

bool SameBits(const std::vector<double>& A, const std::vector<double>& B) {
    return A.size() == B.size() &&
           (A.empty() || std::memcmp(A.data(), B.data(), A.size() * sizeof(double)) == 0);
}

template <class T> std::size_t HeapOf(const std::vector<T>& V) {
    return V.capacity() * sizeof(T);
}

std::size_t HeapOf(const std::u16string& S) {
    return S.capacity() * sizeof(char16_t);
}

} // namespace

TEditHistory::TEditHistory(TEditedState State, std::size_t MaxSteps, std::size_t MaxBytes)
    : state_(State), maxSteps_(MaxSteps), maxBytes_(MaxBytes) {
    gridSub_ = state_.Grid.Edits.Subscribe([this](const TGridEdit& Edit) { OnGrid(Edit); });
    nameSub_ = state_.Name.Edits.Subscribe(
        [this](const std::u16string& Old) { OnField(OpKind::Name, Old); });
    labelSub_ = state_.FileLabel.Edits.Subscribe(
        [this](const std::u16string& Old) { OnField(OpKind::FileLabel, Old); });
}

TEditHistory::Command::Command(TEditHistory& History, std::u16string Caption) : history_(History) {
    history_.BeginCommand(std::move(Caption));
}

TEditHistory::Command::~Command() {
    history_.EndCommand();
}

void TEditHistory::ChangeNotation(int32_t FirstCol, int32_t LastCol, char16_t Old, char16_t New,
                                  const std::function<void()>& Rewrite) {
    const Mode was = mode_;
    mode_ = Mode::Restoring;
    try {
        Rewrite();
    } catch (...) {
        // The grid is half rewritten: the steps no longer fit it.
        mode_ = was;
        if (was == Mode::Command) {
            lost_ = true;
        } else {
            Lose();
        }
        throw;
    }
    mode_ = was;
    run_ = Run::None;
    const NumberNotation from{Old};
    const auto change = [&](Step& S) {
        for (Op& op : S.ops) {
            if (op.kind != OpKind::Cell || op.a < FirstCol || op.a > LastCol) {
                continue;
            }
            if (op.isNumber) {
                if (op.separator == Old) {
                    op.separator = New;
                }
            } else if (const std::size_t at = SeparatorToChange(TextOf(S, op), from);
                       at != std::u16string_view::npos) {
                S.texts[op.offset + at] = New;
            }
        }
    };
    const int32_t firstRow = state_.Grid.FixedRows();
    const auto changeAll = [&](Step& S) {
        change(S);
        if (S.table) {
            TStringGrid::ChangeNotation(*S.table, firstRow, FirstCol, LastCol, Old, New);
        }
    };
    for (std::deque<Step>* steps : {&done_, &undone_}) {
        for (Step& S : *steps) {
            changeAll(S);
        }
    }
    if (current_) {
        changeAll(*current_);
    }
}

void TEditHistory::NameCommand(const std::u16string& Caption) {
    if (mode_ == Mode::Command && current_->caption.empty()) {
        current_->caption = Caption;
    }
}

void TEditHistory::TakeProfileRows() {
    if (mode_ != Mode::Command || current_->rows) {
        return;
    }
    current_->rows = Flatten(state_.Profile.xyData);
    state_.Profile.xyData.clear();
}

void TEditHistory::TakeTable() {
    if (mode_ != Mode::Command || current_->table) {
        return;
    }
    current_->table = state_.Grid.TakeContent();
}

void TEditHistory::TakePoints() {
    if (mode_ != Mode::Command || current_->freqs) {
        return;
    }
    current_->freqs = std::move(state_.Points.DatenXYZ[0]);
    current_->gains = std::move(state_.Points.DatenXYZ[1]);
    state_.Points.DatenXYZ[0].clear();
    state_.Points.DatenXYZ[1].clear();
}

void TEditHistory::TakeSeries() {
    if (mode_ != Mode::Command || current_->series) {
        return;
    }
    TSeriesPoints points;
    state_.Series.SwapPoints(points);
    current_->seriesCount = points.X.size();
    current_->series = Compact(std::move(points));
}

std::u16string TEditHistory::UndoText() const {
    return done_.empty() ? std::u16string() : done_.back().caption;
}

std::u16string TEditHistory::RedoText() const {
    return undone_.empty() ? std::u16string() : undone_.back().caption;
}

void TEditHistory::Undo() {
    if (done_.empty()) {
        return;
    }
    run_ = Run::None;
    try {
        Restore(done_.back(), true);
        undone_.push_back(std::move(done_.back()));
    } catch (...) {
        Lose();
        throw;
    }
    done_.pop_back();
    // The step holds the other side now, which may be larger.
    Limit(Side::Undone);
    Tell();
}

void TEditHistory::Redo() {
    if (undone_.empty()) {
        return;
    }
    run_ = Run::None;
    try {
        Restore(undone_.back(), false);
        done_.push_back(std::move(undone_.back()));
    } catch (...) {
        Lose();
        throw;
    }
    undone_.pop_back();
    Limit(Side::Done);
    Tell();
}

void TEditHistory::Clear() {
    baseId_ = StateId();
    done_.clear();
    undone_.clear();
    bytes_ = 0;
    run_ = Run::None;
    lost_ = false;
    Tell();
}

void TEditHistory::Lose() {
    Clear();
    baseId_ = nextId_++;
}

void TEditHistory::MarkSaved() {
    if (mode_ == Mode::Command) {
        markAtEnd_ = true;
        return;
    }
    savedId_ = StateId();
    // Typing on from here is a change of the saved state, not more of the step that led to it.
    run_ = Run::None;
}

bool TEditHistory::IsModified() const {
    return lost_ || StateId() != savedId_;
}

void TEditHistory::Tell() const {
    if (OnChange) {
        OnChange();
    }
}

std::size_t TEditHistory::Bytes() const {
    return bytes_;
}

void TEditHistory::OnGrid(const TGridEdit& Edit) {
    try {
        switch (mode_) {
        case Mode::Restoring:
            return;
        case Mode::Command:
            // A table taken whole is put back whole: its changes need no log.
            if (Edit.Kind != TGridEditKind::CurrentCell && !current_->table) {
                Record(*current_, Edit);
            }
            return;
        case Mode::Idle:
            if (Edit.Kind == TGridEditKind::CurrentCell) {
                run_ = Run::None;
            } else if (Edit.Kind == TGridEditKind::CellText) {
                Typed(Run::Cell, Edit.A, Edit.B, &Edit, nullptr);
            } else {
                run_ = Run::None;
                Step step = NewStep(u"Typing");
                Record(step, Edit);
                Push(std::move(step));
            }
            return;
        }
    } catch (...) {
        // The grid has changed already; a history that missed it cannot restore exactly.
        lost_ = true;
        if (mode_ == Mode::Idle) {
            Lose();
        }
    }
}

void TEditHistory::OnField(OpKind Kind, const std::u16string& Old) {
    try {
        switch (mode_) {
        case Mode::Restoring:
            return;
        case Mode::Command:
            Record(*current_, Kind, Old);
            return;
        case Mode::Idle:
            Typed(Kind == OpKind::Name ? Run::Name : Run::FileLabel, 0, 0, nullptr, &Old);
            return;
        }
    } catch (...) {
        lost_ = true;
        if (mode_ == Mode::Idle) {
            Lose();
        }
    }
}

void TEditHistory::Typed(Run Kind, int32_t Col, int32_t Row, const TGridEdit* Edit,
                         const std::u16string* Old) {
    if (run_ == Kind && runCol_ == Col && runRow_ == Row && !done_.empty()) {
        // The run goes on: its step keeps the text from before the run. Typed back to that text,
        // the run has changed nothing.
        if (TypedBack(done_.back())) {
            bytes_ -= done_.back().bytes;
            done_.pop_back();
            run_ = Run::None;
            Tell();
        }
        return;
    }
    run_ = Run::None;
    Step step = NewStep(u"Typing");
    if (Edit) {
        Record(step, *Edit);
    } else {
        Record(step, Kind == Run::Name ? OpKind::Name : OpKind::FileLabel, *Old);
    }
    Push(std::move(step));
    run_ = Kind;
    runCol_ = Col;
    runRow_ = Row;
    Tell();
}

bool TEditHistory::TypedBack(const Step& S) const {
    const Op& op = S.ops.front();
    switch (op.kind) {
    case OpKind::Cell: {
        const TCellValue old = ValueOf(S, op);
        const std::u16string& now = state_.Grid.Cells(op.a, op.b);
        return old.IsNumber ? now == FormatGeneral(old.Number, NumberNotation{old.Separator})
                            : now == old.Text;
    }
    case OpKind::Name:
        return state_.Name.Text() == TextOf(S, op);
    case OpKind::FileLabel:
        return state_.FileLabel.Text() == TextOf(S, op);
    default:
        return false;
    }
}

void TEditHistory::Record(Step& S, const TGridEdit& Edit) {
    Op op;
    op.a = Edit.A;
    op.b = Edit.B;
    switch (Edit.Kind) {
    case TGridEditKind::CellText:
        op.kind = OpKind::Cell;
        if (Edit.Old->IsNumber) {
            op.isNumber = true;
            op.number = Edit.Old->Number;
            op.separator = Edit.Old->Separator;
        } else {
            PutText(S, op, Edit.Old->Text);
        }
        break;
    case TGridEditKind::RowCount:
        op.kind = OpKind::RowCount;
        break;
    case TGridEditKind::RowsSwapped:
        op.kind = OpKind::RowsSwapped;
        break;
    case TGridEditKind::RowMoved:
        op.kind = OpKind::RowMoved;
        break;
    case TGridEditKind::CurrentCell:
        return;
    }
    S.ops.push_back(op);
}

void TEditHistory::Record(Step& S, OpKind Kind, const std::u16string& Old) {
    Op op;
    op.kind = Kind;
    PutText(S, op, Old);
    S.ops.push_back(op);
}

void TEditHistory::PutText(Step& S, Op& O, std::u16string_view Text) {
    if (Text.size() > std::numeric_limits<uint32_t>::max() - S.texts.size()) {
        throw std::bad_alloc();
    }
    O.offset = static_cast<uint32_t>(S.texts.size());
    O.length = static_cast<uint32_t>(Text.size());
    S.texts.append(Text);
}

std::u16string_view TEditHistory::TextOf(const Step& S, const Op& O) {
    return std::u16string_view(S.texts).substr(O.offset, O.length);
}

TCellValue TEditHistory::ValueOf(const Step& S, const Op& O) {
    if (O.isNumber) {
        return {{}, O.number, O.separator, true};
    }
    return {std::u16string(TextOf(S, O)), 0, 0, false};
}

TEditHistory::Step TEditHistory::NewStep(std::u16string Caption) const {
    Step step;
    step.caption = std::move(Caption);
    step.colBefore = step.colAfter = state_.Grid.Col();
    step.rowBefore = step.rowAfter = state_.Grid.Row();
    step.rowCountBefore = state_.Grid.RowCount();
    step.name = state_.Profile.stName;
    step.version = state_.Profile.iVers;
    step.numericOk = state_.NumericOk;
    return step;
}

void TEditHistory::BeginCommand(std::u16string Caption) {
    current_ = NewStep(std::move(Caption));
    run_ = Run::None;
    mode_ = Mode::Command;
}

void TEditHistory::EndCommand() noexcept {
    mode_ = Mode::Idle;
    Step step = std::move(*current_);
    current_.reset();
    const bool mark = std::exchange(markAtEnd_, false);
    if (lost_) {
        Lose();
        return;
    }
    try {
        if (Changed(step)) {
            step.colAfter = state_.Grid.Col();
            step.rowAfter = state_.Grid.Row();
            Push(std::move(step));
            Tell();
        }
    } catch (...) {
        Lose();
        return;
    }
    if (mark) {
        savedId_ = StateId();
    }
}

// Whether the state differs from before the step. Kept fields that came out the same are let go.
bool TEditHistory::Changed(Step& S) {
    bool changed = S.name != state_.Profile.stName || S.version != state_.Profile.iVers ||
                   S.numericOk != state_.NumericOk;
    if (S.table) {
        if (state_.Grid.SameContent(*S.table)) {
            S.table.reset();
        } else {
            changed = true;
        }
    }
    if (S.rows) {
        const Rows& rows = *S.rows;
        const std::vector<std::vector<float>>& now = state_.Profile.xyData;
        bool same = rows.Count == now.size();
        std::size_t at = 0;
        for (std::size_t r = 0; same && r < now.size(); ++r) {
            const std::size_t size = rows.Sizes.empty() ? 2 : rows.Sizes[r];
            same = size == now[r].size() &&
                   (size == 0 ||
                    std::memcmp(&rows.Values[at], now[r].data(), size * sizeof(float)) == 0);
            at += size;
        }
        if (same) {
            S.rows.reset();
        }
        changed = changed || !same;
    }
    if (S.freqs) {
        if (SameBits(*S.freqs, state_.Points.DatenXYZ[0]) &&
            SameBits(*S.gains, state_.Points.DatenXYZ[1])) {
            S.freqs.reset();
            S.gains.reset();
        } else {
            changed = true;
        }
    }
    if (S.series) {
        const TSeriesPoints& old = *S.series;
        const TLineSeries& now = state_.Series;
        const auto labelsSame = [&] {
            if (!old.Labels.empty()) {
                return old.Labels == now.Labels();
            }
            return std::all_of(now.Labels().begin(), now.Labels().end(),
                               [](const std::u16string& label) { return label.empty(); });
        };
        const auto colorsSame = [&] {
            if (!old.Colors.empty()) {
                return old.Colors == now.Colors();
            }
            return std::all_of(now.Colors().begin(), now.Colors().end(),
                               [](TColor color) { return color == TLineSeries::Color; });
        };
        if (S.seriesCount == now.Count() && SameBits(old.X, now.XValues()) &&
            SameBits(old.Y, now.YValues()) && old.Title == now.Title() && labelsSame() &&
            colorsSame()) {
            S.series.reset();
        } else {
            changed = true;
        }
    }
    if (changed || state_.Grid.RowCount() != S.rowCountBefore) {
        return true;
    }
    // Rows exchanged or moved always show: the commands move rows only to put them in another
    // order. Cells and fields changed when their first recorded text differs from the present.
    std::vector<std::vector<bool>> seen;
    bool nameSeen = false;
    bool labelSeen = false;
    for (const Op& op : S.ops) {
        switch (op.kind) {
        case OpKind::RowsSwapped:
        case OpKind::RowMoved:
            return true;
        case OpKind::RowCount:
            break;
        case OpKind::Cell: {
            const auto col = static_cast<std::size_t>(op.a);
            const auto row = static_cast<std::size_t>(op.b);
            if (seen.size() <= col) {
                seen.resize(col + 1);
            }
            if (seen[col].size() <= row) {
                seen[col].resize(std::max(row + 1, seen[col].size() * 2));
            }
            if (!seen[col][row]) {
                seen[col][row] = true;
                const std::u16string& now = state_.Grid.Cells(op.a, op.b);
                const bool same =
                    op.isNumber ? now == FormatGeneral(op.number, NumberNotation{op.separator})
                                : now == TextOf(S, op);
                if (!same) {
                    return true;
                }
            }
            break;
        }
        case OpKind::Name:
        case OpKind::FileLabel: {
            bool& fieldSeen = op.kind == OpKind::Name ? nameSeen : labelSeen;
            const TTextField& field = op.kind == OpKind::Name ? state_.Name : state_.FileLabel;
            if (!fieldSeen) {
                fieldSeen = true;
                if (field.Text() != TextOf(S, op)) {
                    return true;
                }
            }
            break;
        }
        }
    }
    return false;
}

void TEditHistory::Push(Step&& S) {
    Shrink(S);
    S.bytes = SizeOf(S);
    S.id = nextId_++;
    for (const Step& s : undone_) {
        bytes_ -= s.bytes;
    }
    undone_.clear();
    done_.push_back(std::move(S));
    bytes_ += done_.back().bytes;
    Limit(Side::Done);
}

// Each side is a chain from the present outward, so only its far end can go: the redo step
// taken back first, the undo step done first. The newest step stays even when it alone is over
// the limit.
void TEditHistory::Limit(Side Kept) {
    while (done_.size() + undone_.size() > maxSteps_ ||
           (bytes_ > maxBytes_ && done_.size() + undone_.size() > 1)) {
        if (undone_.size() > (Kept == Side::Undone ? 1u : 0u)) {
            bytes_ -= undone_.front().bytes;
            undone_.pop_front();
        } else if (done_.size() > (Kept == Side::Done ? 1u : 0u)) {
            baseId_ = done_.front().id;
            bytes_ -= done_.front().bytes;
            done_.pop_front();
        } else {
            break;
        }
    }
}

void TEditHistory::Restore(Step& S, bool Back) {
    struct Restoring {
        explicit Restoring(Mode& M) : mode(M) { mode = Mode::Restoring; }
        ~Restoring() { mode = Mode::Idle; }
        Mode& mode;
    } restoring(mode_);

    Unshrink(S);
    TStringGrid& grid = state_.Grid;
    // The step's texts are written anew: each op now holds the other side.
    std::u16string texts;
    const auto keep = [&](Op& op, std::u16string_view text) {
        op.offset = static_cast<uint32_t>(texts.size());
        op.length = static_cast<uint32_t>(text.size());
        texts.append(text);
    };
    const auto apply = [&](Op& op) {
        switch (op.kind) {
        case OpKind::Cell: {
            const TCellValue now = grid.CellValue(op.a, op.b);
            grid.SetCellValue(op.a, op.b, ValueOf(S, op));
            op.isNumber = now.IsNumber;
            op.number = now.Number;
            op.separator = now.Separator;
            keep(op, now.Text);
            break;
        }
        case OpKind::RowCount: {
            const int32_t now = grid.RowCount();
            grid.SetRowCount(op.a);
            op.a = now;
            break;
        }
        case OpKind::RowsSwapped:
            grid.ExchangeRows(op.a, op.b);
            break;
        case OpKind::RowMoved:
            if (Back) {
                grid.MoveRow(op.b, op.a);
            } else {
                grid.MoveRow(op.a, op.b);
            }
            break;
        case OpKind::Name:
        case OpKind::FileLabel: {
            TTextField& field = op.kind == OpKind::Name ? state_.Name : state_.FileLabel;
            std::u16string now = field.Text();
            field.SetText(std::u16string(TextOf(S, op)));
            keep(op, now);
            break;
        }
        }
    };
    {
        TGridUpdateScope update(grid);
        if (Back) {
            if (S.table) {
                grid.SwapContent(*S.table);
            }
            for (auto op = S.ops.rbegin(); op != S.ops.rend(); ++op) {
                apply(*op);
            }
        } else {
            for (Op& op : S.ops) {
                apply(op);
            }
            if (S.table) {
                grid.SwapContent(*S.table);
            }
        }
    }
    S.texts = std::move(texts);

    TSoundProfil& profile = state_.Profile;
    if (S.rows) {
        std::vector<std::vector<float>> restored = Expand(*S.rows);
        *S.rows = Flatten(profile.xyData);
        profile.xyData = std::move(restored);
    }
    if (S.freqs) {
        S.freqs->swap(state_.Points.DatenXYZ[0]);
        S.gains->swap(state_.Points.DatenXYZ[1]);
    }
    if (S.series) {
        TSeriesPoints points = std::move(*S.series);
        points.Labels.resize(S.seriesCount);
        points.Colors.resize(S.seriesCount, TLineSeries::Color);
        state_.Series.SwapPoints(points);
        S.seriesCount = points.X.size();
        S.series = Compact(std::move(points));
    }
    std::swap(S.name, profile.stName);
    std::swap(S.version, profile.iVers);
    std::swap(S.numericOk, state_.NumericOk);
    grid.SelectCell(Back ? S.colBefore : S.colAfter, Back ? S.rowBefore : S.rowAfter);
    Shrink(S);

    bytes_ -= S.bytes;
    S.bytes = SizeOf(S);
    bytes_ += S.bytes;
}

TEditHistory::Rows TEditHistory::Flatten(const std::vector<std::vector<float>>& Source) {
    Rows rows;
    rows.Count = Source.size();
    const bool pairs =
        std::all_of(Source.begin(), Source.end(), [](const auto& row) { return row.size() == 2; });
    rows.Values.reserve(Source.size() * 2);
    if (!pairs) {
        rows.Sizes.reserve(Source.size());
    }
    for (const std::vector<float>& row : Source) {
        rows.Values.insert(rows.Values.end(), row.begin(), row.end());
        if (!pairs) {
            rows.Sizes.push_back(static_cast<uint32_t>(row.size()));
        }
    }
    return rows;
}

std::vector<std::vector<float>> TEditHistory::Expand(const Rows& Source) {
    std::vector<std::vector<float>> rows(Source.Count);
    std::size_t at = 0;
    for (std::size_t r = 0; r < Source.Count; ++r) {
        const std::size_t size = Source.Sizes.empty() ? 2 : Source.Sizes[r];
        const auto first = Source.Values.begin() + static_cast<std::ptrdiff_t>(at);
        rows[r].assign(first, first + static_cast<std::ptrdiff_t>(size));
        at += size;
    }
    return rows;
}

// Labels and colours are mostly the defaults: those are not kept one by one.
TSeriesPoints TEditHistory::Compact(TSeriesPoints Points) {
    if (std::all_of(Points.Labels.begin(), Points.Labels.end(),
                    [](const std::u16string& label) { return label.empty(); })) {
        Points.Labels = std::vector<std::u16string>();
    }
    if (std::all_of(Points.Colors.begin(), Points.Colors.end(),
                    [](TColor color) { return color == TLineSeries::Color; })) {
        Points.Colors = std::vector<TColor>();
    }
    return Points;
}

// The points a profile shows are its rows with two values or more, and the series shows the points
// in order of frequency: held by a step that replaced them, they mostly are just that again.
void TEditHistory::Shrink(Step& S) {
    if (!S.freqs || S.pointsFromRows) {
        return;
    }
    const std::vector<float>& freqs = *S.freqs;
    const std::vector<float>& gains = *S.gains;
    if (S.series && !S.seriesFromPoints && S.series->Labels.empty() && S.series->Colors.empty() &&
        S.seriesCount == freqs.size() && freqs.size() == gains.size()) {
        const std::vector<double>& x = S.series->X;
        const std::vector<double>& y = S.series->Y;
        bool same = true;
        for (std::size_t i = 0; same && i < freqs.size(); ++i) {
            same = std::bit_cast<uint64_t>(x[i]) ==
                       std::bit_cast<uint64_t>(static_cast<double>(freqs[i])) &&
                   std::bit_cast<uint64_t>(y[i]) ==
                       std::bit_cast<uint64_t>(static_cast<double>(gains[i]));
        }
        if (same) {
            S.series->X = std::vector<double>();
            S.series->Y = std::vector<double>();
            S.seriesFromPoints = true;
        }
    }
    if (!S.rows || freqs.size() != gains.size()) {
        return;
    }
    const Rows& rows = *S.rows;
    std::size_t at = 0;
    std::size_t point = 0;
    for (std::size_t r = 0; r < rows.Count; ++r) {
        const std::size_t size = rows.Sizes.empty() ? 2 : rows.Sizes[r];
        if (size >= 2) {
            if (point == freqs.size() ||
                std::bit_cast<uint32_t>(rows.Values[at]) != std::bit_cast<uint32_t>(freqs[point]) ||
                std::bit_cast<uint32_t>(rows.Values[at + 1]) !=
                    std::bit_cast<uint32_t>(gains[point])) {
                return;
            }
            ++point;
        }
        at += size;
    }
    if (point == freqs.size()) {
        *S.freqs = std::vector<float>();
        *S.gains = std::vector<float>();
        S.pointsFromRows = true;
    }
}

void TEditHistory::Unshrink(Step& S) {
    if (S.pointsFromRows) {
        const Rows& rows = *S.rows;
        std::vector<float> freqs;
        std::vector<float> gains;
        freqs.reserve(rows.Count);
        gains.reserve(rows.Count);
        std::size_t at = 0;
        for (std::size_t r = 0; r < rows.Count; ++r) {
            const std::size_t size = rows.Sizes.empty() ? 2 : rows.Sizes[r];
            if (size >= 2) {
                freqs.push_back(rows.Values[at]);
                gains.push_back(rows.Values[at + 1]);
            }
            at += size;
        }
        *S.freqs = std::move(freqs);
        *S.gains = std::move(gains);
        S.pointsFromRows = false;
    }
    if (S.seriesFromPoints) {
        S.series->X.assign(S.freqs->begin(), S.freqs->end());
        S.series->Y.assign(S.gains->begin(), S.gains->end());
        S.seriesFromPoints = false;
    }
}

// A table held whole counts only with what it no longer shares with the grid.
std::size_t TEditHistory::SizeOf(const Step& S) const {
    std::size_t bytes =
        sizeof(Step) + HeapOf(S.caption) + HeapOf(S.ops) + HeapOf(S.texts) + HeapOf(S.name);
    if (S.table) {
        bytes += state_.Grid.HeldBytes(*S.table);
    }
    if (S.rows) {
        bytes += HeapOf(S.rows->Values) + HeapOf(S.rows->Sizes);
    }
    if (S.freqs) {
        bytes += HeapOf(*S.freqs) + HeapOf(*S.gains);
    }
    if (S.series) {
        const TSeriesPoints& p = *S.series;
        bytes += HeapOf(p.X) + HeapOf(p.Y) + HeapOf(p.Labels) + HeapOf(p.Colors) + HeapOf(p.Title);
        for (const std::u16string& label : p.Labels) {
            bytes += HeapOf(label);
        }
    }
    return bytes;
}
