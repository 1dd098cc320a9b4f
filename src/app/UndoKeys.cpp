#include "UndoKeys.h"

#include <QtGui/QAction>
#include <QtGui/QContextMenuEvent>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>

#include <memory>

UndoKeys::UndoKeys(QAction& undo, QAction& redo, QObject* parent)
    : QObject(parent), undo_(undo), redo_(redo) {}

QAction* UndoKeys::ActionFor(const QKeyEvent& key) const {
    const QKeySequence pressed(key.keyCombination());
    if (key.matches(QKeySequence::Undo) || undo_.shortcuts().contains(pressed)) {
        return &undo_;
    }
    if (key.matches(QKeySequence::Redo) || redo_.shortcuts().contains(pressed)) {
        return &redo_;
    }
    return nullptr;
}

bool UndoKeys::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr) {
        return false;
    }
    switch (event->type()) {
    case QEvent::KeyPress:
        // The window's shortcuts win over the field (MainWindow sees every key override); what
        // arrives here is a key of the platform's undo that is no shortcut of the window, or one
        // whose action is disabled: never the field's own undo.
        if (QAction* action = ActionFor(*static_cast<QKeyEvent*>(event))) {
            if (action->isEnabled()) {
                action->trigger();
            }
            return true;
        }
        return false;
    case QEvent::ContextMenu: {
        const std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
        for (QAction* item : menu->actions()) {
            // The field's entries are known by their (translated) captions only.
            const QString caption = item->text().section(u'\t', 0, 0);
            QAction* action = caption == QLineEdit::tr("&Undo")   ? &undo_
                              : caption == QLineEdit::tr("&Redo") ? &redo_
                                                                  : nullptr;
            if (action) {
                disconnect(item, nullptr, edit, nullptr);
                item->setEnabled(action->isEnabled());
                connect(item, &QAction::triggered, action, &QAction::trigger);
            }
        }
        menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    default:
        return false;
    }
}
