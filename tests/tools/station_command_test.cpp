// corvane-tool station's arguments and start-up files: every mistake is a usage message or a
// clear error with status 2, before any session is looked for, and no file is touched.
#include <gtest/gtest.h>

#include "ToolRun.h"
#include "support/TempDir.h"

namespace corvane::testing {
namespace {

TEST(StationCommand, BadArgumentsGiveTheUsageAndStatusTwo) {
    TempDir dir;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "--airport is missing"},
        {"--airport KBFI", "--connect is missing"},
        {"--connect 127.0.0.1", "--airport is missing"},
        {"--airport KBFI --connect", "unknown option or missing value: --connect"},
        {"--airport KBFI --connect 127.0.0.1:70000", "bad host address"},
        {"--airport KBFI --connect 127.0.0.1:0", "bad host address"},
        {"--airport KBFI --connect 127.0.0.1:x", "bad host address"},
        {"--airport KBFI --connect :47624", "bad host address"},
        {"--airport KBFI --connect 127.0.0.1 --minutes 0", "bad number of minutes"},
        {"--airport KBFI --connect 127.0.0.1 --minutes -1", "bad number of minutes"},
        {"--airport KBFI --connect 127.0.0.1 --minutes 1.5x", "bad number of minutes"},
        {"--airport KBFI --connect 127.0.0.1 --minutes nan", "bad number of minutes"},
        {"--airport KBFI --connect 127.0.0.1 --callsign ''", "the callsign is empty"},
        {"--airport KBFI --connect 127.0.0.1 --colour red", "unknown option: --colour"},
    };
    for (const auto& [args, reason] : cases) {
        const ToolRun run = RunTool(dir, "station " + args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find("corvane-tool: " + reason), std::string::npos) << args << run.err;
        EXPECT_NE(run.err.find("usage: corvane-tool station --airport IDENT --connect HOST[:PORT]"),
                  std::string::npos)
            << args;
        EXPECT_EQ(run.out, "") << args;
    }
    const ToolRun help = RunTool(dir, "station --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--minutes M"), std::string::npos);
}

TEST(StationCommand, MissingStartUpFilesSayWhatToDoAndTouchNothing) {
    TempDir dir;
    const std::string args = "station --airport KBFI --connect 127.0.0.1:9";

    // No terrain file: the program's own message.
    ToolRun run = RunTool(dir, args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("The world_terrain.db file is missing. Please reinstall this ATC "
                           "program again."),
              std::string::npos)
        << run.err;

    // A configuration without its database: the program would delete it and ask for the FS2002
    // folder; the tool says how to build the pair and leaves the file alone.
    dir.Write("world_terrain.db", "");
    const std::string config = "[FS Main folder]\r\nfs_main_folder=/fs";
    dir.Write("corvane.cfg", config);
    run = RunTool(dir, args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("world_airports.dat is missing"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("run Corvane once in this folder"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("corvane-tool build-db --fs"), std::string::npos) << run.err;
    EXPECT_EQ(dir.Read("corvane.cfg"), config);

    // A database without its configuration: the same advice.
    std::filesystem::remove(dir / "corvane.cfg");
    dir.Write("world_airports.dat", "old");
    run = RunTool(dir, args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("corvane.cfg is missing"), std::string::npos) << run.err;
    EXPECT_EQ(dir.Read("world_airports.dat"), "old");
}

}  // namespace
}  // namespace corvane::testing
