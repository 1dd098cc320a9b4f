#include <QtCore/QLocale>
#include <QtCore/QTimer>
#include <QtWidgets/QApplication>

#include "MainWindow.h"
#include "QtDesktop.h"
#include "Translations.h"
#include "number_text.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // A large profile's arrays (up to some 100 MB at a million rows) stay in the heap once freed:
    // mapping them anew at each Open or Update / Sort costs a page fault per 4 KiB.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
    QApplication app(argc, argv);
    // German where the system speaks German; the English texts everywhere else.
    InstallTranslations(QLocale::system());
    UserNotation = SystemNotation();
    MainWindow window;
    window.show();
    // A profile named on the command line (the desktop's "open with") opens as Open would open
    // it, once the window is on the screen, so that an error box has it as its owner.
    if (const auto file = ProfileArgument(QCoreApplication::arguments())) {
        QTimer::singleShot(0, &window, [&window, path = *file] {
            window.Form().Execute([&window, &path] { window.Form().OpenProfileFile(path); });
        });
    }
    return app.exec();
}
