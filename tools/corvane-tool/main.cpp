// corvane-tool: database building and inspection, the scenery writer, replay and the headless
// station, all working in the current folder like the program.
#include <iostream>

#include "Commands.h"
#include "DatabaseCommands.h"

namespace corvane::tool {

int Fail(const std::string& message) {
    std::cerr << "corvane-tool: " << message << "\n";
    return 2;
}

namespace {

int Help(const Args&) {
    std::cout << "usage: corvane-tool COMMAND [ARGS]\n";
    for (const Command& c : AllCommands()) {
        std::cout << "  " << c.usage << "\n";
    }
    return 0;
}

}  // namespace

// Each subcommand lives in its own file; add it here.
const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands = {
        {"help", "help                      this list", Help},
        {"airports", "airports                  the airport list, one per line", RunAirports},
        {"airport", "airport IDENT             one airport's record as JSON", RunAirport},
        {"choose", "choose IDENT              Next on that airport, as JSON", RunChoose},
        {"make-scenery",
         "make-scenery DESCRIPTION FOLDER | make-scenery --random AIRPORTS FILES FOLDER [SEED]",
         MakeScenery},
        {"build-db",
         "build-db --fs FOLDER       the first run without windows: corvane.cfg and "
         "world_airports.dat from the FS2002 folder",
         BuildDb},
        {"decode-bgl", "decode-bgl FILE [--magdec FILE]   the airports of one BGL file as JSON",
         DecodeBgl},
        {"replay", "replay [--verbose] SCRIPT  the station against a scripted session", RunReplay},
        {"station",
         "station --airport IDENT --connect HOST[:PORT] [--session NAME] [--callsign CS] "
         "[--minutes M]   the station without windows, its chat printed live",
         RunStation},
        {"import-groundnet",
         "import-groundnet GROUNDNET.xml DESCRIPTION.json [IDENT]   a ground network as an "
         "airport's \"taxi\" JSON",
         ImportGroundnet},
    };
    return commands;
}

}  // namespace corvane::tool

int main(int argc, char* argv[]) {
    using namespace corvane::tool;
    if (argc < 2) {
        Help({});
        return 2;
    }
    const std::string name = argv[1];
    for (const Command& c : AllCommands()) {
        if (name == c.name) {
            return c.run(Args(argv + 2, argv + argc));
        }
    }
    return Fail("unknown command '" + name + "' (see corvane-tool help)");
}
