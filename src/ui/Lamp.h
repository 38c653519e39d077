#pragma once

#include <QColor>
#include <QWidget>

namespace corvane::ui {

// A small round indicator lamp: filled with its colour when lit, a diagonal cross of that colour
// when dark.
class Lamp : public QWidget {
    Q_OBJECT
  public:
    Lamp(QColor colour, QWidget* parent = nullptr);

    bool isLit() const { return lit_; }
    void setLit(bool lit);

    QSize sizeHint() const override { return {24, 24}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor colour_;
    bool lit_ = false;
};

}  // namespace corvane::ui
