#include "MeasurementPreviewDialog.h"

#include <QtGui/QFontDatabase>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableWidget>

#include "ResponseChartView.h"
#include "Translations.h"
#include "number_text.h"
#include "text_utf.h"
#include "uStringgrid_VCL.h"

namespace {

QString ToQString(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

} // namespace

MeasurementPreviewDialog::MeasurementPreviewDialog(const TMeasurementPreview& preview,
                                                   QWidget* parent)
    : QDialog(parent), preview_(preview), layout_(new QLabel(this)), columns_(new QComboBox(this)),
      shared_(new QLabel(this)),
      merge_(new QCheckBox(tr("&Merge points that share a whole hertz"), this)),
      points_(new QTableWidget(this)), chart_(new ResponseChartView(series_, this)) {
    const QString name = ToQString(PathToUtf16(preview.FileName.filename()));
    setWindowTitle(tr("Import measurement: %1").arg(name));

    // The lines as they stand, with their blanks and tabs, in a font that keeps columns aligned.
    auto* lines = new QPlainTextEdit(this);
    lines->setObjectName(QStringLiteral("lines"));
    lines->setReadOnly(true);
    lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QStringList text;
    for (const std::u16string& line : preview.FirstLines) {
        text.append(ToQString(line));
    }
    lines->setPlainText(text.join(u'\n'));
    lines->setMinimumHeight(lines->fontMetrics().lineSpacing() * 8);

    layout_->setObjectName(QStringLiteral("layout"));
    layout_->setTextFormat(Qt::PlainText);
    shared_->setObjectName(QStringLiteral("shared"));
    shared_->setTextFormat(Qt::PlainText);
    merge_->setObjectName(QStringLiteral("merge"));
    // Merging is what a person who imports a fine measurement wants: Update / Sort keeps whole
    // hertz, and points sharing one would stand in the profile as duplicates.
    merge_->setChecked(true);
    columns_->setObjectName(QStringLiteral("columns"));
    for (const TMeasurementChoice& choice : preview.Choices) {
        columns_->addItem(CoreText(choice.Title));
    }
    auto* columnLabel = new QLabel(tr("&Gain column:"), this);
    columnLabel->setBuddy(columns_);
    // With two numeric columns there is nothing to choose.
    const bool choose = preview.Choices.size() > 1;
    columnLabel->setVisible(choose);
    columns_->setVisible(choose);

    points_->setObjectName(QStringLiteral("points"));
    points_->setColumnCount(2);
    points_->setHorizontalHeaderLabels({tr("f(Hz)"), tr("Gain(dB)")});
    points_->verticalHeader()->hide();
    // Rows as high as the main table's: the style's default leaves room for a second line.
    points_->verticalHeader()->setMinimumSectionSize(0);
    points_->verticalHeader()->setDefaultSectionSize(TStringGrid::DefaultRowHeight);
    points_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    points_->setSelectionMode(QAbstractItemView::NoSelection);
    points_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    points_->setMinimumWidth(180);

    chart_->setObjectName(QStringLiteral("chart"));
    chart_->setMinimumSize(320, 200);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    // A file name is no markup: "<b>x</b>.txt" shows as it is named.
    auto* linesLabel = new QLabel(tr("First lines of %1:").arg(name), this);
    linesLabel->setObjectName(QStringLiteral("linesLabel"));
    linesLabel->setTextFormat(Qt::PlainText);
    grid->addWidget(linesLabel, 0, 0, 1, 3);
    grid->addWidget(lines, 1, 0, 1, 3);
    grid->addWidget(layout_, 2, 0, 1, 3);
    grid->addWidget(columnLabel, 3, 0);
    grid->addWidget(columns_, 3, 1);
    grid->addWidget(points_, 4, 0, 1, 2);
    grid->addWidget(chart_, 4, 2);
    grid->addWidget(shared_, 5, 0, 1, 3);
    grid->addWidget(merge_, 6, 0, 1, 3);
    grid->addWidget(buttons, 7, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(4, 1);

    connect(columns_, &QComboBox::currentIndexChanged, this, &MeasurementPreviewDialog::Choose);
    Choose(0);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
}

MeasurementPreviewDialog::~MeasurementPreviewDialog() {
    // The chart follows series_, which goes before the dialog's children would.
    delete chart_;
}

std::size_t MeasurementPreviewDialog::Choice() const {
    return static_cast<std::size_t>(columns_->currentIndex());
}

TMeasurementPick MeasurementPreviewDialog::Pick() const {
    const std::size_t choice = Choice();
    return {choice, preview_.Choices.at(choice).SharedHertz > 0 && merge_->isChecked()};
}

void MeasurementPreviewDialog::Choose(int index) {
    const TMeasurementChoice& choice = preview_.Choices.at(static_cast<std::size_t>(index));
    layout_->setText(CoreText(choice.LayoutText));
    shared_->setText(tr("%1 points share a whole hertz with another after Update / Sort.")
                         .arg(ToQString(DecimalText(choice.SharedHertz))));
    shared_->setVisible(choice.SharedHertz > 0);
    merge_->setVisible(choice.SharedHertz > 0);
    points_->setRowCount(static_cast<int>(choice.FirstRows.size()));
    for (int row = 0; row < points_->rowCount(); ++row) {
        const auto& [frequency, gain] = choice.FirstRows[static_cast<std::size_t>(row)];
        for (int column = 0; column < 2; ++column) {
            auto* item = new QTableWidgetItem(ToQString(column == 0 ? frequency : gain));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            points_->setItem(row, column, item);
        }
    }
    ShowChoice(choice, series_);
}
