#pragma once
// A working folder prepared as ./run prepares the demo's: the demo world's scenery written by
// corvane-tool make-scenery, its airport database built by build-db as a first run builds it, and
// the terrain file. Needs CORVANE_TOOL_PATH and CORVANE_SOURCE_DIR.

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/ChildProcess.h"

namespace corvane::testing {

// "" on success, else what failed.
inline std::string PrepareDemoFolder(const std::filesystem::path& folder) {
    const std::string source = CORVANE_SOURCE_DIR;
    const auto run = [&](const std::vector<std::string>& args) -> std::string {
        ChildProcess tool(CORVANE_TOOL_PATH, args, folder.string());
        if (!tool.Started()) {
            return "corvane-tool did not start";
        }
        return tool.Wait(std::chrono::seconds(60)) == 0 ? "" : "corvane-tool " + args.front();
    };
    std::string failed =
        run({"make-scenery", source + "/data/demo-world.json", (folder / "FS2002").string()});
    if (failed.empty()) {
        failed = run({"build-db", "--fs", "FS2002"});
    }
    std::error_code ec;
    if (failed.empty() && !std::filesystem::copy_file(source + "/data/world_terrain.db",
                                                      folder / "world_terrain.db", ec)) {
        failed = "world_terrain.db: " + ec.message();
    }
    return failed;
}

}  // namespace corvane::testing
