#include "GridTableModel.h"

#include "Translations.h"

#include <algorithm>

GridTableModel::GridTableModel(TStringGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), rows_(grid.RowCount()), cols_(grid.ColCount()) {}

void GridTableModel::Apply(const TGridChange& change) {
    switch (change.Kind) {
    case TGridChangeKind::RowsInserted:
        beginInsertRows(QModelIndex(), change.FirstRow, change.LastRow);
        rows_ += change.LastRow - change.FirstRow + 1;
        endInsertRows();
        break;
    case TGridChangeKind::RowsRemoved:
        beginRemoveRows(QModelIndex(), change.FirstRow, change.LastRow);
        rows_ -= change.LastRow - change.FirstRow + 1;
        endRemoveRows();
        break;
    case TGridChangeKind::CellsChanged: {
        const int lastRow = std::min<int>(change.LastRow, rows_ - 1);
        const int lastCol = std::min<int>(change.LastCol, cols_ - 1);
        if (change.FirstRow <= lastRow && change.FirstCol <= lastCol) {
            emit dataChanged(index(change.FirstRow, change.FirstCol), index(lastRow, lastCol),
                             {Qt::DisplayRole, Qt::EditRole});
        }
        break;
    }
    case TGridChangeKind::Layout:
        beginResetModel();
        rows_ = grid_.RowCount();
        cols_ = grid_.ColCount();
        endResetModel();
        break;
    case TGridChangeKind::CurrentCellMoved:
        break;
    }
}

int GridTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int GridTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= cols_ ||
        (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    // Rows just removed from the grid may still be asked for before the view has let go of
    // them; the grid keeps their texts, so they read as they were.
    const std::u16string& text = grid_.Cells(index.column(), index.row());
    // Row 0 holds the core's column titles; as a cell being edited it reads as it stands.
    return index.row() == 0 && role == Qt::DisplayRole ? CoreText(text)
                                                       : QString::fromStdU16String(text);
}

bool GridTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    // The grid reports the new text through OnChange, which brings dataChanged.
    grid_.SetCells(index.column(), index.row(), value.toString().toStdU16String());
    return true;
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= cols_) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (grid_.IsCellEditable(index.column(), index.row())) {
        flags |= Qt::ItemIsSelectable | Qt::ItemIsEditable;
    }
    return flags;
}
