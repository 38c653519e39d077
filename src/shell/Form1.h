#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>

#include "ui/AppContext.h"

namespace corvane::shell {

// The splash: shows the product for three seconds, then makes the start-up decision once.
class Form1 : public QWidget {
    Q_OBJECT
  public:
    explicit Form1(ui::AppContext& context);

  public slots:
    void Timer1_Timer();

  private:
    ui::AppContext& context_;
    QLabel* Label1;
    QTimer* Timer1;
};

}  // namespace corvane::shell
