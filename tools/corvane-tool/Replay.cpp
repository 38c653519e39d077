// corvane-tool replay [--verbose] SCRIPT: the real station against a scripted session, in this
// process, printing what the station does (tools/replay/ReplayRunner.h has the output format).
#include <fstream>
#include <iostream>

#include "Commands.h"
#include "replay/AirportLoading.h"
#include "replay/ReplayRunner.h"

namespace corvane::tool {

int RunReplay(const Args& args) {
    replay::ReplayOptions options;
    std::string path;
    for (const std::string& a : args) {
        if (a == "--verbose") {
            options.verbose = true;
        } else if (path.empty() && !a.empty() && a[0] != '-') {
            path = a;
        } else {
            return Fail("usage: corvane-tool replay [--verbose] SCRIPT");
        }
    }
    if (path.empty()) {
        return Fail("usage: corvane-tool replay [--verbose] SCRIPT");
    }
    std::ifstream script(path, std::ios::binary);
    if (!script) {
        return Fail("cannot read " + path);
    }
    replay::ReplayRunner runner(std::cout, replay::LoadAirportFromWorkingFolder, options);
    if (const auto error = runner.RunScript(script)) {
        std::cout.flush();
        return Fail(path + ":" + std::to_string(error->line) + ": " + error->reason);
    }
    return 0;
}

}  // namespace corvane::tool
