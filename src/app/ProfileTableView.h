#pragma once
// The profile table: a virtual view over a TStringGrid without Qt headers, in which the user
// edits cells in place and whose current cell belongs to the grid.

#include <QtWidgets/QTableView>

#include "uStringgrid_VCL.h"

class GridTableModel;
class CellDelegate;

class ProfileTableView : public QTableView {
    Q_OBJECT

public:
    explicit ProfileTableView(QWidget* parent = nullptr); // usable from a Qt Designer .ui
    ~ProfileTableView() override;

    // Shows `grid` and follows its OnChange until the view is destroyed (it clears OnChange then);
    // the grid must outlive the view. A later call lets go of the grid shown before.
    // The user's moves of the current cell go to the grid's SelectCell, once each; the grid's own
    // moves are shown without being reported back.
    void SetGrid(TStringGrid& grid);

    // Closes an open cell editor. Its text is already in the cell (every keystroke is written),
    // so nothing is written now; a command that moves rows then finds no editor on a wrong row.
    void EndEdit();

    // Every cell editor opened from now on has `filter` as an event filter too.
    void SetEditorFilter(QObject* filter);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void FollowGrid(const TGridChange& change);
    // Widths come from the grid; a column of width 0 is hidden, so it can never become current.
    void ShowColumns();
    void ShowCurrentCell();

    TStringGrid* grid_ = nullptr;
    GridTableModel* model_ = nullptr;
    CellDelegate* delegate_ = nullptr;
    // Set while the grid reports: the view's own current-index changes then are Qt's reaction
    // to the grid's change (or the grid's move being shown), not the user's.
    bool followingGrid_ = false;
};
