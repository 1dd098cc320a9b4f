#include "QtDesktop.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QLocale>
#include <QtWidgets/QFileDialog>
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
        filters.append(parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(u';', u' ') +
                       u')');
    }
    return filters;
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
