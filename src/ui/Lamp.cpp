#include "ui/Lamp.h"

#include <QPainter>

namespace corvane::ui {

Lamp::Lamp(QColor colour, QWidget* parent) : QWidget(parent), colour_(colour) {
    setMinimumSize(16, 16);
}

void Lamp::setLit(bool lit) {
    if (lit != lit_) {
        lit_ = lit;
        update();
    }
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height()) - 2;
    const QRect circle((width() - side) / 2, (height() - side) / 2, side, side);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QBrush(colour_, lit_ ? Qt::SolidPattern : Qt::DiagCrossPattern));
    painter.drawEllipse(circle);
}

}  // namespace corvane::ui
