#include "scenery/Form2.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QListView>
#include <QMenuBar>
#include <QStringList>
#include <QVBoxLayout>

namespace corvane::scenery {

namespace {

constexpr const char* kComboPrompt = "Type and select an airport";

}  // namespace

Form2::Form2(ui::AppContext& context)
    : context_(context),
      logic_(context.workDir, context.config, context.airport, context.terrain, context.boxes,
             *this) {
    setObjectName("Form2");
    setWindowTitle("Settings");

    auto* about = menuBar()->addMenu("About");
    abot1 = about->addAction("About Corvane v1.1");
    abot1->setObjectName("abot1");
    connect(abot1, &QAction::triggered, this, [this] { context_.chain.ShowAboutWindow(); });

    auto* central = new QWidget(this);
    Label1 = new QLabel("Status:", central);
    Label1->setObjectName("Label1");
    Label2 = new QLabel(kDoneText, central);
    Label2->setObjectName("Label2");
    Label3 = new QLabel("Scanning:", central);
    Label3->setObjectName("Label3");
    Text1 = new QLineEdit(central);
    Text1->setObjectName("Text1");
    Text1->setReadOnly(true);
    ProgressBar1 = new QProgressBar(central);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setValue(0);

    Frame1 = new QGroupBox("All airports of the FS world", central);
    Frame1->setObjectName("Frame1");
    Combo1 = new QComboBox(Frame1);
    Combo1->setObjectName("Combo1");
    Combo1->setEditable(true);
    // Typing searches; it never adds a line to the list.
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    // Sizing to the longest of 24,000 lines would measure every one of them.
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo1->setMinimumContentsLength(40);
    Combo1->setMaxVisibleItems(20);
    if (auto* view = qobject_cast<QListView*>(Combo1->view())) {
        view->setUniformItemSizes(true);
    }
    airportLines_ = new QStringListModel(this);
    Combo1->setModel(airportLines_);
    // Part of an ident or a name, anywhere in the line, any letter case.
    airportCompleter_ = new QCompleter(airportLines_, this);
    airportCompleter_->setObjectName("Combo1Completer");
    airportCompleter_->setFilterMode(Qt::MatchContains);
    airportCompleter_->setCaseSensitivity(Qt::CaseInsensitive);
    airportCompleter_->setCompletionMode(QCompleter::PopupCompletion);
    airportCompleter_->setMaxVisibleItems(20);
    Combo1->setCompleter(airportCompleter_);
    Combo1->setEditText(kComboPrompt);

    Command1 = new QPushButton("Next", central);
    Command1->setObjectName("Command1");
    Command2 = new QPushButton("Exit", central);
    Command2->setObjectName("Command2");

    auto* status = new QGridLayout();
    status->addWidget(Label1, 0, 0);
    status->addWidget(Label2, 0, 1);
    status->addWidget(Label3, 1, 0);
    status->addWidget(Text1, 1, 1);
    status->addWidget(ProgressBar1, 2, 0, 1, 2);
    auto* frame = new QVBoxLayout(Frame1);
    frame->addWidget(Combo1);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(status);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    setCentralWidget(central);
    resize(560, 280);

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);

    Read_World_Airports = new QTimer(this);
    Read_World_Airports->setObjectName("Read_World_Airports");
    Read_World_Airports->setInterval(1000);
    connect(Read_World_Airports, &QTimer::timeout, this, &Form2::Read_World_Airports_Timer);
    Scan_Bgl = new QTimer(this);
    Scan_Bgl->setObjectName("Scan_Bgl");
    Scan_Bgl->setInterval(5);
    connect(Scan_Bgl, &QTimer::timeout, this, &Form2::Scan_Bgl_Timer);
    Read_All_Mountains = new QTimer(this);
    Read_All_Mountains->setObjectName("Read_All_Mountains");
    Read_All_Mountains->setInterval(1000);
    connect(Read_All_Mountains, &QTimer::timeout, this, &Form2::Read_All_Mountains_Timer);

    logic_.Load();
    Read_World_Airports->start();
}

int Form2::SelectedListIndex() const {
    const int index = Combo1->currentIndex();
    if (index < 0 || Combo1->currentText() != Combo1->itemText(index)) {
        return -1;
    }
    return index;
}

void Form2::Read_World_Airports_Timer() {
    // One tick does the whole job; stopped first so that no box lets it run again.
    Read_World_Airports->stop();
    switch (logic_.ReadWorldAirports()) {
        case SettingsWindowLogic::AirportsOutcome::ListReady:
            break;
        case SettingsWindowLogic::AirportsOutcome::DatabaseMissing:
            FollowBuild(logic_.StartFirstRunBuild());
            break;
        case SettingsWindowLogic::AirportsOutcome::Failed:
            context_.chain.EndProgram();
            break;
    }
}

void Form2::Read_All_Mountains_Timer() {
    Read_All_Mountains->stop();
    switch (logic_.ReadAllMountains()) {
        case SettingsWindowLogic::MountainsOutcome::Done:
            context_.chain.ShowConnectionWindow();
            break;
        case SettingsWindowLogic::MountainsOutcome::Failed:
            context_.chain.EndProgram();
            break;
    }
}

void Form2::Scan_Bgl_Timer() {
    // Stopped while the tick works, so that a box it shows cannot let the next tick run.
    Scan_Bgl->stop();
    FollowBuild(logic_.ScanBglTick());
}

void Form2::FollowBuild(SettingsWindowLogic::BuildOutcome outcome) {
    switch (outcome) {
        case SettingsWindowLogic::BuildOutcome::Scanning:
            Scan_Bgl->start();
            break;
        case SettingsWindowLogic::BuildOutcome::Stalled:
        case SettingsWindowLogic::BuildOutcome::ListReady:
            break;
        case SettingsWindowLogic::BuildOutcome::Failed:
            context_.chain.EndProgram();
            break;
    }
}

void Form2::Label2_Change() {
    const QString status = Label2->text();
    if (status == kProcessingText || status == kDoneText) {
        const bool enabled = status == kDoneText;
        Combo1->setEnabled(enabled);
        Command1->setEnabled(enabled);
        Command2->setEnabled(enabled);
    }
}

void Form2::Command1_Click() {
    if (logic_.SelectAirport(SelectedListIndex())) {
        Read_All_Mountains->start();
    }
}

void Form2::Command2_Click() {
    logic_.Exit();
    context_.chain.EndProgram();
}

void Form2::SetStatus(const std::string& label2) {
    Label2->setText(QString::fromStdString(label2));
    Label2->repaint();
    Label2_Change();
}

void Form2::SetActivity(const std::string& text1) {
    Text1->setText(QString::fromStdString(text1));
    Text1->repaint();
}

void Form2::ResetProgress() {
    ProgressBar1->setValue(0);
    ProgressBar1->repaint();
}

void Form2::SetProgress(int32_t value, int32_t maximum) {
    ProgressBar1->setRange(0, maximum);
    ProgressBar1->setValue(value);
    ProgressBar1->repaint();
}

void Form2::FillAirportList(const std::vector<std::string>& lines) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) {
        list.append(QString::fromStdString(line));
    }
    airportLines_->setStringList(list);
    // Nothing is selected until the user picks a line.
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(kComboPrompt);
}

}  // namespace corvane::scenery
