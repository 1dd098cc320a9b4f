#pragma once
// A label that shows a web address as a link and opens it in the system's browser when clicked.

#include <QtWidgets/QLabel>

#include <functional>

class LinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit LinkLabel(QWidget* parent = nullptr); // usable from a Qt Designer .ui

    // Hands the address to the system; false when it could not be opened. A click tries the
    // label's text, then once more with "http://" in front; a second failure stays silent.
    std::function<bool(const QString& address)> OpenAddress;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Look { Plain, Hot, Pressed };
    void SetLook(Look look);

    Look look_ = Look::Plain;
};

// `colour` with its HSL lightness moved by `steps` on a scale of 0..240, clamped at both ends;
// hue, saturation and alpha stay.
QColor ShiftLightness(const QColor& colour, int steps);
