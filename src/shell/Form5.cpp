#include "shell/Form5.h"

#include <QVBoxLayout>

namespace corvane::shell {

Form5::Form5() {
    setObjectName("Form5");
    setWindowTitle("About Corvane v1.1");
    Label1 = new QLabel("Corvane v1.1", this);
    Label1->setObjectName("Label1");
    QFont font = Label1->font();
    font.setPointSize(16);
    font.setBold(true);
    Label1->setFont(font);
    Label2 = new QLabel(
        "An automatic air-traffic-control station for flight-simulator multiplayer sessions: "
        "ground, tower, approach and departure, centre and advisory services for the airport "
        "you choose, spoken through the session's chat.\n\nBuilt by the Corvane team.",
        this);
    Label2->setObjectName("Label2");
    Label2->setWordWrap(true);
    Command1 = new QPushButton("OK", this);
    Command1->setObjectName("Command1");
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(Command1, 0, Qt::AlignRight);
    resize(420, 220);
}

}  // namespace corvane::shell
