// corvane-tool import-groundnet, run as the user runs it, in a folder of its own.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "ToolRun.h"
#include "support/TempDir.h"

namespace corvane::testing {
namespace {

class ImportGroundnetCommand : public ::testing::Test {
  protected:
    ToolRun Tool(const std::string& args) { return RunTool(dir, args); }

    static std::string Source(const std::string& relative) {
        const char* root = std::getenv("CORVANE_SOURCE_DIR");
        return (std::filesystem::path(root ? root : ".") / relative).string();
    }

    TempDir dir;
    static constexpr const char* kAirport =
        R"({"ident": "TEST", "lat": 47.5, "lon": -122.29, "runways": [{"designation": "9",
        "lengthFt": 4000, "widthFt": 150, "starts": [{"designation": "9", "lat": 47.5,
        "lon": -122.30}, {"designation": "27", "lat": 47.5, "lon": -122.28}]}]})";
};

TEST_F(ImportGroundnetCommand, PrintsTheTaxiPartAndReportsTheNamesItGave) {
    const ToolRun r = Tool("import-groundnet '" + Source("data/groundnets/KRNT.groundnet.xml") +
                           "' '" + Source("data/demo-world.json") + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto taxi = nlohmann::json::parse(r.out);
    EXPECT_EQ(taxi["parking"].size(), 56u);
    EXPECT_EQ(taxi["parking"][0]["name"], "Gate F");
    EXPECT_EQ(taxi["parking"][0]["from"], "FBO_1");
    EXPECT_NE(r.err.find("KRNT from "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Runway 16: 8 nodes on it."), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("  FBO_1 -> GATE F 1\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("  GA_N1 -> N PARKING 1\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Taxiway \"*\" -> unnamed"), std::string::npos) << r.err;
}

TEST_F(ImportGroundnetCommand, TakesOneAirportObjectAndAnIdentGivenApart) {
    dir.Write("field.json", kAirport);
    dir.Write("net.xml", R"(<groundnet><TaxiNodes>
        <node index="1" lat="47.5" lon="-122.295" isOnRunway="1"/>
        <node index="2" lat="47.5" lon="-122.285" isOnRunway="1"/>
        <node index="3" lat="47.501" lon="-122.29"/>
      </TaxiNodes><TaxiWaySegments>
        <arc begin="1" end="3" isPushBackRoute="0" name="A"/>
        <arc begin="3" end="2" isPushBackRoute="0" name="A"/>
      </TaxiWaySegments></groundnet>)");
    const ToolRun r = Tool("import-groundnet net.xml field.json");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto taxi = nlohmann::json::parse(r.out);
    ASSERT_EQ(taxi["segments"].size(), 3u);
    EXPECT_EQ(taxi["segments"][2],
              nlohmann::json::parse(R"({"type": "runway", "start": 0, "end": 1, "runway": 0})"));

    // A world description needs the ident: from the file name, or given.
    const std::string world = Source("data/demo-world.json");
    EXPECT_EQ(Tool("import-groundnet net.xml '" + world + "' KRNT").status, 0);
    const ToolRun missing = Tool("import-groundnet net.xml '" + world + "'");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no airport net in the world description"), std::string::npos)
        << missing.err;
}

TEST_F(ImportGroundnetCommand, BadFilesAndArgumentsFailWithExitTwo) {
    dir.Write("field.json", kAirport);
    dir.Write("broken.xml", "<groundnet>\n<TaxiNodes>\n<node index=\"1\"\n");
    const ToolRun broken = Tool("import-groundnet broken.xml field.json");
    EXPECT_EQ(broken.status, 2);
    EXPECT_EQ(broken.out, "");
    EXPECT_EQ(broken.err.rfind("corvane-tool: broken.xml: line ", 0), 0u) << broken.err;
    EXPECT_NE(broken.err.find("not well-formed XML"), std::string::npos) << broken.err;

    dir.Write("empty.xml", "<groundnet/>");
    const ToolRun empty = Tool("import-groundnet empty.xml field.json");
    EXPECT_EQ(empty.status, 2);
    EXPECT_NE(empty.err.find("there is no taxiway network"), std::string::npos) << empty.err;

    dir.Write("bad.json", "{\"ident\": ");
    const ToolRun badJson = Tool("import-groundnet empty.xml bad.json");
    EXPECT_EQ(badJson.status, 2);
    EXPECT_NE(badJson.err.find("bad.json: not a JSON text"), std::string::npos) << badJson.err;

    EXPECT_EQ(Tool("import-groundnet absent.xml field.json").status, 2);
    const ToolRun usage = Tool("import-groundnet field.json");
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("usage: import-groundnet GROUNDNET.xml DESCRIPTION.json [IDENT]"),
              std::string::npos);
}

}  // namespace
}  // namespace corvane::testing
