#include "MainWindow.h"

#include <QtCore/QMimeData>
#include <QtGui/QCloseEvent>
#include <QtGui/QDragEnterEvent>
#include <QtGui/QDropEvent>
#include <QtGui/QFontDatabase>
#include <QtGui/QKeyEvent>
#include <QtGui/QScreen>
#include <QtGui/QShortcut>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QStyle>

#include <filesystem>
#include <utility>
#include <vector>

#include "QtDesktop.h"
#include "ResponseChartView.h"
#include "Translations.h"
#include "UndoKeys.h"
#include "editor_errors.h"
#include "number_text.h"
#include "reference_curve.h"
#include "text_utf.h"
#include "ui_MainWindow.h"

namespace {

const QSize kClientSize(610, 310);
const QSize kMinimumOuterSize(500, 350);

QFont WindowFont() {
    QFont font = QFontDatabase::hasFamily(QStringLiteral("Segoe UI"))
                     ? QFont(QStringLiteral("Segoe UI"))
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(9);
    return font;
}

QIcon MainIcon() {
    QIcon icon;
    for (int pixels : {16, 20, 24, 32, 40, 48, 64, 256}) {
        icon.addFile(QStringLiteral(":/pictures/MAINICON_%1.png").arg(pixels),
                     QSize(pixels, pixels));
    }
    return icon;
}

QString ToQString(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

std::vector<std::filesystem::path> LocalFiles(const QList<QUrl>& urls) {
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            files.emplace_back(url.toLocalFile().toStdU16String());
        }
    }
    return files;
}

bool CarriesLocalFiles(const QMimeData* data) {
    return data && !LocalFiles(data->urls()).empty();
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::MainWindow>()) {
    // The pictures are compiled into the shell library, which nothing else references.
    Q_INIT_RESOURCE(pictures);
    setFont(WindowFont());
    ui_->setupUi(this);
    setWindowIcon(MainIcon());

    auto* chart = new ResponseChartView(form_.Series1, ui_->GridPanel1);
    chart->setObjectName(QStringLiteral("Chart1"));
    // Like the other cells of columns 1 and 2: only the stretch factors share out the width.
    chart->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    ui_->Chart1Cell->addWidget(chart);
    setTabOrder(ui_->Edit1, chart);
    setTabOrder(chart, ui_->StringGrid1);

    chart->Follow(form_.ChartRows, form_.Edit1, form_.lbFilename);
    chart->Edit(form_.PointSteps);
    ui_->StringGrid1->SetGrid(form_.StringGrid1);
    setAcceptDrops(true);
    // The name field takes neither Alt+letter as typing nor a file drag as text.
    ui_->Edit1->installEventFilter(this);
    // Every control's key override passes here: the window's keys win over them.
    QApplication::instance()->installEventFilter(this);
    connect(ui_->StringGrid1, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        ui_->PopupMenu1->popup(ui_->StringGrid1->viewport()->mapToGlobal(at));
    });

    form_.Desktop = QtDesktop(*this);
    BindTexts();
    ConnectActions();
    ConnectHistory();

    resize(kClientSize + QSize(0, menuBar()->sizeHint().height()));
    // The client area is centred: the frame's size is not known before the window is shown.
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                    screen()->availableGeometry()));
    ui_->Edit1->setFocus();
}

MainWindow::~MainWindow() {
    form_.OnHistoryChange = nullptr;
    // The table and the chart follow the form's models, so they go before the form does.
    delete takeCentralWidget();
}

bool MainWindow::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
        HoldOuterMinimum();
        break;
    case QEvent::LocaleChange: {
        const char16_t old = UserNotation.DecimalSeparator;
        UserNotation = SystemNotation();
        form_.NotationChanged(old);
        findChild<ResponseChartView*>(QStringLiteral("Chart1"))->NotationChanged();
        break;
    }
    default:
        break;
    }
    return handled;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // A line edit on X11 claims Ctrl+E (end of line) and the like before any shortcut sees them;
    // in this window the window's keys come first.
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const QKeySequence key(static_cast<QKeyEvent*>(event)->keyCombination());
        for (const QAction* action : actions()) {
            if (action->shortcuts().contains(key)) {
                return true;
            }
        }
    }
    if (watched == ui_->Edit1) {
        if (event->type() == QEvent::KeyPress) {
            // Alt+letter is a menu's key; Ctrl+Alt stays typing, the AltGr of Windows.
            const Qt::KeyboardModifiers modifiers = static_cast<QKeyEvent*>(event)->modifiers();
            return (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier);
        }
        if (event->type() == QEvent::DragEnter &&
            CarriesLocalFiles(static_cast<QDragEnterEvent*>(event)->mimeData())) {
            // Refused here, the drag goes on to the window.
            event->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (CarriesLocalFiles(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (CarriesLocalFiles(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (CarriesLocalFiles(event->mimeData())) {
        event->acceptProposedAction();
        DropFiles(event->mimeData()->urls());
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    ui_->StringGrid1->EndEdit();
    if (form_.FormCloseQuery()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::DropFiles(const QList<QUrl>& urls) {
    ui_->StringGrid1->EndEdit();
    const std::vector<std::filesystem::path> files = LocalFiles(urls);
    form_.Execute([this, &files] { form_.DropFiles(files); });
}

void MainWindow::ConnectActions() {
    // Every command of the form's command table runs from the action of its name. An open cell
    // editor ends first, so that it never writes into a row the command moved.
    for (const TCommand& command : Commands()) {
        auto* action = findChild<QAction*>(QString::fromLatin1(command.Action));
        Q_ASSERT(action != nullptr);
        connect(action, &QAction::triggered, this, [this, id = command.Id] {
            ui_->StringGrid1->EndEdit();
            form_.Execute(id);
        });
    }

    connect(ui_->acLoadReference, &QAction::triggered, this, &MainWindow::LoadReference);
    connect(ui_->acClearReference, &QAction::triggered, this,
            [this] { findChild<ResponseChartView*>(QStringLiteral("Chart1"))->ClearReference(); });
    connect(ui_->acExportChart, &QAction::triggered, this, &MainWindow::ExportChart);

    // Menu items and tool buttons name the action they run in the window description. Only the
    // action, which belongs to the window, holds the key: an item holding it too would be its
    // rival whenever the menu bar has the focus, and Qt then runs neither. An item shows the key
    // after a tab, which QMenu draws in its shortcut column.
    const auto linkedAction = [this](const QObject* item) {
        const QString name = item->property("action").toString();
        return name.isEmpty() ? nullptr : findChild<QAction*>(name);
    };
    for (QAction* item : findChildren<QAction*>()) {
        if (QAction* action = linkedAction(item)) {
            if (!action->shortcut().isEmpty()) {
                item->setText(item->text() + u'\t' +
                              action->shortcut().toString(QKeySequence::NativeText));
            }
            connect(item, &QAction::triggered, action, &QAction::trigger);
        }
    }
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        if (QAction* action = linkedAction(button)) {
            connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
        }
    }

    // Shift+F10 opens the table's pop-up menu, as the Menu key does, at the current cell.
    auto* popupKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), ui_->StringGrid1);
    popupKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(popupKey, &QShortcut::activated, this, [this] {
        QTableView& table = *ui_->StringGrid1;
        const QRect cell = table.visualRect(table.currentIndex());
        const QPoint at = cell.isValid() ? cell.center() : table.viewport()->rect().center();
        ui_->PopupMenu1->popup(table.viewport()->mapToGlobal(at));
    });

    // F10 opens the first menu, as on other desktops; the arrow keys then walk the menu bar.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(ui_->File1->menuAction()); });
}

void MainWindow::ConnectHistory() {
    ui_->acRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(ui_->acUndo, &QAction::triggered, this, [this] {
        ui_->StringGrid1->EndEdit();
        if (form_.CanUndo()) {
            form_.Undo();
        }
    });
    connect(ui_->acRedo, &QAction::triggered, this, [this] {
        ui_->StringGrid1->EndEdit();
        if (form_.CanRedo()) {
            form_.Redo();
        }
    });
    // The texts without the step's caption, which ShowHistory puts in between.
    for (QAction* action :
         {ui_->acUndo, ui_->acRedo, ui_->Undo1, ui_->Redo1, ui_->Undo2, ui_->Redo2}) {
        action->setProperty("caption", action->text().section(u'\t', 0, 0));
    }
    auto* keys = new UndoKeys(*ui_->acUndo, *ui_->acRedo, this);
    ui_->Edit1->installEventFilter(keys);
    ui_->StringGrid1->SetEditorFilter(keys);
    form_.OnHistoryChange = [this] { ShowHistory(); };
    ShowHistory();
}

void MainWindow::ShowHistory() {
    const auto show = [](QAction* action, bool enabled, const std::u16string& step) {
        QString text = action->property("caption").toString();
        if (!step.empty()) {
            //: Undo or Redo, then the caption of the step it takes: "Undo Delete row"
            text = tr("%1 %2").arg(text, CoreText(step).replace(u'&', QStringLiteral("&&")));
        }
        if (const QString key = action->text().section(u'\t', 1); !key.isEmpty()) {
            text += u'\t' + key;
        }
        action->setText(text);
        action->setEnabled(enabled);
    };
    for (QAction* action : {ui_->acUndo, ui_->Undo1, ui_->Undo2}) {
        show(action, form_.CanUndo(), form_.UndoText());
    }
    for (QAction* action : {ui_->acRedo, ui_->Redo1, ui_->Redo2}) {
        show(action, form_.CanRedo(), form_.RedoText());
    }
}

void MainWindow::LoadReference() {
    const auto path = form_.Desktop.RunOpenDialog({u"All|*.*|Ulmaro Sound Profile|*.ump",
                                                   tr("Load reference curve").toStdU16String(), u"",
                                                   form_.LastFolder()});
    if (!path) {
        return;
    }
    auto* chart = findChild<ResponseChartView*>(QStringLiteral("Chart1"));
    // Through the general error handler, so that a file that does not read shows the reader's
    // message; the chart keeps what it showed.
    form_.Execute([&] {
        const TReferenceCurve curve = ReadReferenceCurve(*path);
        chart->ShowReference(curve.Points, ToQString(curve.Name));
    });
}

void MainWindow::ExportChart() {
    // The typed extension decides the format, else the filter chosen.
    const TFileDialogSettings settings{
        (tr("PNG image") + QStringLiteral("|*.png|") + tr("SVG image") + QStringLiteral("|*.svg"))
            .toStdU16String(),
        tr("Export chart image").toStdU16String(), u".png", form_.LastFolder(), true};
    const auto choice = form_.Desktop.RunSaveDialogWithFilter(settings);
    if (!choice) {
        return;
    }
    const bool svg =
        FilterIndexForName(settings.Filter, choice->FileName, choice->FilterIndex) == 1;
    auto* chart = findChild<ResponseChartView*>(QStringLiteral("Chart1"));
    form_.Execute([&] {
        const QString file = ToQString(PathToUtf16(choice->FileName));
        if (!(svg ? chart->SaveSvg(file) : chart->SavePng(file))) {
            throw FileError("Cannot create file \"" + Utf16ToUtf8(PathToUtf16(choice->FileName)) +
                            "\"");
        }
    });
}

void MainWindow::BindTexts() {
    // Typing writes through at every keystroke; the form's own changes are shown only where
    // they differ, so that the cursor stays where the user left it.
    ui_->Edit1->setText(ToQString(form_.Edit1.Text()));
    connect(ui_->Edit1, &QLineEdit::textEdited, this,
            [this](const QString& text) { form_.Edit1.SetText(text.toStdU16String()); });
    form_.Edit1.OnChange = [this] {
        const QString text = ToQString(form_.Edit1.Text());
        if (ui_->Edit1->text() != text) {
            ui_->Edit1->setText(text);
        }
    };

    // A file may be called "<b>x</b>.ump": its name is shown as it is.
    ui_->lbFilename->setTextFormat(Qt::PlainText);
    const auto showFileName = [this] {
        ui_->lbFilename->setText(ToQString(form_.lbFilename.Text()));
        ui_->lbFilename->adjustSize();
    };
    showFileName();
    form_.lbFilename.OnChange = showFileName;
}

void MainWindow::HoldOuterMinimum() {
    const QSize frame = frameGeometry().size() - size();
    QSize limit = kMinimumOuterSize - frame;
    // Until the window manager has framed the window (X11 reports the frame only after it is
    // mapped), Qt answers no frame at all, or an empty one; the limit less nothing must not
    // stretch the window beyond the size it was given. The next move or resize brings the frame.
    if (frame.width() <= 0 && frame.height() <= 0) {
        limit = limit.boundedTo(size());
    }
    setMinimumSize(limit.expandedTo(QSize(0, 0)));
}
