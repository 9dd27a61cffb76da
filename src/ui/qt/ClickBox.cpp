#include "ui/qt/ClickBox.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/ClickGenerator.h"
#include "ui/StoredTexts.h"

void ClickBox::Show(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), QString::fromStdString(text),
                    QMessageBox::Ok, nullptr);
    box.setObjectName(QStringLiteral("clickBox"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void ClickBox::ShowNext(ClickGenerator& generator) {
    Show(StoredTexts::RandomText(generator.NextIndex()));
}
