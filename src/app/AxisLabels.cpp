#include "AxisLabels.h"

#include <QtCharts/QCategoryAxis>
#include <QtCore/QSignalBlocker>

// One category per label, ending at its position, so that every label sits on its value; the
// first category starts below the range so that a label on the range's start shows too. The chart
// makes its label items anew on every change of the categories, so labels that stay as they are
// are left alone, and new ones tell the chart once.
void SetAxisLabels(QCategoryAxis* axis, double min, double max,
                   const std::vector<TAxisLabel>& labels) {
    const QStringList shown = axis->categoriesLabels();
    std::vector<TAxisLabel> standing;
    for (const QString& text : shown) {
        standing.push_back({axis->endValue(text), text.toStdU16String()});
    }
    if (LabelsStand(standing, axis->startValue() < min, labels)) {
        return;
    }
    // The axis takes only a new text at a higher position; the last append tells the chart only
    // when every one is taken.
    {
        const QSignalBlocker quiet(TakesEveryLabel(labels) && !labels.empty() ? axis : nullptr);
        for (const QString& label : shown) {
            axis->remove(label);
        }
        axis->setStartValue(min - (max - min));
        for (std::size_t i = 0; i + 1 < labels.size(); ++i) {
            axis->append(QString::fromStdU16String(labels[i].Text), labels[i].Position);
        }
    }
    if (!labels.empty()) {
        // tells the chart
        axis->append(QString::fromStdU16String(labels.back().Text), labels.back().Position);
    }
}
