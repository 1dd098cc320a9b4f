#pragma once
// The steps of drawing on the chart: a point moved with the mouse or the keys ("Move point"), a
// point added ("Add point") and a point deleted ("Delete point"). Each changes the point's row
// in the table, the chart's series and the link between them, and Undo and Redo take back and
// do again all three. The chart's view calls these; the decisions are in point_edit.h.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "edit_history.h"
#include "uStringgrid_VCL.h"

class TForm1;

// The readout's note when a point's row cannot be told: its texts no longer read as the point
// or it is gone.
inline constexpr char16_t kRowUnknownNote[] = u"Update / Sort first";

class TPointSteps {
public:
    TPointSteps(TForm1& Form, TEditHistory& History);
    TPointSteps(const TPointSteps&) = delete;
    TPointSteps& operator=(const TPointSteps&) = delete;
    // An open move ends as if released.
    ~TPointSteps();

    // Empty when point `Point` may be moved or deleted, else the note why not.
    std::u16string Refusal(std::size_t Point) const;

    // A drag of point `Point`: false, nothing begun, when Refusal has a note. MoveTo takes the
    // pointer's values: the gain always, the frequency too with `Frequency`, each rounded and
    // the frequency kept between the neighbours; the row's cells follow at once. EndMove makes
    // one step "Move point" when the point's values changed; CancelMove puts back the point and
    // its cells and makes no step.
    bool BeginMove(std::size_t Point);
    void MoveTo(double Hz, double Db, bool Frequency);
    void EndMove();
    void CancelMove();
    bool Moving() const { return open_.has_value(); }
    std::optional<std::size_t> MovingPoint() const;

    // One key press on point `Point`: its gain 0.1 dB (Large: 1 dB) up or down. Presses on one
    // point join one step "Move point" until EndMove or a press on another point. False, nothing
    // changed, when Refusal has a note.
    bool Nudge(std::size_t Point, bool Up, bool Large);

    // Deletes the point and its row: one step "Delete point". False when Refusal has a note.
    bool Delete(std::size_t Point);

    // Adds a point at Hz, Db (rounded) and its row where Insert row would put it: one step
    // "Add point". Empty when added, else the note why not (a point has that frequency, or the
    // neighbours' rows are not known).
    std::u16string Add(double Hz, double Db);

    // The form took back (Undone) or did again (Redone) a step with this caption: the series and
    // the link follow when it is one of these. False when it is none of them.
    bool Undone(const std::u16string& Caption);
    bool Redone(const std::u16string& Caption);

private:
    enum class TKind { Move, Add, Delete };
    // What a step changed beside the table, which the history restores by itself.
    struct TChange {
        TKind Kind = TKind::Move;
        std::size_t Point = 0;
        int32_t Row = 0;
        double FromX = 0, FromY = 0; // Move: before; Add, Delete: the point
        double ToX = 0, ToY = 0;
    };
    // No member initializers: emplace() value-initializes it, and clang does not count a nested
    // struct with them as default-constructible inside its enclosing class.
    struct TOpen {
        std::size_t Point;
        int32_t Row;
        double FromX, FromY;
        TCellValue FreqCell, GainCell; // as before the move
        std::optional<TEditHistory::Command> Step;
    };

    bool Begin(std::size_t Point);
    void Set(double Hz, double Db);
    void Close(bool Keep);
    void Apply(const TChange& Change, bool Forward, bool Table);
    void Record(const TChange& Change);
    // Undone and Redone: the newest change of From, when Caption is one of these steps', goes to
    // To and is applied (Forward: done again).
    bool Replay(const std::u16string& Caption, std::deque<TChange>& From, std::deque<TChange>& To,
                bool Forward);
    // Forgets changes of steps the history no longer holds.
    void Trim();

    TForm1& form_;
    TEditHistory& history_;
    std::optional<TOpen> open_;
    std::deque<TChange> done_;
    std::deque<TChange> undone_;
};
