#include "shell/Form1.h"

#include <QVBoxLayout>

#include "shell/Startup.h"

namespace corvane::shell {

Form1::Form1(ui::AppContext& context) : context_(context) {
    setObjectName("Form1");
    setWindowTitle("Corvane");
    Label1 = new QLabel("CORVANE VERSION 1.1", this);
    Label1->setObjectName("Label1");
    Label1->setAlignment(Qt::AlignCenter);
    QFont font = Label1->font();
    font.setPointSize(20);
    font.setBold(true);
    Label1->setFont(font);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    resize(480, 200);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    Timer1->start();
}

void Form1::Timer1_Timer() {
    // Once only, and never again underneath a message box.
    Timer1->stop();
    switch (DecideStartup(context_.workDir, context_.config, context_.boxes)) {
        case StartupNext::EndProgram:
            context_.chain.EndProgram();
            break;
        case StartupNext::ConfigurationWindow:
            context_.chain.ShowConfigurationWindow();
            break;
        case StartupNext::SettingsWindow:
            context_.chain.ShowSettingsWindow();
            break;
    }
}

}  // namespace corvane::shell
