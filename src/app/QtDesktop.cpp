#include "QtDesktop.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QLocale>
#include <QtCore/QStandardPaths>
#include <QtGui/QFontMetrics>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QWidget>

#include <filesystem>
#include <optional>

namespace {

std::optional<std::filesystem::path>
RunFileDialog(QWidget& window, const TFileDialogSettings& settings, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(&window, QString::fromStdU16String(settings.Title));
    dialog.setAcceptMode(mode);
    // The open dialog returns a typed name that does not exist (the command reports it); the
    // save dialog replaces an existing file without asking.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(DialogFolder(settings.InitialFolder));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = QtNameFilters(settings.Filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) {
        dialog.selectNameFilter(filters.front());
    }
    QString suffix = QString::fromStdU16String(settings.DefaultExt);
    if (suffix.startsWith(u'.')) {
        suffix.remove(0, 1);
    }
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(dialog.selectedFiles().front().toStdU16String());
}

// A window manager draws the title beside its icon and buttons, in a bolder font; QMessageBox
// sizes itself by its text alone, and a short text left "W...g" of "Warning".
void LeaveRoomForTitle(QMessageBox& box) {
    constexpr int kFrameButtons = 150; // the window's icon and up to three buttons beside it
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kFrameButtons;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

TModalResult ShowMessage(QWidget& window, TMsgDlgType type, TMsgDlgButtons buttons,
                         const std::u16string& text) {
    struct Kind {
        QMessageBox::Icon icon;
        const char* caption;
    };
    static const Kind kinds[] = {
        {QMessageBox::Warning, "Warning"},
        {QMessageBox::Critical, "Error"},
        {QMessageBox::Information, "Information"},
        {QMessageBox::Question, "Confirm"},
    };
    const Kind& kind = kinds[static_cast<int>(type)];
    // The core's texts break lines the Windows way.
    const QString message =
        QString::fromStdU16String(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(kind.icon, QString::fromLatin1(kind.caption), message,
                    buttons == TMsgDlgButtons::mbOK ? QMessageBox::Ok
                                                    : QMessageBox::Yes | QMessageBox::No,
                    &window);
    LeaveRoomForTitle(box);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return TModalResult::mrYes;
    case QMessageBox::No:
        return TModalResult::mrNo;
    default:
        return TModalResult::mrOk;
    }
}

} // namespace

TDesktop QtDesktop(QWidget& window) {
    TDesktop desktop;
    desktop.RunOpenDialog = [&window](const TFileDialogSettings& settings) {
        return RunFileDialog(window, settings, QFileDialog::AcceptOpen);
    };
    desktop.RunSaveDialog = [&window](const TFileDialogSettings& settings) {
        return RunFileDialog(window, settings, QFileDialog::AcceptSave);
    };
    desktop.MessageDlg = [&window](TMsgDlgType type, TMsgDlgButtons buttons,
                                   const std::u16string& text) {
        return ShowMessage(window, type, buttons, text);
    };
    desktop.CloseMainWindow = [&window] { window.close(); };
    desktop.ExecutablePath = [] {
        return std::filesystem::path(QCoreApplication::applicationFilePath().toStdU16String());
    };
    return desktop;
}

QStringList QtNameFilters(std::u16string_view filter) {
    const QStringList parts = QString::fromUtf16(filter.data(), filter.size()).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';');
#ifndef Q_OS_WIN
        for (QString& pattern : patterns) {
            if (pattern == QStringLiteral("*.*")) {
                pattern = QStringLiteral("*");
            }
        }
#endif
        filters.append(parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return filters;
}

QString DialogFolder(const std::filesystem::path& initialFolder) {
    if (!initialFolder.empty()) {
        return QString::fromStdU16String(initialFolder.u16string());
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

NumberNotation SystemNotation() {
    const QString point = QLocale::system().decimalPoint();
    return NumberNotation{point.isEmpty() ? u'.' : point.front().unicode()};
}

std::optional<std::filesystem::path> ProfileArgument(const QStringList& arguments) {
    if (arguments.size() < 2 ||
        !arguments[1].endsWith(QStringLiteral(".ump"), Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    return std::filesystem::path(arguments[1].toStdU16String());
}
