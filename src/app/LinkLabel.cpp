#include "LinkLabel.h"

#include <QtCore/QUrl>
#include <QtGui/QDesktopServices>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QStyle>

#include <algorithm>

namespace {

constexpr int kLightnessSteps = 60; // on the 0..240 scale

} // namespace

QColor ShiftLightness(const QColor& colour, int steps) {
    const QColor hsl = colour.toHsl();
    const float lightness = std::clamp(hsl.lightnessF() + steps / 240.0f, 0.0f, 1.0f);
    return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), lightness, hsl.alphaF()).toRgb();
}

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    // Qt takes an address without a scheme for a file name, which it cannot open as a web page;
    // the retry with "http://" is the one that reaches the browser then.
    OpenAddress = [](const QString& address) {
        const QUrl url(address);
        return !url.scheme().isEmpty() && QDesktopServices::openUrl(url);
    };
}

void LinkLabel::paintEvent(QPaintEvent* /*event*/) {
    const QColor link = palette().color(QPalette::Link);
    QFont underlined = font();
    underlined.setUnderline(true);
    QPainter painter(this);
    painter.setFont(underlined);
    switch (look_) {
    case Look::Plain:
        painter.setPen(link);
        break;
    case Look::Hot:
        painter.setPen(ShiftLightness(link, kLightnessSteps));
        break;
    case Look::Pressed:
        painter.setPen(ShiftLightness(link, -kLightnessSteps));
        break;
    }
    painter.drawText(contentsRect(),
                     static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment())),
                     text());
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    if (look_ == Look::Plain) {
        SetLook(Look::Hot);
    }
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event) {
    // A held button keeps the pressed look until it is released.
    if (look_ == Look::Hot) {
        SetLook(Look::Plain);
    }
    QLabel::leaveEvent(event);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        SetLook(Look::Pressed);
    }
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || look_ != Look::Pressed) {
        return;
    }
    const bool inside = rect().contains(event->position().toPoint());
    SetLook(inside ? Look::Hot : Look::Plain);
    if (inside && !OpenAddress(text())) {
        OpenAddress(QStringLiteral("http://") + text());
    }
}

void LinkLabel::SetLook(Look look) {
    if (look != look_) {
        look_ = look;
        update();
    }
}
