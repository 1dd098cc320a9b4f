#include "QtDesktop.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QEventLoop>
#include <QtCore/QLocale>
#include <QtCore/QStandardPaths>
#include <QtGui/QFontMetrics>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialog>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QProgressDialog>
#include <QtWidgets/QWidget>

#include <algorithm>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "MeasurementPreviewDialog.h"
#include "ParametricEqDialog.h"
#include "ResponseChartView.h"
#include "Translations.h"

namespace {

struct FileDialogAnswer {
    std::filesystem::path file;
    std::size_t filter = 0;
};

// With `suffixFollowsFilter`, the default extension is that of the chosen filter's first pattern,
// changing as the user picks another filter.
std::optional<FileDialogAnswer> RunFileDialog(QWidget& window, const TFileDialogSettings& settings,
                                              QFileDialog::AcceptMode mode,
                                              bool suffixFollowsFilter = false) {
    QFileDialog dialog(&window, CoreText(settings.Title));
    dialog.setAcceptMode(mode);
    // The open dialog returns a typed name that does not exist (the command reports it); the
    // save dialog replaces an existing file without asking unless the command wants the question.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(DialogFolder(settings.InitialFolder));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !settings.ConfirmOverwrite);
    const QStringList filters = QtNameFilters(CoreFilter(settings.Filter));
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) {
        dialog.selectNameFilter(filters.front());
    }
    QString suffix = QString::fromStdU16String(settings.DefaultExt);
    if (suffix.startsWith(u'.')) {
        suffix.remove(0, 1);
    }
    dialog.setDefaultSuffix(suffix);
    if (suffixFollowsFilter) {
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog](const QString& filter) { dialog.setDefaultSuffix(FilterSuffix(filter)); });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const qsizetype filter = filters.indexOf(dialog.selectedNameFilter());
    return FileDialogAnswer{std::filesystem::path(dialog.selectedFiles().front().toStdU16String()),
                            static_cast<std::size_t>(std::max<qsizetype>(filter, 0))};
}

std::optional<std::filesystem::path> RunFileDialogForPath(QWidget& window,
                                                          const TFileDialogSettings& settings,
                                                          QFileDialog::AcceptMode mode) {
    const std::optional<FileDialogAnswer> answer = RunFileDialog(window, settings, mode);
    if (!answer) {
        return std::nullopt;
    }
    return answer->file;
}

// A window manager draws the title beside its icon and buttons, in a bolder font; QMessageBox
// sizes itself by its text alone, and a short text left "W...g" of "Warning".
// The width a window manager needs to show the dialog's title in full.
int TitleRoom(const QWidget& dialog) {
    constexpr int kFrameButtons = 150; // the window's icon and up to three buttons beside it
    QFont titleFont = dialog.font();
    titleFont.setBold(true);
    return QFontMetrics(titleFont).horizontalAdvance(dialog.windowTitle()) + kFrameButtons;
}

void LeaveRoomForTitle(QMessageBox& box) {
    const int width = TitleRoom(box);
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
        {QMessageBox::Warning, QT_TRANSLATE_NOOP("QtDesktop", "Warning")},
        {QMessageBox::Critical, QT_TRANSLATE_NOOP("QtDesktop", "Error")},
        {QMessageBox::Information, QT_TRANSLATE_NOOP("QtDesktop", "Information")},
        {QMessageBox::Question, QT_TRANSLATE_NOOP("QtDesktop", "Confirm")},
    };
    const Kind& kind = kinds[static_cast<int>(type)];
    const QString message = CoreText(text);
    QMessageBox::StandardButtons shown = QMessageBox::Ok;
    if (buttons == TMsgDlgButtons::mbYesNo) {
        shown = QMessageBox::Yes | QMessageBox::No;
    } else if (buttons == TMsgDlgButtons::mbYesNoCancel) {
        shown = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    QMessageBox box(kind.icon, QCoreApplication::translate("QtDesktop", kind.caption), message,
                    shown, &window);
    // Messages name files, and a file may be called "<b>x</b>.ump".
    box.setTextFormat(Qt::PlainText);
    LeaveRoomForTitle(box);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return TModalResult::mrYes;
    case QMessageBox::No:
        return TModalResult::mrNo;
    case QMessageBox::Cancel:
        return TModalResult::mrCancel;
    default:
        return TModalResult::mrOk;
    }
}

std::optional<std::vector<std::u16string>> AskValues(QWidget& window, const TValueDialog& values) {
    QDialog dialog(&window);
    dialog.setWindowTitle(CoreText(values.Title));
    auto* form = new QFormLayout(&dialog);
    // One reader per field, so that the answer comes out in the fields' order.
    std::vector<std::function<QString()>> readers;
    for (const TValueField& field : values.Fields) {
        const QString text = QString::fromStdU16String(field.Text);
        QWidget* editor = nullptr;
        if (field.CheckBox) {
            auto* box = new QCheckBox(&dialog);
            box->setChecked(field.Text == u"1");
            readers.emplace_back([box] { return QString(box->isChecked() ? u'1' : u'0'); });
            editor = box;
        } else if (field.Choices.empty()) {
            auto* line = new QLineEdit(text, &dialog);
            line->selectAll();
            readers.emplace_back([line] { return line->text(); });
            editor = line;
        } else {
            auto* choice = new QComboBox(&dialog);
            for (const std::u16string& entry : field.Choices) {
                choice->addItem(QString::fromStdU16String(entry));
            }
            choice->setCurrentText(text);
            readers.emplace_back([choice] { return choice->currentText(); });
            editor = choice;
        }
        form->addRow(CoreText(field.Label), editor);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    dialog.setMinimumWidth(TitleRoom(dialog));
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    std::vector<std::u16string> texts;
    for (const auto& read : readers) {
        texts.push_back(read().toStdU16String());
    }
    return texts;
}

// The chart's reference curve as rows, or none.
std::optional<TProfileRows> ReferenceRows(QWidget& window) {
    const auto* chart = window.findChild<ResponseChartView*>(QStringLiteral("Chart1"));
    if (!chart || !chart->HasReference()) {
        return std::nullopt;
    }
    TProfileRows rows;
    for (std::size_t i = 0; i < chart->ReferenceX().size(); ++i) {
        rows.push_back({static_cast<float>(chart->ReferenceX()[i]),
                        static_cast<float>(chart->ReferenceY()[i])});
    }
    return rows;
}

// One result window at a time: it replaces the one open, and the chart shows its fit until it
// closes.
void ShowParametricEqFit(QWidget& window, const TParametricEqFit& fit) {
    for (auto* open : window.findChildren<ParametricEqDialog*>()) {
        if (open->isVisible()) {
            open->close();
        }
    }
    auto* chart = window.findChild<ResponseChartView*>(QStringLiteral("Chart1"));
    auto* dialog = new ParametricEqDialog(fit, &window);
    if (chart) {
        std::vector<double> x;
        std::vector<double> y;
        for (const std::vector<float>& row : fit.Response) {
            x.push_back(row[0]);
            y.push_back(row[1]);
        }
        chart->ShowFit(std::move(x), std::move(y));
        QObject::connect(dialog, &QDialog::finished, chart, &ResponseChartView::ClearFit);
    }
    dialog->show();
}

// The work runs on a thread of its own while this one keeps the window drawn; no user input is
// taken meanwhile, so no command can start, and after a moment a busy dialog says what goes on.
void RunBusy(QWidget& window, const std::u16string& text, const std::function<void()>& work) {
    QProgressDialog busy(CoreText(text), QString(), 0, 0, &window);
    busy.setWindowTitle(window.window()->windowTitle());
    busy.setMinimumWidth(TitleRoom(busy));
    busy.setWindowModality(Qt::WindowModal);
    busy.setMinimumDuration(300);
    busy.setValue(0);
    QEventLoop loop;
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (error) {
        std::rethrow_exception(error);
    }
}

} // namespace

TDesktop QtDesktop(QWidget& window) {
    TDesktop desktop;
    desktop.RunOpenDialog = [&window](const TFileDialogSettings& settings) {
        return RunFileDialogForPath(window, settings, QFileDialog::AcceptOpen);
    };
    desktop.RunSaveDialog = [&window](const TFileDialogSettings& settings) {
        return RunFileDialogForPath(window, settings, QFileDialog::AcceptSave);
    };
    desktop.RunSaveDialogWithFilter =
        [&window](const TFileDialogSettings& settings) -> std::optional<TSaveChoice> {
        const std::optional<FileDialogAnswer> answer =
            RunFileDialog(window, settings, QFileDialog::AcceptSave, true);
        if (!answer) {
            return std::nullopt;
        }
        return TSaveChoice{answer->file, answer->filter};
    };
    desktop.PreviewMeasurement =
        [&window](const TMeasurementPreview& preview) -> std::optional<TMeasurementPick> {
        MeasurementPreviewDialog dialog(preview, &window);
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.Pick();
    };
    desktop.MessageDlg = [&window](TMsgDlgType type, TMsgDlgButtons buttons,
                                   const std::u16string& text) {
        return ShowMessage(window, type, buttons, text);
    };
    desktop.AskValues = [&window](const TValueDialog& values) { return AskValues(window, values); };
    desktop.RunBusy = [&window](const std::u16string& text, const std::function<void()>& work) {
        RunBusy(window, text, work);
    };
    desktop.ReferenceRows = [&window] { return ReferenceRows(window); };
    desktop.ShowParametricEqFit = [&window](const TParametricEqFit& fit) {
        ShowParametricEqFit(window, fit);
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

QString FilterSuffix(const QString& nameFilter) {
    const qsizetype open = nameFilter.lastIndexOf(u'(');
    const QString patterns = nameFilter.mid(open + 1).chopped(nameFilter.endsWith(u')') ? 1 : 0);
    const QString first = patterns.section(u' ', 0, 0, QString::SectionSkipEmpty);
    return first.startsWith(QStringLiteral("*.")) && first != QStringLiteral("*.*") ? first.mid(2)
                                                                                    : QString();
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
