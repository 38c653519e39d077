#pragma once
// Runs the application's window chain in a temporary working folder with recorded message boxes.

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include "support/TempDir.h"
#include "ui/Application.h"

namespace corvane::testing {

// A window chain that only notes which window each call asks for.
class RecordingChain final : public ui::WindowChain {
  public:
    void ShowConfigurationWindow() override { calls.push_back("Form7"); }
    void ShowSettingsWindow() override { calls.push_back("Form2"); }
    void ShowConnectionWindow() override { calls.push_back("Form3"); }
    void ShowStationWindow() override { calls.push_back("Form4"); }
    void ShowAboutWindow() override { calls.push_back("Form5"); }
    void EndProgram() override { calls.push_back("end"); }
    std::vector<std::string> calls;
};

// Records the boxes, and lets a test look at the windows while a box is open.
class WatchedBoxes final : public MessageBoxes {
  public:
    void Show(BoxIcon icon, const std::string& text) override {
        if (whileOpen) {
            whileOpen(ShownBox{icon, text});
        }
        shown.push_back({icon, text});
    }
    std::vector<ShownBox> shown;
    std::function<void(const ShownBox&)> whileOpen;
};

class WindowTest : public ::testing::Test {
  protected:
    ui::Application& App() {
        if (!app_) {
            app_ = std::make_unique<ui::Application>(dir.Path(), boxes);
        }
        return *app_;
    }
    // Lets windows that unloaded themselves go.
    static void Settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    QWidget* Current() { return App().CurrentWindow(); }
    QString CurrentName() { return Current() ? Current()->objectName() : QString(); }
    template <typename T>
    T* Control(QWidget* window, const char* name) {
        T* control = window ? window->findChild<T*>(name) : nullptr;
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Click(QWidget* window, const char* name) {
        if (auto* b = Control<QAbstractButton>(window, name)) {
            b->click();
        }
        Settle();
    }

    TempDir dir;
    WatchedBoxes boxes;

  private:
    std::unique_ptr<ui::Application> app_;
};

}  // namespace corvane::testing
