#include "shell/Form7.h"

#include <QGridLayout>
#include <QMenuBar>
#include <QVBoxLayout>

#include "shell/Startup.h"

namespace corvane::shell {

Form7::Form7(ui::AppContext& context, std::vector<scenery::Volume> volumes)
    : context_(context), volumes_(std::move(volumes)), folders_(context.workDir) {
    setObjectName("Form7");
    setWindowTitle("Creating Configuration File");
    // A new configuration always means a new airport database.
    PrepareConfigurationWindow(context_.workDir);

    auto* about = menuBar()->addMenu("About");
    abot1 = about->addAction("About Corvane v1.1");
    abot1->setObjectName("abot1");
    connect(abot1, &QAction::triggered, this, [this] { context_.chain.ShowAboutWindow(); });

    auto* central = new QWidget(this);
    Frame1 = new QGroupBox("Getting FS2002 Path", central);
    Frame1->setObjectName("Frame1");
    Drive1 = new QComboBox(Frame1);
    Drive1->setObjectName("Drive1");
    for (const auto& v : volumes_) {
        Drive1->addItem(QString::fromStdString(scenery::VolumeDisplayName(v)));
    }
    Dir1 = new QListWidget(Frame1);
    Dir1->setObjectName("Dir1");
    Label1 = new QLabel("Current Path:", Frame1);
    Label1->setObjectName("Label1");
    Text1 = new QLineEdit("-none-", Frame1);
    Text1->setObjectName("Text1");
    Label2 = new QLabel("Example:", Frame1);
    Label2->setObjectName("Label2");
    Label3 = new QLabel("C:\\Program Files\\Microsoft Games\\FS2002", Frame1);
    Label3->setObjectName("Label3");
    Command1 = new QPushButton("Create Configuration File", central);
    Command1->setObjectName("Command1");

    auto* grid = new QGridLayout(Frame1);
    grid->addWidget(Drive1, 0, 0, 1, 2);
    grid->addWidget(Dir1, 1, 0, 1, 2);
    grid->addWidget(Label1, 2, 0);
    grid->addWidget(Text1, 2, 1);
    grid->addWidget(Label2, 3, 0);
    grid->addWidget(Label3, 3, 1);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(Frame1);
    layout->addWidget(Command1);
    setCentralWidget(central);
    resize(520, 460);

    // Start where the program runs, on the volume that holds it.
    Drive1->setCurrentIndex(scenery::VolumeIndexOf(volumes_, folders_.Path().string()));
    FillDir1();
    connect(Drive1, &QComboBox::currentIndexChanged, this, &Form7::Drive1_Change);
    connect(Dir1, &QListWidget::itemActivated, this, &Form7::Dir1_Activated);
    connect(Command1, &QPushButton::clicked, this, &Form7::Command1_Click);
}

void Form7::Drive1_Change(int index) {
    if (index < 0 || static_cast<size_t>(index) >= volumes_.size()) {
        return;
    }
    if (folders_.Open(volumes_[static_cast<size_t>(index)].mountPoint)) {
        FillDir1();
        Text1->setText(QString::fromStdString(folders_.Path().string()));
    }
}

void Form7::Dir1_Activated(QListWidgetItem* item) {
    if (item && folders_.Enter(item->text().toStdString())) {
        FillDir1();
        Text1->setText(QString::fromStdString(folders_.Path().string()));
    }
}

void Form7::FillDir1() {
    Dir1->clear();
    if (folders_.Path() != folders_.Path().root_path()) {
        Dir1->addItem("..");
    }
    for (const auto& name : folders_.Subfolders()) {
        Dir1->addItem(QString::fromStdString(name));
    }
}

void Form7::Command1_Click() {
    if (CreateConfiguration(context_.workDir, Text1->text().toStdString(), context_.config,
                            context_.boxes)) {
        context_.chain.ShowSettingsWindow();
    }
}

}  // namespace corvane::shell
