#include "QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

void QtMessageBoxes::showMessage(
    const QString &title, const QString &text, Icon icon, const QString &detail)
{
    static constexpr QMessageBox::Icon icons[]
        = {QMessageBox::NoIcon, QMessageBox::Information, QMessageBox::Critical};
    QMessageBox box(
        icons[static_cast<int>(icon)], title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(detail);
    box.exec();
}
