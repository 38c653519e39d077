#include "ui/Application.h"

#include <QCoreApplication>

#include "scenery/Form2.h"
#include "session/EnetSession.h"
#include "session/Form3.h"
#include "shell/Form1.h"
#include "shell/Form5.h"
#include "shell/Form7.h"
#include "station/Form4.h"

namespace corvane::ui {

Application::Application(std::filesystem::path workDir, MessageBoxes& boxes)
    : context_{std::move(workDir), config_, airport_, terrain_, station_,
               session_,           boxes,   clock_,   *this} {
#ifdef CORVANE_HAVE_ENET
    session_.DirectX = [this] { return std::make_unique<session::EnetSession>(&addressDialog_); };
#endif
}

Application::~Application() {
    delete current_.data();
    delete about_.data();
}

void Application::Start() {
    Replace(new shell::Form1(context_));
}

void Application::ShowConfigurationWindow() {
    Replace(new shell::Form7(context_));
}

void Application::ShowSettingsWindow() {
    Replace(new scenery::Form2(context_));
}

void Application::ShowConnectionWindow() {
    Replace(new session::Form3(context_));
}

void Application::ShowStationWindow() {
    Replace(new station::Form4(context_));
}

void Application::ShowAboutWindow() {
    if (!about_) {
        about_ = new shell::Form5();
    }
    about_->show();
    about_->raise();
}

void Application::EndProgram() {
    ended_ = true;
    Replace(nullptr);
    if (about_) {
        about_->close();
    }
    QCoreApplication::exit(0);
}

void Application::Replace(QWidget* next) {
    // The window asking for the next one is still on the call stack: let it go later.
    if (current_) {
        current_->hide();
        current_->deleteLater();
    }
    current_ = next;
    if (next) {
        next->show();
    }
}

}  // namespace corvane::ui
