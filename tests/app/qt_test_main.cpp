// The entry of every Qt test program: a QApplication around the GoogleTest run.

#include <gtest/gtest.h>

#include <QtWidgets/QApplication>

namespace {

QtMessageHandler qtHandler = nullptr;

// The offscreen platform warns about every window size limit it cannot pass on to a system.
void QuietOffscreenWarnings(QtMsgType type, const QMessageLogContext& context,
                            const QString& message) {
    if (!message.startsWith(QStringLiteral("This plugin does not support"))) {
        qtHandler(type, context, message);
    }
}

} // namespace

int main(int argc, char** argv) {
    // Offscreen unless told otherwise: test discovery at build time runs this without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qtHandler = qInstallMessageHandler(QuietOffscreenWarnings);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
