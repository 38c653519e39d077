#include "session/Form3.h"

#include <QGridLayout>
#include <QMenuBar>
#include <QVBoxLayout>

namespace corvane::session {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

Form3::Form3(ui::AppContext& context)
    : context_(context), logic_(context.session, context.airport, context.boxes, context.clock) {
    setObjectName("Form3");
    setWindowTitle("Connecting to FS Multiplayer Session");

    auto* about = menuBar()->addMenu("About");
    abot1 = about->addAction("About Corvane v1.1");
    abot1->setObjectName("abot1");
    connect(abot1, &QAction::triggered, this, [this] { context_.chain.ShowAboutWindow(); });

    auto* central = new QWidget(this);
    Frame2 = new QGroupBox("Type of Connections:", central);
    Frame2->setObjectName("Frame2");
    Label5 = new QLabel("Type of Connection:", Frame2);
    Label5->setObjectName("Label5");
    List1 = new QListWidget(Frame2);
    List1->setObjectName("List1");
    Command1 = new QPushButton("Search for FS Multiplayer Sessions", Frame2);
    Command1->setObjectName("Command1");
    auto* frame2Layout = new QVBoxLayout(Frame2);
    frame2Layout->addWidget(Label5);
    frame2Layout->addWidget(List1);
    frame2Layout->addWidget(Command1);

    Frame1 = new QGroupBox("List of FS Multiplayer Sessions", central);
    Frame1->setObjectName("Frame1");
    Label1 = new QLabel("Avaible Sessions:", Frame1);
    Label1->setObjectName("Label1");
    List2 = new QListWidget(Frame1);
    List2->setObjectName("List2");
    Label2 = new QLabel("Callsign:", Frame1);
    Label2->setObjectName("Label2");
    Text2 = new QLineEdit(Frame1);
    Text2->setObjectName("Text2");
    Command2 = new QPushButton("Join Session", Frame1);
    Command2->setObjectName("Command2");
    auto* frame1Layout = new QGridLayout(Frame1);
    frame1Layout->addWidget(Label1, 0, 0, 1, 2);
    frame1Layout->addWidget(List2, 1, 0, 1, 2);
    frame1Layout->addWidget(Label2, 2, 0);
    frame1Layout->addWidget(Text2, 2, 1);
    frame1Layout->addWidget(Command2, 3, 0, 1, 2);

    Label3 = new QLabel("Status:", central);
    Label3->setObjectName("Label3");
    Label6 = new QLabel(central);
    Label6->setObjectName("Label6");
    Command3 = new QPushButton("Close", central);
    Command3->setObjectName("Command3");
    Label4 = new QLabel(central);  // spacer beside the close button
    Label4->setObjectName("Label4");

    auto* layout = new QGridLayout(central);
    layout->addWidget(Frame2, 0, 0, 1, 2);
    layout->addWidget(Frame1, 1, 0, 1, 2);
    layout->addWidget(Label3, 2, 0);
    layout->addWidget(Label6, 2, 1);
    layout->addWidget(Label4, 3, 0);
    layout->addWidget(Command3, 3, 1);
    setCentralWidget(central);
    resize(460, 520);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &Form3::Timer1_Timer);

    // The status shows at once, even in the middle of a search that takes a while.
    logic_.SetStatusObserver([this](const std::string& text) {
        Label6->setText(Q(text));
        Label6->repaint();
    });
    logic_.Load();
    for (const std::string& row : logic_.State().List1) {
        List1->addItem(Q(row));
    }
    ShowState();

    connect(List1, &QListWidget::currentRowChanged, this, &Form3::List1_Click);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form3::Command3_Click);
}

void Form3::List1_Click(int row) {
    ReadControls();
    logic_.SelectConnection(row);
    ShowState();
}

void Form3::Command1_Click() {
    Timer1->stop();
    ReadControls();
    logic_.Search();
    ShowState();
}

void Form3::Command2_Click() {
    Timer1->stop();
    ReadControls();
    logic_.Join();
    ShowState();
}

void Form3::Command3_Click() {
    Timer1->stop();
    ReadControls();
    const ConnectionNext next = logic_.CloseButton();
    ShowState();
    Follow(next);
}

void Form3::Timer1_Timer() {
    // A box shown from this tick must not let the tick run again underneath it.
    Timer1->stop();
    ReadControls();
    const ConnectionNext next = logic_.Tick();
    ShowState();
    Follow(next);
}

void Form3::closeEvent(QCloseEvent* event) {
    Timer1->stop();
    if (!leaving_) {
        leaving_ = true;
        logic_.CloseBox();
        ShowState();
        // No other window is left: closing this one ends the program.
        context_.chain.EndProgram();
    }
    event->accept();
}

void Form3::ReadControls() {
    ConnectionWindowState& state = logic_.State();
    state.List1Index = List1->currentRow();
    state.List2Index = List2->currentRow();
    state.Text2 = Text2->text().toStdString();
}

void Form3::ShowState() {
    const ConnectionWindowState& state = logic_.State();
    QStringList rows;
    for (const std::string& row : state.List2) {
        rows << Q(row);
    }
    QStringList shown;
    for (int i = 0; i < List2->count(); ++i) {
        shown << List2->item(i)->text();
    }
    if (rows != shown) {
        List2->clear();
        List2->addItems(rows);
    }
    List2->setCurrentRow(state.List2Index);
    if (Text2->text() != Q(state.Text2)) {
        Text2->setText(Q(state.Text2));
    }
    Label6->setText(Q(state.Label6));
    if (state.Timer1Enabled && !leaving_) {
        Timer1->start();
    } else {
        Timer1->stop();
    }
}

void Form3::Follow(ConnectionNext next) {
    switch (next) {
        case ConnectionNext::Stay:
            break;
        case ConnectionNext::StationWindow:
            leaving_ = true;
            Timer1->stop();
            context_.chain.ShowStationWindow();
            break;
        case ConnectionNext::EndProgram:
            leaving_ = true;
            context_.chain.EndProgram();
            break;
    }
}

}  // namespace corvane::session
