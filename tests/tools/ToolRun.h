#pragma once
// corvane-tool run as the user runs it, in a folder of its own, its output read back.

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/TempDir.h"

namespace corvane::testing {

struct ToolRun {
    int status = -1;  // the exit status, -1 when the tool did not exit by itself
    std::string out;
    std::string err;
};

// Runs `corvane-tool ARGS` (ARGS as a shell would split them) with `dir` as the current folder.
inline ToolRun RunTool(const TempDir& dir, const std::string& args) {
    ToolRun run;
    const std::string command = "cd '" + dir.Path().string() + "' && '" CORVANE_TOOL "' " + args +
                                " 2>'" + (dir / "stderr.txt").string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return run;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.out.append(buffer, n);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = dir.Read("stderr.txt");
    return run;
}

}  // namespace corvane::testing
