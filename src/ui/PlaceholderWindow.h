#pragma once

#include <QLabel>
#include <QWidget>

namespace corvane::ui {

// Stands in for a window of the chain that is not built yet, and says so.
class PlaceholderWindow : public QWidget {
    Q_OBJECT
  public:
    PlaceholderWindow(const QString& objectName, const QString& caption, const QString& text);
};

}  // namespace corvane::ui
