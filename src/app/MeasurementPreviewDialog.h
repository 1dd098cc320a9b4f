#pragma once
// The preview of a measurement file before its points are taken: the file's first lines, the
// layout found, the gain column to choose, the first points and a chart of all of them. The core
// decides what each shows; the dialog draws it and follows the choice.

#include <QtWidgets/QDialog>

#include <cstddef>

#include "measurement_preview.h"
#include "teechart_basics.h"

QT_BEGIN_NAMESPACE
class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;
QT_END_NAMESPACE

class ResponseChartView;

class MeasurementPreviewDialog : public QDialog {
    Q_OBJECT

public:
    // `preview` must hold a choice and outlive the dialog.
    MeasurementPreviewDialog(const TMeasurementPreview& preview, QWidget* parent = nullptr);
    ~MeasurementPreviewDialog() override;

    MeasurementPreviewDialog(const MeasurementPreviewDialog&) = delete;
    MeasurementPreviewDialog& operator=(const MeasurementPreviewDialog&) = delete;

    // The index of the choice shown, into the preview's choices.
    std::size_t Choice() const;
    // That choice, and whether its points that share a whole hertz are to be merged.
    TMeasurementPick Pick() const;

private:
    void Choose(int index);

    const TMeasurementPreview& preview_;
    TLineSeries series_;
    QLabel* layout_;
    QComboBox* columns_;
    QLabel* shared_;
    QCheckBox* merge_;
    QTableWidget* points_;
    ResponseChartView* chart_;
};
