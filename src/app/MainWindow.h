#pragma once
// The main window: builds the widgets from the window description (resources/MainWindow.ui),
// binds them to the core TForm1 it owns and runs every action through the form's general error
// handler. The decisions live in the form; this class only draws and forwards.

#include <QtCore/QList>
#include <QtCore/QUrl>
#include <QtWidgets/QMainWindow>

#include <memory>

#include "main_f.h"

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // Sized to a client area of 610 x 310 and centred on the screen; the name field has the
    // focus once the window is shown. The form's Desktop opens real dialogs.
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    TForm1& Form() { return form_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Close, the frame's close button and the system's key all end here: the form may ask first.
    void closeEvent(QCloseEvent* event) override;

private:
    // What a drop of these files on the window does: any open edit ends, then the form decides.
    void DropFiles(const QList<QUrl>& urls);
    void ConnectActions();
    // The chart's own commands: they change nothing of the document, so they make no step.
    void LoadReference();
    void ExportChart();
    void BindTexts();
    // Undo and Redo name the step they take and are enabled only when there is one.
    void ConnectHistory();
    void ShowHistory();
    // The outer frame is held at 500 x 350 or more; Qt's minimum size is on the client area, so
    // it is the limit less the frame, which is known only once the window is shown.
    void HoldOuterMinimum();

    TForm1 form_;
    std::unique_ptr<Ui::MainWindow> ui_;
};
