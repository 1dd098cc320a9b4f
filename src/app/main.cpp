#include <QtWidgets/QApplication>

#include <filesystem>

#include "MainWindow.h"
#include "QtDesktop.h"
#include "number_text.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    UserNotation = SystemNotation();
    MainWindow window;
    window.show();
    // A profile named on the command line (the desktop's "open with") opens as Open would open it.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1) {
        const std::filesystem::path file(arguments[1].toStdU16String());
        window.Form().Execute([&] { window.Form().OpenProfileFile(file); });
    }
    return app.exec();
}
