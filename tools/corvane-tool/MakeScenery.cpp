// make-scenery DESCRIPTION FOLDER, or make-scenery --random AIRPORTS FILES FOLDER [SEED]: an
// FS2002-style folder from a world description (format: tools/scenery-writer/Description.cpp) or
// a random world for benchmarks.
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "Commands.h"
#include "scenery-writer/Description.h"
#include "scenery-writer/World.h"

namespace corvane::tool {

namespace {

bool ParseCount(const std::string& text, int32_t& value) {
    try {
        size_t used = 0;
        const long long v = std::stoll(text, &used);
        if (used != text.size() || v < 0 || v > 10000000) {
            return false;
        }
        value = static_cast<int32_t>(v);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

int MakeScenery(const Args& args) {
    writer::WorldDescription world;
    std::string folder;
    if (!args.empty() && args[0] == "--random") {
        int32_t airports = 0;
        int32_t files = 0;
        int32_t seed = 1;
        if (args.size() < 4 || args.size() > 5 || !ParseCount(args[1], airports) ||
            !ParseCount(args[2], files) || files < 1 ||
            (args.size() == 5 && !ParseCount(args[4], seed))) {
            return Fail("usage: make-scenery --random AIRPORTS FILES FOLDER [SEED]");
        }
        world = writer::RandomWorld(airports, files, static_cast<uint32_t>(seed));
        folder = args[3];
    } else {
        if (args.size() != 2) {
            return Fail("usage: make-scenery DESCRIPTION FOLDER");
        }
        std::ifstream in(args[0], std::ios::binary);
        if (!in) {
            return Fail(args[0] + ": cannot be read");
        }
        std::ostringstream text;
        text << in.rdbuf();
        try {
            world = writer::ParseWorldDescription(text.str());
        } catch (const std::exception& e) {
            return Fail(args[0] + ": " + e.what());
        }
        folder = args[1];
    }
    const std::string error = writer::WriteWorld(world, folder);
    if (!error.empty()) {
        return Fail(error);
    }
    size_t files = 0;
    size_t airports = 0;
    for (const auto& area : world.areas) {
        files += area.files.size();
        for (const auto& f : area.files) {
            airports += f.content.airports.size();
        }
    }
    std::cout << "Wrote " << folder << ": scenery.cfg with " << world.areas.size() << " areas, "
              << files << " BGL files with " << airports << " airports, Scenery/magdec.bgl\n";
    return 0;
}

}  // namespace corvane::tool
