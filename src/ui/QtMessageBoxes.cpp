#include "ui/QtMessageBoxes.h"

#include <QMessageBox>
#include <QString>

namespace corvane::ui {

void QtMessageBoxes::Show(BoxIcon icon, const std::string& text) {
    QMessageBox box(icon == BoxIcon::Exclamation ? QMessageBox::Warning : QMessageBox::Information,
                    QString::fromUtf8(kBoxTitle), QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

}  // namespace corvane::ui
