#include "ParametricEqDialog.h"

#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QVBoxLayout>

#include <utility>

#include "Translations.h"
#include "eq_commands.h"

ParametricEqDialog::ParametricEqDialog(TParametricEqFit fit, QWidget* parent)
    : QDialog(parent), fit_(std::move(fit)) {
    setObjectName(QStringLiteral("ParametricEqDialog"));
    setWindowTitle(CoreText(u"Parametric EQ"));
    setAttribute(Qt::WA_DeleteOnClose);
    const TParametricEqTexts texts = ParametricEqTexts(fit_.Result);

    auto* filters = new QTableWidget(static_cast<int>(texts.Filters.size()), 4, this);
    filters->setObjectName(QStringLiteral("Filters"));
    filters->setHorizontalHeaderLabels(
        {CoreText(u"Type"), CoreText(u"Fc (Hz)"), CoreText(u"Gain (dB)"), QStringLiteral("Q")});
    filters->setEditTriggers(QAbstractItemView::NoEditTriggers);
    filters->setSelectionBehavior(QAbstractItemView::SelectRows);
    filters->verticalHeader()->setDefaultSectionSize(filters->fontMetrics().height() + 6);
    for (int row = 0; row < filters->rowCount(); ++row) {
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(CoreText(
                texts.Filters[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]));
            if (column > 0) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            filters->setItem(row, column, item);
        }
    }
    filters->resizeColumnsToContents();
    filters->horizontalHeader()->setStretchLastSection(true);

    auto* preamp = new QLabel(CoreText(texts.Preamp), this);
    preamp->setObjectName(QStringLiteral("Preamp"));
    auto* error = new QLabel(CoreText(texts.Error), this);
    error->setObjectName(QStringLiteral("RmsError"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* exportButton =
        buttons->addButton(CoreText(u"Export..."), QDialogButtonBox::ActionRole);
    exportButton->setObjectName(QStringLiteral("Export"));
    QPushButton* closeButton = buttons->addButton(CoreText(u"Close"), QDialogButtonBox::RejectRole);
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
