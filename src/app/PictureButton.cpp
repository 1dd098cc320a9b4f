#include "PictureButton.h"

#include <QtWidgets/QStyleOptionButton>
#include <QtWidgets/QStylePainter>

PictureButton::PictureButton(QWidget* parent) : QPushButton(parent) {}

void PictureButton::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    const QIcon picture = option.icon;
    // The style draws the face and the focus frame; picture and caption are placed here.
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);

    const QRect inside = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    QRect pictureRect(QPoint(), iconSize());
    pictureRect.moveCenter(inside.center());
    QRect captionRect = inside;
    if (pictureLeft_) {
        pictureRect.moveLeft(inside.left());
        captionRect.setLeft(pictureRect.right() + 1);
    }
    picture.paint(&painter, pictureRect, Qt::AlignCenter,
                  isEnabled() ? QIcon::Normal : QIcon::Disabled);
    painter.drawItemText(captionRect, Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextDontClip,
                         palette(), isEnabled(), caption, QPalette::ButtonText);
}
