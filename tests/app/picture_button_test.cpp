#include "PictureButton.h"

#include "pixel_ratio.h"

#include <gtest/gtest.h>

#include <QtGui/QIcon>
#include <QtGui/QImage>
#include <QtWidgets/QWidget>

#include <optional>

// The pictures are compiled into the shell library; its resources load on request.
static void LoadPictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace {

// Where `picture` shows in `image` with every opaque pixel unchanged, if anywhere.
std::optional<QPoint> ExactPlace(const QImage& image, const QImage& picture) {
    for (int top = 0; top + picture.height() <= image.height(); ++top) {
        for (int left = 0; left + picture.width() <= image.width(); ++left) {
            bool same = true;
            for (int y = 0; same && y < picture.height(); ++y) {
                for (int x = 0; same && x < picture.width(); ++x) {
                    const QRgb want = picture.pixel(x, y);
                    same = qAlpha(want) < 255 ||
                           (image.pixel(left + x, top + y) & RGB_MASK) == (want & RGB_MASK);
                }
            }
            if (same) {
                return QPoint(left, top);
            }
        }
    }
    return std::nullopt;
}

// Qt takes name@2x.png for name.png by itself; the button must draw it one to one, not the
// 32-pixel picture blown up, at the ratio of the screen.
TEST(PictureButton, DrawsThePictureForTheScreensPixelRatioPixelForPixel) {
    LoadPictures();
    const struct {
        bool pictureLeft;
        const char* caption;
    } cases[] = {{false, " "}, {true, "-"}};
    for (const auto& c : cases) {
        QWidget window;
        auto* button = new PictureButton(&window);
        button->setProperty("pictureLeft", c.pictureLeft);
        button->setText(c.caption);
        button->setIcon(QIcon(":/pictures/page_table_close_32.png"));
        button->setIconSize({32, 32});
        button->setGeometry(3, 0, 38, 37);
        window.resize(80, 40);
        window.show();

        const double ratio = button->devicePixelRatioF();
        const QImage image = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage picture = QImage(ratio >= 2 ? ":/pictures/page_table_close_32@2x.png"
                                                 : ":/pictures/page_table_close_32.png")
                                   .convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(picture.width(), 32 * static_cast<int>(ratio));
        const std::optional<QPoint> place = ExactPlace(image, picture);
        ASSERT_TRUE(place) << "caption \"" << c.caption << "\" at ratio " << ratio;
        // Left of the caption, or centred.
        const int room = image.width() - picture.width();
        EXPECT_EQ(place->x() < room / 2 - static_cast<int>(ratio), c.pictureLeft) << place->x();
    }
}

TEST(PictureButton, AtAPixelRatioOfTwo) {
    EXPECT_TRUE(PassAtPixelRatio(
        "2", "PictureButton.DrawsThePictureForTheScreensPixelRatioPixelForPixel", 1));
}

} // namespace
