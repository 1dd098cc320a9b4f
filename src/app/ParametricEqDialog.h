#pragma once
// The result window of a parametric EQ fit: the filters (type, Fc, gain, Q), the preamp and the
// RMS error, with "Export..." and "Close". It stays open beside the main window; the core decides
// its texts and what Export does.

#include <QtWidgets/QDialog>

#include "desktop.h"

class ParametricEqDialog : public QDialog {
    Q_OBJECT

public:
    ParametricEqDialog(TParametricEqFit fit, QWidget* parent = nullptr);

private:
    TParametricEqFit fit_;
};
