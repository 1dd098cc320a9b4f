#include "ParametricEqDialog.h"

#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QVBoxLayout>

#include <utility>

#include "eq_commands.h"

ParametricEqDialog::ParametricEqDialog(TParametricEqFit fit, QWidget* parent)
    : QDialog(parent), fit_(std::move(fit)) {
    setObjectName(QStringLiteral("ParametricEqDialog"));
    setWindowTitle(QStringLiteral("Parametric EQ"));
    setAttribute(Qt::WA_DeleteOnClose);
    const TParametricEqTexts texts = ParametricEqTexts(fit_.Result);

    auto* filters = new QTableWidget(static_cast<int>(texts.Filters.size()), 4, this);
    filters->setObjectName(QStringLiteral("Filters"));
    filters->setHorizontalHeaderLabels({QStringLiteral("Type"), QStringLiteral("Fc (Hz)"),
                                        QStringLiteral("Gain (dB)"), QStringLiteral("Q")});
    filters->setEditTriggers(QAbstractItemView::NoEditTriggers);
    filters->setSelectionBehavior(QAbstractItemView::SelectRows);
    filters->verticalHeader()->setDefaultSectionSize(filters->fontMetrics().height() + 6);
    for (int row = 0; row < filters->rowCount(); ++row) {
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(QString::fromStdU16String(
                texts.Filters[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]));
            if (column > 0) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            filters->setItem(row, column, item);
        }
    }
    filters->resizeColumnsToContents();
    filters->horizontalHeader()->setStretchLastSection(true);

    auto* preamp = new QLabel(QString::fromStdU16String(texts.Preamp), this);
    preamp->setObjectName(QStringLiteral("Preamp"));
    auto* error = new QLabel(QString::fromStdU16String(texts.Error), this);
    error->setObjectName(QStringLiteral("RmsError"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* exportButton =
        buttons->addButton(QStringLiteral("Export..."), QDialogButtonBox::ActionRole);
    exportButton->setObjectName(QStringLiteral("Export"));
    QPushButton* closeButton =
        buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    closeButton->setObjectName(QStringLiteral("Close"));
    connect(exportButton, &QPushButton::clicked, this, [this] { fit_.Export(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filters);
    layout->addWidget(preamp);
    layout->addWidget(error);
    layout->addWidget(buttons);
    resize(380, 360);
}
