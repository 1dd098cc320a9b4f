#include "ViewPicture.h"

#include <QtCore/QBuffer>
#include <QtCore/QSaveFile>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtSvg/QSvgGenerator>
#include <QtWidgets/QGraphicsView>

namespace {

// Encoders write through streams that do not tell of a short write, so the bytes are counted here.
bool WritePicture(const QString& file, const QByteArray& bytes) {
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

void Render(QGraphicsView& view, QPainter& painter, QSize size) {
    view.render(&painter, QRectF(QPointF(0, 0), size), view.viewport()->rect());
}

} // namespace

bool SaveViewPng(QGraphicsView& view, const QString& file) {
    const QSize size = view.viewport()->size();
    const qreal ratio = 2 * view.devicePixelRatioF();
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        Render(view, painter, size);
    }
    QBuffer png;
    return png.open(QIODevice::WriteOnly) && image.save(&png, "PNG") &&
           WritePicture(file, png.data());
}

bool SaveViewSvg(QGraphicsView& view, const QString& file, const QString& title) {
    const QSize size = view.viewport()->size();
    QBuffer text;
    if (!text.open(QIODevice::WriteOnly)) {
        return false;
    }
    QSvgGenerator svg;
    svg.setOutputDevice(&text);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(title);
    QPainter painter;
    if (!painter.begin(&svg)) {
        return false;
    }
    Render(view, painter, size);
    return painter.end() && WritePicture(file, text.data());
}
