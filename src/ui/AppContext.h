#pragma once
// What every window is handed: the working folder, the program's state, the way to show boxes and
// the way to move to the next window. The application object owns all of it.

#include <filesystem>

#include "shared/Clock.h"
#include "shared/MessageBoxes.h"
#include "shared/State.h"

namespace corvane::ui {

// The chain of windows: each window unloads itself and asks for the next one here.
class WindowChain {
  public:
    virtual ~WindowChain() = default;
    virtual void ShowConfigurationWindow() = 0;  // Form7
    virtual void ShowSettingsWindow() = 0;       // Form2
    virtual void ShowAboutWindow() = 0;          // Form5, modeless
    virtual void ShowConnectionWindow() = 0;     // Form3
    virtual void EndProgram() = 0;
};

struct AppContext {
    std::filesystem::path workDir;
    Config& config;
    ChosenAirport& airport;
    Terrain& terrain;
    StationTables& station;
    MessageBoxes& boxes;
    Clock& clock;
    WindowChain& chain;
};

}  // namespace corvane::ui
