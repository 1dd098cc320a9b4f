#pragma once
// Keeps the text fields' own undo out of the way: the keys and the context-menu entries that
// would undo or redo inside a QLineEdit run the window's Undo and Redo instead, so that there is
// one history, the editor's.

#include <QtCore/QObject>

class QAction;
class QKeyEvent;

class UndoKeys : public QObject {
public:
    UndoKeys(QAction& undo, QAction& redo, QObject* parent);

protected:
    // Install on a QLineEdit.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* ActionFor(const QKeyEvent& key) const;

    QAction& undo_;
    QAction& redo_;
};
