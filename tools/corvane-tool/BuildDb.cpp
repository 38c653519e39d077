// build-db --fs FOLDER: the program's first run without its windows, in the current folder.
// corvane.cfg is written anew with FOLDER as the configuration window writes it (and the old
// world_airports.dat deleted with it: the two only ever stand as a pair), then the settings
// window's steps run one after another: magdec.bgl, scenery.cfg and its folders, one BGL file per
// step, world_airports.dat and the count appended to corvane.cfg.
//
// The boxes the windows would show are printed: notices on standard output, errors on standard
// error. Progress goes to standard error, on one line that keeps changing when that is a terminal.
// Area folders that do not exist and BGL files whose walk ended early are listed as warnings.
#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "Commands.h"
#include "scenery/SettingsWindowLogic.h"
#include "shell/Config.h"
#include "shell/Startup.h"

namespace corvane::tool {

namespace {

namespace fs = std::filesystem;
using BuildOutcome = scenery::SettingsWindowLogic::BuildOutcome;

// Progress on the terminal; a line left open by '\r' updates is closed before anything else.
class Terminal {
  public:
    Terminal() : live_(::isatty(STDERR_FILENO) == 1) {}

    void Activity(const std::string& text1) {
        if (text1.empty() || text1 == text1_) {
            return;
        }
        text1_ = text1;
        if (live_) {
            Redraw();
        } else {
            std::cerr << text1_ << "\n";
        }
    }
    void Progress(int32_t value, int32_t maximum) {
        value_ = value;
        maximum_ = maximum;
        if (live_) {
            Redraw();
        } else if (maximum > 0 && value > 0 && value * 10 / maximum != (value - 1) * 10 / maximum) {
            // Every tenth of the files, so a log keeps a few lines.
            std::cerr << "  " << value << " of " << maximum - 1 << " BGL files\n";
        }
    }
    // Ends the open progress line.
    void Break() {
        if (open_) {
            std::cerr << "\n";
            open_ = false;
        }
    }

  private:
    void Redraw() {
        std::string line = text1_;
        if (maximum_ > 0) {
            line += "  [" + std::to_string(value_) + "/" + std::to_string(maximum_ - 1) + "]";
        }
        std::cerr << "\r\033[K" << line << std::flush;
        open_ = true;
    }

    bool live_;
    bool open_ = false;
    std::string text1_;
    int32_t value_ = 0;
    int32_t maximum_ = 0;
};

class TerminalView final : public scenery::SettingsView {
  public:
    explicit TerminalView(Terminal& terminal) : terminal_(terminal) {}
    void SetStatus(const std::string&) override {}
    void SetActivity(const std::string& text1) override { terminal_.Activity(text1); }
    void ResetProgress() override {}
    void SetProgress(int32_t value, int32_t maximum) override {
        terminal_.Progress(value, maximum);
    }
    void FillAirportList(const std::vector<std::string>&) override {}

  private:
    Terminal& terminal_;
};

class TerminalBoxes final : public MessageBoxes {
  public:
    explicit TerminalBoxes(Terminal& terminal) : terminal_(terminal) {}
    void Show(BoxIcon icon, const std::string& text) override {
        terminal_.Break();
        if (icon == BoxIcon::Information) {
            std::cout << text << "\n" << std::flush;
        } else {
            std::cerr << "corvane-tool: " << text << "\n";
        }
    }

  private:
    Terminal& terminal_;
};

void ListProblems(const scenery::FirstRunBuild& build) {
    for (const std::string& folder : build.MissingFolders()) {
        std::cerr << "corvane-tool: warning: the scenery folder " << folder
                  << " does not exist; its area adds no airports\n";
    }
    for (const auto& damaged : build.DamagedFiles()) {
        std::string notes;
        for (const std::string& note : damaged.report.notes) {
            notes += (notes.empty() ? "" : "; ") + note;
        }
        std::cerr << "corvane-tool: warning: " << damaged.file.string() << " is damaged, "
                  << damaged.report.problems << " walk(s) ended early (" << notes
                  << "); what came before was kept\n";
    }
    if (build.FilesWithoutSignature() > 0) {
        std::cerr << "corvane-tool: warning: " << build.FilesWithoutSignature()
                  << " .bgl file(s) without the airport signature were read and skipped\n";
    }
}

}  // namespace

int BuildDb(const Args& args) {
    if (args.size() != 2 || args[0] != "--fs") {
        return Fail("usage: build-db --fs FOLDER");
    }
    std::error_code ec;
    if (!fs::is_directory(args[1], ec)) {
        return Fail(args[1] + ": no such folder (nothing was written)");
    }
    // The configuration window hands over the full path of the chosen folder.
    const std::string folder = fs::canonical(args[1], ec).string();
    if (ec) {
        return Fail(args[1] + ": " + ec.message() + " (nothing was written)");
    }
    const fs::path workDir = fs::current_path();

    Terminal terminal;
    TerminalBoxes boxes(terminal);
    Config config;
    shell::PrepareConfigurationWindow(workDir);
    if (!shell::CreateConfiguration(workDir, folder, config, boxes)) {
        return 2;
    }

    ChosenAirport airport;
    Terrain terrain;
    TerminalView view(terminal);
    scenery::SettingsWindowLogic logic(workDir, config, airport, terrain, boxes, view);
    // No list is shown here: the airports go to the file and nowhere else.
    logic.KeepAirports(false);
    logic.Load();
    if (logic.ReadWorldAirports() !=
        scenery::SettingsWindowLogic::AirportsOutcome::DatabaseMissing) {
        // Deleted above; only another process could have put one there meanwhile.
        return Fail(logic.AirportsFile().string() + " appeared while the build started");
    }
    BuildOutcome outcome = logic.StartFirstRunBuild();
    while (outcome == BuildOutcome::Scanning) {
        outcome = logic.ScanBglTick();
    }
    terminal.Break();
    if (const scenery::FirstRunBuild* build = logic.Build()) {
        ListProblems(*build);
    }
    switch (outcome) {
        case BuildOutcome::ListReady:
            std::cout << "Wrote " << logic.AirportsFile().string() << " with "
                      << config.AirportCount << " airports from " << logic.Build()->BglFileCount()
                      << " BGL files, and total_airports=" << config.AirportCount << " to "
                      << (workDir / shell::kConfigFileName).string() << "\n";
            return 0;
        case BuildOutcome::Stalled:
            return Fail("corvane.cfg already holds an airport count; nothing was built");
        case BuildOutcome::Scanning:
        case BuildOutcome::Failed:
            break;
    }
    return 2;  // the box printed above says why
}

}  // namespace corvane::tool
