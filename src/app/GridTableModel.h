#pragma once
// A Qt item model over a TStringGrid: every cell of the grid is an item, read and written in
// place, so a view stays virtual however many rows the grid holds.

#include <QtCore/QAbstractTableModel>

#include "uStringgrid_VCL.h"

// Does not listen to the grid itself: whoever owns the grid's OnChange passes every report to
// Apply, in order (the view needs the same reports to keep its current cell). The grid must
// outlive the model.
class GridTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit GridTableModel(TStringGrid& grid, QObject* parent = nullptr);

    // Turns one report of the grid into the matching Qt notifications. The grid has already
    // changed when it reports, so the counts Qt sees are kept here and follow the reports.
    // CurrentCellMoved is none of the model's business and changes nothing.
    void Apply(const TGridChange& change);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Any text is accepted in an editable cell.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    TStringGrid& grid_;
    int rows_;
    int cols_;
};
