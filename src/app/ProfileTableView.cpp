#include "ProfileTableView.h"

#include <QtCore/QItemSelectionModel>
#include <QtCore/QScopedValueRollback>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QStyledItemDelegate>

#include "GridTableModel.h"

namespace {

// Writes every keystroke into the model at once, so a command run while the editor is open
// reads what is typed.
class ImmediateDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            // Qt's createEditor is const; the delegate it is called on is not.
            auto* self = const_cast<ImmediateDelegate*>(this);
            connect(edit, &QLineEdit::textEdited, self,
                    [self, edit] { emit self->commitData(edit); });
        }
        return editor;
    }

    // Every commit comes back as a change of the cell; writing the same text into the editor
    // again would move its cursor to the end and cut its undo history.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const auto* edit = qobject_cast<QLineEdit*>(editor);
        if (edit && edit->text() == index.data(Qt::EditRole).toString()) {
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }
};

void SetFixedSections(QHeaderView* header, int size) {
    header->hide();
    header->setMinimumSectionSize(0); // it would follow the font and could exceed a fixed row
    header->setDefaultSectionSize(size);
    // Uniform sizes keep a million rows cheap: no section is ever measured.
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsMovable(false);
    header->setSectionsClickable(false);
}

} // namespace

ProfileTableView::ProfileTableView(QWidget* parent) : QTableView(parent) {
    SetFixedSections(horizontalHeader(), TStringGrid::DefaultColWidth);
    SetFixedSections(verticalHeader(), TStringGrid::DefaultRowHeight);
    setShowGrid(true);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // No EditKeyPressed: F2 belongs to the window's Insert row action.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed);
    setItemDelegate(new ImmediateDelegate(this));
}

ProfileTableView::~ProfileTableView() {
    if (grid_) {
        grid_->OnChange = nullptr;
    }
}

void ProfileTableView::SetGrid(TStringGrid& grid) {
    if (grid_) {
        grid_->OnChange = nullptr;
    }
    GridTableModel* oldModel = model_;
    QItemSelectionModel* oldSelection = selectionModel();
    grid_ = &grid;
    model_ = new GridTableModel(grid, this);
    setModel(model_);
    delete oldSelection;
    delete oldModel;
    grid.OnChange = [this](const TGridChange& change) { FollowGrid(change); };
    ShowColumns();
    ShowCurrentCell();
}

void ProfileTableView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (followingGrid_ || !current.isValid()) {
        return;
    }
    if (!grid_->SelectCell(current.column(), current.row())) {
        ShowCurrentCell(); // a fixed cell: the grid's current cell stays
    }
}

void ProfileTableView::FollowGrid(const TGridChange& change) {
    const QScopedValueRollback following(followingGrid_, true);
    model_->Apply(change);
    if (change.Kind == TGridChangeKind::Layout) {
        ShowColumns(); // a reset forgets hidden columns
    }
    // Qt moves or clears the current index when its row goes or the model resets; the grid's
    // current cell is what counts. While it still lies outside the table the grid's own move
    // follows in a later report.
    ShowCurrentCell();
}

void ProfileTableView::ShowColumns() {
    for (int c = 0; c < model_->columnCount(); ++c) {
        const int width = grid_->ColWidth(c);
        setColumnHidden(c, width <= 0);
        if (width > 0) {
            setColumnWidth(c, width);
        }
    }
}

void ProfileTableView::ShowCurrentCell() {
    const QModelIndex cell = model_->index(grid_->Row(), grid_->Col());
    if (cell.isValid() && (cell != currentIndex() || !selectionModel()->isSelected(cell))) {
        selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    }
}
