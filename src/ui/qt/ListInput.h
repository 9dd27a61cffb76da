#pragma once
// The user's mouse and keys on one of the main window's lists, handed to
// the window's handlers as the system reports them to a list view: a click,
// a double click (the release that ends it is no second click, so a double
// click marks a row once), and the keys Space (a click on the focused row),
// Enter (opens the focused row, or goes on to the window's default button
// when there is nothing to open) and Backspace (up one folder).

#include <QObject>
#include <functional>

class QTreeWidget;

class ListInput : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void()> click;
        // Run from the event loop: it may refill the list under the view.
        std::function<void()> doubleClick;
        // True when the key opened something.
        std::function<bool()> open;
        std::function<void()> up;
    };

    ListInput(QTreeWidget& list, Handlers handlers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Key(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat);

    QTreeWidget& list_;
    QObject* viewport_;
    Handlers handlers_;
    // From a double click on a row to the next press: the release that
    // ends the double click is no click.
    bool afterDoubleClick_ = false;
};
