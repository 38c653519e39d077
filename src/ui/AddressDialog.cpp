#include "ui/AddressDialog.h"

#include <QApplication>
#include <QInputDialog>

namespace corvane::ui {

std::optional<std::string> AddressDialog::AskHostAddress() {
    bool ok = false;
    const QString text = QInputDialog::getText(
        QApplication::activeWindow(), "Internet TCP/IP Connection",
        "Address of the session host (host or host:port):", QLineEdit::Normal, QString(), &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text.trimmed().toStdString();
}

}  // namespace corvane::ui
