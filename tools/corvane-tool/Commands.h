#pragma once
// corvane-tool's subcommands. Each runs in the current folder, as the program does, and returns the
// exit status: 0 on success, 2 with a one-line error on standard error for bad arguments or files.

#include <string>
#include <vector>

namespace corvane::tool {

using Args = std::vector<std::string>;  // the arguments after the subcommand's name

struct Command {
    const char* name;
    const char* usage;  // one line, shown by `corvane-tool help`
    int (*run)(const Args& args);
};

// Prints "corvane-tool: <message>" on standard error and returns 2.
int Fail(const std::string& message);

int RunReplay(const Args& args);

// The table of subcommands, in the order `help` lists them (main.cpp).
const std::vector<Command>& AllCommands();

// Subcommands, each in its own file.
int MakeScenery(const Args& args);      // MakeScenery.cpp
int DecodeBgl(const Args& args);        // DecodeBgl.cpp
int BuildDb(const Args& args);          // BuildDb.cpp
int ImportGroundnet(const Args& args);  // ImportGroundnet.cpp
int RunStation(const Args& args);       // Station.cpp

}  // namespace corvane::tool
