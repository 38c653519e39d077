#include "station/Form4.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPalette>

namespace corvane::station {

namespace {

// A colour value 0x00BBGGRR.
QColor FromColourValue(int32_t value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

}  // namespace

Form4::Form4(ui::AppContext& context)
    : context_(context),
      monitor_(context.airport, context.terrain, context.station, context.session, context.boxes) {
    setObjectName("Form4");
    setWindowTitle("ATC Station Window");

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setAlignment(Qt::AlignCenter);
    QFont big = Label1->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 4);
    Label1->setFont(big);

    Shape1 = new ui::Lamp(QColor(255, 200, 0), this);
    Shape1->setObjectName("Shape1");
    Shape2 = new ui::Lamp(QColor(200, 0, 0), this);
    Shape2->setObjectName("Shape2");
    Shape3 = new ui::Lamp(QColor(0, 160, 0), this);
    Shape3->setObjectName("Shape3");

    Command2 = new QPushButton("Start Monitoring Traffic", this);
    Command2->setObjectName("Command2");
    Command1 = new QPushButton("Stop Monitoring Traffic", this);
    Command1->setObjectName("Command1");
    Command3 = new QPushButton("Close the ATC Station", this);
    Command3->setObjectName("Command3");

    auto* lamps = new QHBoxLayout;
    lamps->addStretch();
    lamps->addWidget(Shape1);
    lamps->addWidget(Shape2);
    lamps->addWidget(Shape3);
    lamps->addStretch();
    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0, 1, 3);
    layout->addLayout(lamps, 1, 0, 1, 3);
    layout->addWidget(Command2, 2, 0);
    layout->addWidget(Command1, 2, 1);
    layout->addWidget(Command3, 2, 2);
    resize(520, 160);

    Player_Timer = new QTimer(this);
    Player_Timer->setObjectName("Player_Timer");
    Player_Timer->setInterval(1000);
    connect(Player_Timer, &QTimer::timeout, this, &Form4::Player_Timer_Timer);

    // "PLEASE WAIT..." shows while the session is left; a box from a tick stops the timer first.
    monitor_.SetStateObserver([this] {
        ShowState(false);
        Label1->repaint();
    });
    monitor_.Load();
    ShowState();

    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form4::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form4::Command3_Click);
}

void Form4::Command1_Click() {
    monitor_.Stop();
    ShowState();
}

void Form4::Command2_Click() {
    monitor_.Start();
    ShowState();
}

void Form4::Command3_Click() {
    Player_Timer->stop();
    const StationNext next = monitor_.CloseButton();
    ShowState();
    Follow(next);
}

void Form4::Player_Timer_Timer() {
    // A box shown from this tick must not let the tick run again underneath it.
    Player_Timer->stop();
    const StationNext next = monitor_.Tick();
    ShowState();
    Follow(next);
}

void Form4::closeEvent(QCloseEvent* event) {
    Player_Timer->stop();
    if (!leaving_) {
        leaving_ = true;
        monitor_.CloseBox();
        ShowState();
        // No other window is left: closing the station ends the program.
        context_.chain.EndProgram();
    }
    event->accept();
}

void Form4::ShowState(bool mayStartTimer) {
    const StationWindowState& state = monitor_.State();
    Label1->setText(QString::fromStdString(state.Label1));
    QPalette palette = Label1->palette();
    palette.setColor(QPalette::WindowText, FromColourValue(state.Label1Colour));
    Label1->setPalette(palette);
    Shape1->setLit(state.Shape1 == LampFill::Solid);
    Shape2->setLit(state.Shape2 == LampFill::Solid);
    Shape3->setLit(state.Shape3 == LampFill::Solid);
    Command1->setEnabled(state.Command1Enabled);
    Command2->setEnabled(state.Command2Enabled);
    Command3->setEnabled(state.Command3Enabled);
    if (!state.PlayerTimerEnabled || leaving_) {
        Player_Timer->stop();
    } else if (mayStartTimer && !Player_Timer->isActive()) {
        Player_Timer->start();
    }
}

void Form4::Follow(StationNext next) {
    if (next == StationNext::EndProgram) {
        leaving_ = true;
        Player_Timer->stop();
        context_.chain.EndProgram();
    }
}

}  // namespace corvane::station
