#include "ResponseChartView.h"

#include "AxisLabels.h"
#include "Translations.h"
#include "ViewPicture.h"

#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLineSeries>
#include <QtCore/QSignalBlocker>
#include <QtGui/QFontMetricsF>
#include <QtGui/QKeyEvent>
#include <QtGui/QLinearGradient>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtGui/QWheelEvent>
#include <QtWidgets/QGraphicsLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const QColor kLineColor = QColor::fromRgb(TLineSeries::Color);
const QColor kHighlightColor(255, 0, 0, 128);
const QColor kAxisColor(0x40, 0x40, 0x40);
const QColor kGridColor(0xA9, 0xA9, 0xA9);
const QColor kGradientStart(0xEA, 0xEA, 0xEA);
const QColor kGradientEnd(Qt::white);
const QColor kReferenceColor(0x80, 0x80, 0x80);
const QColor kPickColor(0xE0, 0x60, 0x00);
const QColor kFitColor(0x00, 0x99, 0x44);
constexpr qreal kMarkerSize = 7;      // a single point
constexpr qreal kSmallMarkerSize = 5; // each point of a sparse line

QPen ReferencePen() {
    QPen pen(kReferenceColor, 1.5, Qt::DashLine, Qt::FlatCap, Qt::RoundJoin);
    pen.setCosmetic(true);
    return pen;
}

QPen FitPen() {
    QPen pen(kFitColor, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setCosmetic(true);
    return pen;
}

QPen LinePen() {
    return QPen(kLineColor, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Qt Charts draws a solid pen segment by segment, and where the half-transparent segments overlap
// at the points they show darker dots. Any other pen style is drawn as one path; one dash longer
// than any screen keeps the line whole.
QPen HighlightPen() {
    QPen pen(kHighlightColor, 3, Qt::CustomDashLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setDashPattern({1e6, 1});
    return pen;
}

QFont LabelFont() {
    return QFont(QStringLiteral("Verdana"), 8);
}

void StyleAxis(QCategoryAxis* axis) {
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setLabelsFont(LabelFont());
    axis->setLabelsColor(Qt::black);
    axis->setLineVisible(false); // drawn crisp by the view
    axis->setGridLineVisible(false);
    axis->setMinorGridLineVisible(false);
    axis->setShadesVisible(false);
    axis->setTitleVisible(false);
}

} // namespace

ResponseChartView::ResponseChartView(TLineSeries& series, QWidget* parent)
    : QChartView(parent), series_(series), model_(series), line_(new QLineSeries),
      hoverZone_(new QLineSeries), frequencyAxis_(new QCategoryAxis), gainAxis_(new QCategoryAxis) {
    QChart* chart = this->chart();
    chart->legend()->hide();
    chart->setBackgroundVisible(false); // the gradients come from drawBackground
    chart->setPlotAreaBackgroundVisible(false);
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    setRenderHint(QPainter::Antialiasing);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);

    // The chart takes over the series and axes.
    chart->addSeries(line_);
    chart->addSeries(hoverZone_); // added last, so it lies on top and gets the pointer first
    chart->addAxis(frequencyAxis_, Qt::AlignBottom);
    chart->addAxis(gainAxis_, Qt::AlignLeft);
    for (QLineSeries* s : {line_, hoverZone_}) {
        s->attachAxis(frequencyAxis_);
        s->attachAxis(gainAxis_);
    }
    // Pens and axis looks after adding: the chart theme decorates what it is given.
    line_->setPen(LinePen());
    line_->setMarkerSize(kMarkerSize);
    QPen zone(Qt::NoPen);
    zone.setWidthF(kHoverWidth);
    hoverZone_->setPen(zone);
    StyleAxis(frequencyAxis_);
    StyleAxis(gainAxis_);

    series_.OnChange = [this] { ShowPoints(); };
    series_.OnPointChange = [this](std::size_t index, TLineSeries::TPointChange change) {
        PointChanged(index, change);
    };
    ShowPoints();
    connect(chart, &QChart::plotAreaChanged, this, [this] {
        Arrange(false);
        viewport()->update(); // the back wall and grid move with the plot area
    });
}

ResponseChartView::~ResponseChartView() {
    series_.OnChange = nullptr;
    series_.OnPointChange = nullptr;
}

void ResponseChartView::Follow(TChartRows& rows, TTextField& name, TTextField& file) {
    model_.Follow(rows);
    name_ = &name;
    file_ = &file;
    const auto repaint = [this](const std::u16string&) {
        if (HasReference() || HasFit()) {
            viewport()->update(); // the legend names the profile
        }
    };
    nameSub_ = name.Edits.Subscribe(repaint);
    fileSub_ = file.Edits.Subscribe(repaint);
}

void ResponseChartView::ShowPoints() {
    model_.SeriesChanged(); // new points show at the automatic ranges
    Refresh();
    SetHighlighted(false); // new points start plain, even when a key changed them under the pointer
}

void ResponseChartView::PointChanged(std::size_t index, TLineSeries::TPointChange change) {
    const bool placed = model_.PointChanged(index, change);
    if (dragging_) {
        if (placed) {
            ShowLine();
        } else {
            PlacePoints();
        }
    } else {
        Settle();
    }
}

void ResponseChartView::Settle() {
    if (model_.Zoomed()) {
        PlacePoints();
        return;
    }
    model_.PointsSettled();
    Refresh();
}

void ResponseChartView::ShowNote(const std::u16string& note) {
    model_.Note(note);
    viewport()->update();
}

void ResponseChartView::ReleasePoints() {
    line_->clear();
    hoverZone_->clear();
}

void ResponseChartView::Refresh() {
    ReleasePoints();
    Arrange(true);
    PlacePoints();
}

void ResponseChartView::PlacePoints() {
    model_.PlacePoints(Columns(), chart()->plotArea().width());
    ShowLine();
}

void ResponseChartView::ShowLine() {
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(model_.Line().size()));
    for (const TPlotPoint& p : model_.Line()) {
        points.append({p.Place, p.Db});
    }
    // A sparse line shows its points as small markers, and Qt Charts draws it.
    const bool markers = model_.Markers();
    ReleasePoints();
    line_->setMarkerSize(points.size() == 1 ? kMarkerSize : kSmallMarkerSize);
    line_->setPointsVisible(markers);
    drawsLine_ = !markers;
    line_->setVisible(markers);
    {
        const QSignalBlocker quiet(drawsLine_ ? line_ : nullptr);
        line_->replace(points);
    }
    {
        const QSignalBlocker quiet(hoverZone_);
        hoverZone_->replace(points);
    }
    viewport()->update();
}

TPlotColumns ResponseChartView::Columns() const {
    const QRectF plot = chart()->plotArea();
    const QPointF left = viewportTransform().map(chart()->mapToScene(plot.topLeft()));
    const double ratio = devicePixelRatioF();
    return {left.x() * ratio, plot.width() * ratio};
}

void ResponseChartView::Arrange(bool always) {
    const QFontMetricsF metrics(LabelFont());
    const QSizeF plot = chart()->plotArea().size();
    if (!model_.Arrange(plot.width(), plot.height(),
                        metrics.horizontalAdvance(QStringLiteral("00.0k")), metrics.height(),
                        always)) {
        return;
    }
    const TChartWindow shown = model_.Window();
    frequencyAxis_->setRange(shown.Left, shown.Right);
    gainAxis_->setRange(shown.Bottom, shown.Top);
    WriteLabels();
}

void ResponseChartView::WriteLabels() {
    SetAxisLabels(frequencyAxis_, frequencyAxis_->min(), frequencyAxis_->max(),
                  model_.FrequencyLabels(UserNotation));
    SetAxisLabels(gainAxis_, gainAxis_->min(), gainAxis_->max(), model_.GainLabels(UserNotation));
    viewport()->update();
}

void ResponseChartView::NotationChanged() {
    WriteLabels();
}

void ResponseChartView::SetHighlighted(bool on) {
    if (on == highlighted_) {
        return;
    }
    highlighted_ = on;
    line_->setPen(on ? HighlightPen() : LinePen());
    viewport()->update(); // the wide pen reaches past what the chart repaints for the line
}

void ResponseChartView::paintEvent(QPaintEvent* event) {
    if (model_.NeedsPlacing(Columns())) {
        PlacePoints();
    }
    QChartView::paintEvent(event);
    if (const QString readout = ReadoutText(); !readout.isEmpty()) {
        // In the plot's top left corner, over the chart and outside any picture of it.
        QPainter painter(viewport());
        painter.setFont(LabelFont());
        const TPlotFrame plot = Frame();
        const QFontMetricsF metrics(LabelFont());
        const QRectF box(plot.Left + 4, plot.Top + 4, metrics.horizontalAdvance(readout) + 10,
                         metrics.height() + 6);
        painter.fillRect(box, QColor(255, 255, 255, 220));
        painter.setPen(kGridColor);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::AlignCenter, readout);
    }
    if (hasFocus()) {
        QPainter painter(viewport());
        const QRect edge = viewport()->rect();
        const QColor frame = palette().color(QPalette::Highlight);
        painter.fillRect(edge.left(), edge.top(), edge.width(), 1, frame);
        painter.fillRect(edge.left(), edge.bottom(), edge.width(), 1, frame);
        painter.fillRect(edge.left(), edge.top(), 1, edge.height(), frame);
        painter.fillRect(edge.right(), edge.top(), 1, edge.height(), frame);
    }
}

void ResponseChartView::focusInEvent(QFocusEvent* event) {
    QChartView::focusInEvent(event);
    viewport()->update();
}

void ResponseChartView::focusOutEvent(QFocusEvent* event) {
    if (steps_ && !dragging_) {
        steps_->EndMove(); // a run of key presses ends with the focus
    }
    QChartView::focusOutEvent(event);
    viewport()->update();
}

void ResponseChartView::drawBackground(QPainter* painter, const QRectF&) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);

    const QRectF panel = mapToScene(viewport()->rect()).boundingRect();
    QLinearGradient panelGradient(panel.bottomLeft(), panel.topLeft());
    panelGradient.setColorAt(0, kGradientStart);
    panelGradient.setColorAt(0.5, kGradientStart);
    panelGradient.setColorAt(1, kGradientEnd);
    painter->fillRect(panel, panelGradient);

    // From here on the painter counts device pixels.
    const QTransform toDevice = painter->deviceTransform();
    const QRectF plot = toDevice.mapRect(chart()->mapRectToScene(chart()->plotArea()));
    painter->setWorldTransform(toDevice.inverted() * painter->worldTransform());
    const TChartWindow axes = Axes();
    const std::optional<TPixelGrid> grid =
        model_.Grid({plot.left(), plot.top(), plot.width(), plot.height()}, axes);
    if (!grid) {
        painter->restore();
        return;
    }
    const QRect wall(QPoint(grid->Left, grid->Top), QPoint(grid->Right, grid->Bottom));
    QLinearGradient wallGradient(wall.bottomLeft(), wall.topLeft());
    wallGradient.setColorAt(0, kGradientStart);
    wallGradient.setColorAt(1, kGradientEnd);
    painter->fillRect(wall, wallGradient);
    for (int column : grid->Columns) {
        painter->fillRect(column, wall.top(), 1, wall.height(), kGridColor);
    }
    for (int row : grid->Rows) {
        painter->fillRect(wall.left(), row, wall.width(), 1, kGridColor);
    }
    painter->fillRect(wall.left(), wall.top(), 1, wall.height(), kAxisColor);
    painter->fillRect(wall.left(), wall.bottom(), wall.width(), 1, kAxisColor);

    // The reference and the fit behind the profile's line, which the chart draws over the
    // background.
    const auto drawCurve = [&](const std::vector<TPlotPoint>& points, QPen pen) {
        if (points.size() < 2) {
            return;
        }
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setClipRect(plot);
        const double xSpan = axes.Right - axes.Left;
        const double ySpan = axes.Top - axes.Bottom;
        QPolygonF path;
        path.reserve(static_cast<qsizetype>(points.size()));
        for (const TPlotPoint& p : points) {
            path.append({plot.left() + (p.Place - axes.Left) / xSpan * plot.width(),
                         plot.bottom() - (p.Db - axes.Bottom) / ySpan * plot.height()});
        }
        pen.setWidthF(pen.widthF() * toDevice.m11());
        painter->setPen(pen);
        painter->drawPolyline(path);
    };
    drawCurve(model_.ReferenceLine(), ReferencePen());
    drawCurve(model_.FitLine(), FitPen());
    painter->restore();
}

void ResponseChartView::DrawLine(QPainter* painter) {
    const QList<QPointF> values = line_->points();
    if (values.size() < 2) {
        return;
    }
    // In the plot's own coordinates, as Qt Charts places the points of a series.
    const QRectF area = chart()->plotArea();
    const TChartWindow axes = Axes();
    const double xScale = area.width() / (axes.Right - axes.Left);
    const double yScale = area.height() / (axes.Top - axes.Bottom);
    QList<QPointF> points(values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        points[i] = {(values[i].x() - axes.Left) * xScale,
                     area.height() - (values[i].y() - axes.Bottom) * yScale};
    }
    painter->save();
    painter->translate(chart()->mapToScene(area.topLeft()) - area.topLeft());
    painter->translate(area.topLeft());
    const TPlotFrame clip = LineClip({area.left(), area.top(), area.width(), area.height()});
    painter->setClipRect(QRectF(clip.Left, clip.Top, clip.Width, clip.Height));
    const QPen pen = line_->pen();
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    if (pen.style() == Qt::SolidLine) {
        for (qsizetype i = 1; i < points.size(); ++i) {
            painter->drawLine(points[i - 1], points[i]);
        }
    } else {
        QPainterPath path(points[0]);
        for (qsizetype i = 1; i < points.size(); ++i) {
            path.lineTo(points[i]);
        }
        painter->drawPath(path);
    }
    painter->restore();
}

void ResponseChartView::drawForeground(QPainter* painter, const QRectF&) {
    if (drawsLine_) {
        DrawLine(painter);
    }
    const QRectF plot = chart()->mapRectToScene(chart()->plotArea());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    if (const auto picked = model_.PickedPoint(); picked && *picked < series_.Count()) {
        const double x = model_.Place(series_.XValues()[*picked]);
        const QPointF at =
            chart()->mapToScene(chart()->mapToPosition({x, series_.YValues()[*picked]}, line_));
        if (plot.adjusted(-1, -1, 1, 1).contains(at)) {
            painter->setPen(QPen(kPickColor, 2));
            painter->setBrush(Qt::NoBrush);
            painter->drawEllipse(at, 5, 5);
        }
    }
    if (const QStringList names = LegendNames(); !names.isEmpty()) {
        // In a corner of the plot: a stroke of each line and its name.
        const QFont font = LabelFont();
        const QFontMetricsF metrics(font);
        QList<QPen> pens = {LinePen()};
        if (HasReference()) {
            pens.append(ReferencePen());
        }
        if (HasFit()) {
            pens.append(FitPen());
        }
        double textWidth = 0;
        for (const QString& name : names) {
            textWidth = std::max(textWidth, metrics.horizontalAdvance(name));
        }
        const TChartModel::TLegend legend =
            model_.Legend({plot.left(), plot.top(), plot.width(), plot.height()}, Axes(), textWidth,
                          metrics.height());
        const TPlotFrame& box = legend.Box;
        painter->setPen(kGridColor);
        painter->setBrush(QColor(255, 255, 255, 220));
        painter->drawRect(QRectF(box.Left, box.Top, box.Width, box.Height));
        painter->setFont(font);
        for (qsizetype row = 0; row < names.size(); ++row) {
            const TChartModel::TLegendRow& at = legend.Rows[static_cast<std::size_t>(row)];
            painter->setPen(pens[row]);
            painter->drawLine(QPointF(at.StrokeLeft, at.Y), QPointF(at.StrokeRight, at.Y));
            painter->setPen(Qt::black);
            painter->drawText(QRectF(at.Name.Left, at.Name.Top, at.Name.Width, at.Name.Height),
                              Qt::AlignLeft | Qt::AlignVCenter, names[row]);
        }
    }
    painter->restore();
}

void ResponseChartView::ShowReference(const TLineSeries& reference, const QString& name) {
    referenceName_ = name;
    model_.ShowReference(reference); // the automatic ranges now cover the reference too
    Refresh();
}

void ResponseChartView::ClearReference() {
    referenceName_.clear();
    model_.ClearReference();
    Refresh();
}

QStringList ResponseChartView::LegendNames() const {
    if (!HasReference() && !HasFit()) {
        return {};
    }
    const std::u16string name = name_ ? name_->Text() : std::u16string();
    const std::u16string file = file_ ? file_->Text() : std::u16string();
    const std::u16string shown = LegendProfileName(name, file);
    // Only the word for a profile without name or file is the interface's; a profile may well be
    // named "Profile" itself.
    QStringList names = {shown != name && shown != file ? CoreText(shown)
                                                        : QString::fromStdU16String(shown)};
    if (HasReference()) {
        names.append(referenceName_);
    }
    if (HasFit()) {
        names.append(CoreText(u"EQ fit"));
    }
    return names;
}

void ResponseChartView::ShowFit(std::vector<double> x, std::vector<double> y) {
    model_.ShowFit(std::move(x), std::move(y));
    Refresh();
}

void ResponseChartView::ClearFit() {
    if (HasFit()) {
        model_.ClearFit();
        Refresh();
    }
}

TChartWindow ResponseChartView::Axes() const {
    return {frequencyAxis_->min(), frequencyAxis_->max(), gainAxis_->min(), gainAxis_->max()};
}

TPlotFrame ResponseChartView::Frame() const {
    const QRectF plot = viewportTransform().mapRect(chart()->mapRectToScene(chart()->plotArea()));
    return {plot.left(), plot.top(), plot.width(), plot.height()};
}

QString ResponseChartView::ReadoutText() const {
    return CoreText(model_.ReadoutText());
}

void ResponseChartView::UpdateReadout(QPointF at) {
    if (model_.PointerAt(Frame(), at.x(), at.y(), UserNotation)) {
        viewport()->update();
    }
}

void ResponseChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QChartView::mousePressEvent(event);
        return;
    }
    const QPointF at = event->position();
    const TPlotFrame frame = Frame();
    if (steps_) {
        steps_->EndMove(); // a run of key presses ends here
    }
    if (steps_ && event->modifiers().testFlag(Qt::ControlModifier) &&
        model_.OnPlot(frame, at.x(), at.y()) && !model_.PointAt(frame, at.x(), at.y())) {
        const auto [hz, db] = model_.ValueAt(frame, at.x(), at.y());
        ShowNote(steps_->Add(hz, db));
        return;
    }
    if (model_.Press(frame, at.x(), at.y()) == TChartModel::TPress::Picked) {
        pressed_ = model_.PickedPoint();
        pressedAt_ = at;
        viewport()->update();
    }
}

void ResponseChartView::mouseMoveEvent(QMouseEvent* event) {
    QChartView::mouseMoveEvent(event);
    const QPointF at = event->position();
    // As the pointer moves, as Qt Charts' hover did; a point being dragged carries the line
    // along under the pointer, and its ring shows what moves.
    SetHighlighted(!dragging_ && NearLine(model_.Line(), Axes(), Frame(), at.x(), at.y()));
    if ((event->buttons() & Qt::LeftButton) && model_.DragTo(Frame(), at.x(), at.y())) {
        Refresh();
    }
    if ((event->buttons() & Qt::LeftButton) && pressed_ && steps_) {
        if (!dragging_ && at != pressedAt_) {
            dragging_ = steps_->BeginMove(*pressed_);
            SetHighlighted(false);
            if (!dragging_) {
                pressed_.reset();
                ShowNote(kRowUnknownNote);
            }
        }
        if (dragging_) {
            const auto [hz, db] = model_.ValueAt(Frame(), at.x(), at.y());
            steps_->MoveTo(hz, db, event->modifiers().testFlag(Qt::ControlModifier));
        }
    }
    UpdateReadout(at);
}

void ResponseChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        model_.EndDrag();
        pressed_.reset();
        if (std::exchange(dragging_, false)) {
            steps_->EndMove();
            Settle();
        }
    }
    QChartView::mouseReleaseEvent(event);
}

void ResponseChartView::keyPressEvent(QKeyEvent* event) {
    const std::optional<std::size_t> marked = model_.PickedPoint();
    if (!steps_ || (!marked && !dragging_)) {
        QChartView::keyPressEvent(event);
        return;
    }
    const bool large = event->modifiers().testFlag(Qt::ShiftModifier);
    switch (event->key()) {
    case Qt::Key_Escape:
        if (std::exchange(dragging_, false)) {
            pressed_.reset();
            steps_->CancelMove();
            Settle();
        } else {
            steps_->EndMove();
            model_.Mark(std::nullopt);
            viewport()->update();
        }
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!dragging_ && !steps_->Nudge(*marked, event->key() == Qt::Key_Up, large)) {
            ShowNote(kRowUnknownNote);
        }
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (!dragging_) {
            steps_->EndMove();
            const bool left = event->key() == Qt::Key_Left;
            if (left ? *marked > 0 : *marked + 1 < series_.Count()) {
                model_.Mark(left ? *marked - 1 : *marked + 1);
                viewport()->update();
            }
        }
        break;
    case Qt::Key_Delete:
        if (!dragging_) {
            if (steps_->Delete(*marked)) {
                model_.Mark(std::nullopt);
            } else {
                ShowNote(kRowUnknownNote);
            }
            viewport()->update();
        }
        break;
    default:
        QChartView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ResponseChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        model_.Unzoom();
        Refresh();
        UpdateReadout(event->position());
    }
}

void ResponseChartView::wheelEvent(QWheelEvent* event) {
    const QPointF at = event->position();
    // Some systems turn a wheel with Shift held into a sideways one.
    const QPoint delta = event->angleDelta();
    if (!model_.Wheel(Frame(), at.x(), at.y(), delta.y() != 0 ? delta.y() : delta.x(),
                      event->modifiers().testFlag(Qt::ShiftModifier))) {
        event->ignore();
        return;
    }
    Refresh();
    UpdateReadout(at);
    event->accept();
}

bool ResponseChartView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) {
        SetHighlighted(false);
        if (model_.PointerLeft()) {
            viewport()->update();
        }
    }
    return QChartView::viewportEvent(event);
}

bool ResponseChartView::SavePng(const QString& file) {
    return SaveViewPng(*this, file);
}

bool ResponseChartView::SaveSvg(const QString& file) {
    return SaveViewSvg(*this, file, QStringLiteral("Response chart"));
}
