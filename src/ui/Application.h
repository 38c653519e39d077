#pragma once
// The application object: owns the program's state and its windows, and walks the window chain.

#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <memory>

#include "shared/Clock.h"
#include "shared/MessageBoxes.h"
#include "shared/State.h"
#include "ui/AppContext.h"

namespace corvane::ui {

class Application final : public WindowChain {
  public:
    // `boxes` is the box shower to use (real boxes in the program, recorded ones in tests).
    Application(std::filesystem::path workDir, MessageBoxes& boxes);
    ~Application() override;

    // Shows the splash; the rest of the chain follows from its timer.
    void Start();

    void ShowConfigurationWindow() override;
    void ShowSettingsWindow() override;
    void ShowAboutWindow() override;
    void ShowConnectionWindow() override;
    void EndProgram() override;

    AppContext& Context() { return context_; }
    // The window of the chain that is showing now (not the about window), or null.
    QWidget* CurrentWindow() const { return current_; }
    QWidget* AboutWindow() const { return about_; }
    bool Ended() const { return ended_; }

  private:
    void Replace(QWidget* next);

    Config config_;
    ChosenAirport airport_;
    Terrain terrain_;
    StationTables station_;
    SteadyClock clock_;
    AppContext context_;
    QPointer<QWidget> current_;
    QPointer<QWidget> about_;
    bool ended_ = false;
};

}  // namespace corvane::ui
