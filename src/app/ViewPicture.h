#pragma once
// Pictures of a graphics view as it shows now, made by its own render: the scene with the view's
// background and foreground, without what its paintEvent draws over them. Each is made in memory,
// then written beside the file and renamed over it: a write that fails, even half way, leaves an
// older picture whole. False when the file could not be written.

#include <QtCore/QtGlobal>

QT_BEGIN_NAMESPACE
class QGraphicsView;
class QString;
QT_END_NAMESPACE

// At twice the screen's pixel density.
bool SaveViewPng(QGraphicsView& view, const QString& file);
bool SaveViewSvg(QGraphicsView& view, const QString& file, const QString& title);
