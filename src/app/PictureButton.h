#pragma once
// A push button that places its picture like the tool bar wants it: centred under the caption,
// or at the left edge with the caption centred in the room to its right. Qt's own push button
// centres picture and caption as one group, which leaves no room for a caption beside a 32-pixel
// picture on a 38-pixel button.

#include <QtWidgets/QPushButton>

class PictureButton : public QPushButton {
    Q_OBJECT
    // Set from the window description; read at every paint.
    Q_PROPERTY(bool pictureLeft MEMBER pictureLeft_)

public:
    explicit PictureButton(QWidget* parent = nullptr); // usable from a Qt Designer .ui

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool pictureLeft_ = false;
};
