#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace corvane::shell {

// About Corvane.
class Form5 : public QWidget {
    Q_OBJECT
  public:
    Form5();

  private:
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* Command1;
};

}  // namespace corvane::shell
