#include "ui/qt/ListInput.h"

#include <QKeyEvent>
#include <QTreeWidget>

ListInput::ListInput(QTreeWidget& list, Handlers handlers)
    : QObject(&list), list_(list), viewport_(list.viewport()), handlers_(std::move(handlers)) {
    list_.installEventFilter(this);
    viewport_->installEventFilter(this);
    connect(&list_, &QTreeWidget::itemClicked, this, [this] {
        if (afterDoubleClick_) {
            afterDoubleClick_ = false;
            return;
        }
        handlers_.click();
    });
    // Queued to the window, which runs it once the view is done with the
    // item. (The signal's item pointer cannot be queued itself.)
    connect(&list_, &QTreeWidget::itemDoubleClicked, this, [this] {
        afterDoubleClick_ = true;
        QMetaObject::invokeMethod(list_.window(), handlers_.doubleClick, Qt::QueuedConnection);
    });
}

bool ListInput::eventFilter(QObject* watched, QEvent* event) {
    // Pointers only: events also come while the list is being destroyed.
    if (watched == viewport_) {
        if (event->type() == QEvent::MouseButtonPress) afterDoubleClick_ = false;
        return false;
    }
    if (watched == &list_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return Key(key->key(), key->modifiers(), key->isAutoRepeat());
    }
    return false;
}

bool ListInput::Key(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
    switch (key) {
    case Qt::Key_Space: {
        // Ctrl+Space stays the view's: it selects or deselects the row.
        if (modifiers & Qt::ControlModifier) return false;
        QTreeWidgetItem* focused = list_.currentItem();
        if (focused != nullptr && !autoRepeat) {
            focused->setSelected(true);
            handlers_.click();
        }
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A held key neither opens folder after folder nor starts a job.
        return autoRepeat || handlers_.open();
    case Qt::Key_Backspace:
        if (!autoRepeat) handlers_.up();
        return true;
    default:
        return false;
    }
}
