// The settings window's load tick with a world of 24,000 airports: the database read and Combo1
// filled, on Qt's offscreen platform. Compare with BM_AirportFileBytes of corvane_bench.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "../BenchData.h"
#include "scenery/Form2.h"
#include "shared/Clock.h"

namespace corvane::bench {
namespace {

class NoChain final : public ui::WindowChain {
  public:
    void ShowConfigurationWindow() override {}
    void ShowSettingsWindow() override {}
    void ShowAboutWindow() override {}
    void ShowConnectionWindow() override {}
    void ShowStationWindow() override {}
    void EndProgram() override {}
};

void BM_Form2LoadTick(benchmark::State& state) {
    const auto file = WorldDatabase();
    Config config;
    config.AirportCount = kWorldAirports;
    config.FsMainFolder = (ScratchFolder() / "FS2002").string();  // no magdec.bgl: one box
    ChosenAirport airport;
    Terrain terrain;
    StationTables station;
    session::SessionObjects session;
    RecordedMessageBoxes boxes;
    SteadyClock clock;
    NoChain chain;
    ui::AppContext context{
        file.parent_path(), config, airport, terrain, station, session, boxes, clock, chain};
    int lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<scenery::Form2>(context);
        form->show();
        state.ResumeTiming();
        form->Read_World_Airports_Timer();
        state.PauseTiming();
        lines = form->findChild<QComboBox*>("Combo1")->count();
        form.reset();
        state.ResumeTiming();
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_Form2LoadTick)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane::bench

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
