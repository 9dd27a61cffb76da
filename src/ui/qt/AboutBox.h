#pragma once
// The About box: program icon, heading, four lines of text and OK. OK,
// Enter, Escape and the close box all close it; its result means nothing.
// Label objectNames: "heading" (1072), "line1074", "line1075", "line1076",
// "line1077", and "ok".

#include <QDialog>

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
};
