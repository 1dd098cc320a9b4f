#pragma once
// A Qt Charts category axis as the chart's label display: it shows the labels TChartModel gives,
// each on its value, and is rewritten only when they change.

#include <vector>

#include <QtCore/QtGlobal>

#include "chart_model.h"

QT_BEGIN_NAMESPACE
class QCategoryAxis;
QT_END_NAMESPACE

// The axis, over min to max, shows `labels` (ordered by position) from now on.
void SetAxisLabels(QCategoryAxis* axis, double min, double max,
                   const std::vector<TAxisLabel>& labels);
