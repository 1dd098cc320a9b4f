#include "ProfileTableView.h"

#include <QtCore/QItemSelectionModel>
#include <QtCore/QPointer>
#include <QtCore/QScopedValueRollback>
#include <QtGui/QHelpEvent>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QStyledItemDelegate>
#include <QtWidgets/QToolTip>

#include <limits>

#include "GridTableModel.h"

// Writes every keystroke into the model at once, so a command run while the editor is open
// reads what is typed. Escape puts back the text the cell had when the editor opened.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            // A cell holds texts of any length; the default limit would cut a long one, and the
            // next keystroke would write the cut text back.
            edit->setMaxLength(std::numeric_limits<int>::max());
            if (editorFilter_) {
                edit->installEventFilter(editorFilter_);
            }
            // Qt's createEditor is const; the delegate it is called on is not.
            auto* self = const_cast<CellDelegate*>(this);
            self->editor_ = edit;
            self->textBefore_ = index.data(Qt::EditRole).toString();
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

    void SetEditorFilter(QObject* filter) { editorFilter_ = filter; }

    // The editor open now, or null; a closed editor may linger until it is deleted.
    QWidget* OpenEditor() const { return editor_; }

    // A text cut off by its column shows in full as the cell's tool tip.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip || !index.isValid()) {
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        }
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        if (Elided(item, view)) {
            QToolTip::showText(event->globalPos(), item.text, view->viewport(), option.rect);
        } else {
            QToolTip::hideText();
        }
        return true;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && object == editor_ &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            editor_->text() != textBefore_) {
            // The typed text is already in the cell: putting the old one back is a write of its
            // own, before Qt closes the editor.
            editor_->setText(textBefore_);
            emit commitData(editor_);
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    // The same test the style applies when it draws the text (QCommonStyle's item text margins).
    static bool Elided(const QStyleOptionViewItem& item, const QWidget* view) {
        const QStyle* style = view->style();
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, view);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        return item.fontMetrics.horizontalAdvance(item.text) > textRect.width() - 2 * margin;
    }

    QPointer<QLineEdit> editor_;
    QString textBefore_;
    QPointer<QObject> editorFilter_;
};

namespace {

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
    delegate_ = new CellDelegate(this);
    setItemDelegate(delegate_);
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

void ProfileTableView::EndEdit() {
    if (QWidget* editor = delegate_->OpenEditor(); editor && state() == EditingState) {
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void ProfileTableView::SetEditorFilter(QObject* filter) {
    delegate_->SetEditorFilter(filter);
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
