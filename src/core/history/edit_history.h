#pragma once
// The history folder: the edit history. It may use every folder but the editor.
//
// The edit history: every step a person takes, by a command or by typing, can be taken back and
// done again, exactly, also for the texts of rows hidden behind the table's end.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "listeners.h"
#include "point_series.h"
#include "teechart_basics.h"
#include "text_field.h"
#include "uStreamSoundProfil.h"
#include "uStringgrid_VCL.h"

// The parts of the editor that a step restores.
struct TEditedState {
    TStringGrid& Grid;
    TTextField& Name;
    TTextField& FileLabel;
    TLineSeries& Series;
    TDatentyp& Points; // DatenXYZ[0] and [1]
    TSoundProfil& Profile;
    bool& NumericOk;
};

class TEditHistory {
public:
    static constexpr std::size_t DefaultMaxSteps = 100;
    static constexpr std::size_t DefaultMaxBytes = std::size_t{512} << 20;

    // Follows the grid and the two fields from now on; it must go before them.
    explicit TEditHistory(TEditedState State, std::size_t MaxSteps = DefaultMaxSteps,
                          std::size_t MaxBytes = DefaultMaxBytes);
    TEditHistory(const TEditHistory&) = delete;
    TEditHistory& operator=(const TEditHistory&) = delete;

    // Everything a command changes while it runs is one step with its caption, recorded when the
    // command ends, also by an error, and only when something differs from before.
    class Command {
    public:
        Command(TEditHistory& History, std::u16string Caption);
        ~Command();
        Command(const Command&) = delete;
        Command& operator=(const Command&) = delete;

    private:
        TEditHistory& history_;
    };
    // Gives the running command its caption when it has none yet (work run without a caption).
    void NameCommand(const std::u16string& Caption);

    // A running command calls these right before it replaces the profile's rows, the point series
    // or the chart's points as a whole: the first time in a step the history takes the old
    // content over and leaves the field empty. Outside a command they do nothing.
    void TakeProfileRows();
    void TakePoints();
    void TakeSeries();
    // A running command that replaces the table as a whole (Open, the imports, Update / Sort,
    // New) calls this before it changes the table: the first time in a step the history holds
    // the table as it stands, without copying it, and logs none of the table's changes until the
    // command ends; Undo and Redo put the whole table back. Outside a command it does nothing.
    void TakeTable();

    // A change of the number notation is no step and spoils none: Rewrite changes the grid's
    // texts from separator Old to New in the columns FirstCol..LastCol unrecorded, and the texts
    // the steps hold there (done, taken back, and of a command running now) change alike, so
    // that whatever is restored later shows in the new notation.
    void ChangeNotation(int32_t FirstCol, int32_t LastCol, char16_t Old, char16_t New,
                        const std::function<void()>& Rewrite);

    bool CanUndo() const { return !done_.empty(); }
    bool CanRedo() const { return !undone_.empty(); }
    // The caption of the step Undo or Redo would take, empty when there is none.
    std::u16string UndoText() const;
    std::u16string RedoText() const;
    // Nothing when there is no step. When restoring fails (out of memory) the history is emptied
    // and the error goes on.
    void Undo();
    void Redo();
    // Forgets every step; the state stays what it is, saved or not.
    void Clear();

    // The editor's state as it stands now, or as the running command leaves it when called
    // while a command runs, is the one saved (Open, Import, Save, New call it).
    void MarkSaved();
    // True when the state differs from the one marked: a step was done, taken back or done again
    // since, and Undo/Redo has not led back to the marked state (at start: false).
    bool IsModified() const;

    // Called whenever what Undo or Redo would do may have changed (a step recorded, taken back,
    // done again or dropped); never while a command runs. Must not change the editor.
    std::function<void()> OnChange;

    // The steps kept, taken back and the memory they hold, for the limits: together at most
    // MaxSteps, and at most MaxBytes unless a single step alone is larger.
    std::size_t UndoCount() const { return done_.size(); }
    std::size_t RedoCount() const { return undone_.size(); }
    std::size_t Bytes() const;

private:
    enum class OpKind : uint8_t { Cell, RowCount, RowsSwapped, RowMoved, Name, FileLabel };
    // One change, holding the state on its other side: before it while it is in effect, after it
    // while it is taken back.
    struct Op {
        int32_t a = 0;
        int32_t b = 0;
        float number = 0;
        uint32_t offset = 0; // the text, in the step's texts
        uint32_t length = 0;
        char16_t separator = 0;
        OpKind kind = OpKind::Cell;
        bool isNumber = false;
    };
    // The profile's rows, value after value; Sizes is empty when every row has two.
    struct Rows {
        std::vector<float> Values;
        std::vector<uint32_t> Sizes;
        std::size_t Count = 0;
    };
    struct Step {
        std::u16string caption;
        std::vector<Op> ops;
        std::u16string texts;
        int32_t colBefore = 0, rowBefore = 0, colAfter = 0, rowAfter = 0;
        int32_t rowCountBefore = 0;
        // The table on the other side when the step replaced it as a whole; the ops before it
        // come first on the way forward.
        std::optional<TStringGrid::Content> table;
        std::optional<Rows> rows;
        std::optional<std::vector<float>> freqs, gains;
        std::optional<TSeriesPoints> series; // Labels or Colors left empty when all are default
        std::size_t seriesCount = 0;
        // Held without their values while they are exactly what the rows (the points) give:
        // freqs and gains the rows' complete pairs, the series' X and Y the points widened.
        bool pointsFromRows = false;
        bool seriesFromPoints = false;
        // The profile's name, version and conversion flag on the other side.
        std::u16string name;
        int32_t version = 0;
        bool numericOk = false;
        std::size_t bytes = 0;
        // Names the state the step leaves while it is in effect; never used twice.
        uint64_t id = 0;
    };
    enum class Mode { Idle, Command, Restoring };
    enum class Run { None, Cell, Name, FileLabel };

    void OnGrid(const TGridEdit& Edit);
    void OnField(OpKind Kind, const std::u16string& Old);
    void Record(Step& S, const TGridEdit& Edit);
    void Record(Step& S, OpKind Kind, const std::u16string& Old);
    static void PutText(Step& S, Op& O, std::u16string_view Text);
    static std::u16string_view TextOf(const Step& S, const Op& O);
    static TCellValue ValueOf(const Step& S, const Op& O);
    void Typed(Run Kind, int32_t Col, int32_t Row, const TGridEdit* Edit,
               const std::u16string* Old);
    bool TypedBack(const Step& S) const;
    void BeginCommand(std::u16string Caption);
    void EndCommand() noexcept;
    bool Changed(Step& S);
    void Push(Step&& S);
    // Drops steps until the limits hold: first taken-back ones, farthest from the present first,
    // then done ones, oldest first. The step nearest the present on the side `Kept` is never
    // dropped.
    enum class Side { Done, Undone };
    void Limit(Side Kept);
    // The name of the state as it stands: that of the newest step in effect, or of the state
    // before the oldest one kept.
    uint64_t StateId() const { return done_.empty() ? baseId_ : done_.back().id; }
    // A change went unrecorded or a restore failed half way: the steps are forgotten and the
    // state is one never seen before.
    void Lose();
    void Tell() const;
    void Restore(Step& S, bool Back);
    std::size_t SizeOf(const Step& S) const;
    static Rows Flatten(const std::vector<std::vector<float>>& Source);
    static std::vector<std::vector<float>> Expand(const Rows& Source);
    static TSeriesPoints Compact(TSeriesPoints Points);
    // Lets go of the values a step can rebuild from the others it holds, and rebuilds them.
    static void Shrink(Step& S);
    static void Unshrink(Step& S);
    Step NewStep(std::u16string Caption) const;

    TEditedState state_;
    std::size_t maxSteps_;
    std::size_t maxBytes_;
    std::deque<Step> done_;
    std::deque<Step> undone_;
    std::size_t bytes_ = 0; // of done_ and undone_
    Mode mode_ = Mode::Idle;
    std::optional<Step> current_;
    // The cell or field the newest step is typing into, while more typing there joins it.
    Run run_ = Run::None;
    int32_t runCol_ = 0, runRow_ = 0;
    // A change went unrecorded (out of memory): the steps no longer fit the state.
    bool lost_ = false;
    uint64_t nextId_ = 1;
    uint64_t baseId_ = 0;    // the state before done_.front(), or the state when done_ is empty
    uint64_t savedId_ = 0;   // the state marked saved
    bool markAtEnd_ = false; // MarkSaved was called while the command ran
    TListeners<TGridEdit>::Subscription gridSub_;
    TListeners<std::u16string>::Subscription nameSub_;
    TListeners<std::u16string>::Subscription labelSub_;
};
