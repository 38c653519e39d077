#include "ui/PlaceholderWindow.h"

#include <QVBoxLayout>

namespace corvane::ui {

PlaceholderWindow::PlaceholderWindow(const QString& objectName, const QString& caption,
                                     const QString& text) {
    setObjectName(objectName);
    setWindowTitle(caption);
    auto* label = new QLabel(text, this);
    label->setObjectName("Label1");
    label->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    resize(420, 120);
}

}  // namespace corvane::ui
