// The replay script language and runner, with an airport loaded in memory instead of from the
// working folder. Expected transcripts follow the station's texts.
#include <gtest/gtest.h>

#include <sstream>

#include "replay/ReplayRunner.h"
#include "replay/ReplayScript.h"
#include "support/BoeingField.h"

namespace corvane::replay {
namespace {

using Words = std::vector<std::string>;

const std::string kWelcome =
    ". Welcome to Corvane v1.1 (by Quorvel). Want to use our ATC services at KBFI?: 1-Use ATC "
    "services";

std::string LoadBoeingField(const std::string& ident, ChosenAirport& a, Terrain&, MessageBoxes&) {
    if (ident != "KBFI") {
        return "no airport with the ident " + ident;
    }
    a = testing::BoeingField();
    return "";
}

struct Replayed {
    std::string out;
    std::optional<ScriptError> error;
};

Replayed Replay(const std::string& script, ReplayOptions options = {}) {
    std::ostringstream out;
    std::istringstream in(script);
    ReplayRunner runner(out, LoadBoeingField, options);
    Replayed r;
    r.error = runner.RunScript(in);
    r.out = out.str();
    return r;
}

TEST(ReplayScript, WordsQuotesAndEscapes) {
    std::string error;
    EXPECT_EQ(SplitWords("  from\tN1 chat \"boeing fld, 1\" ", error),
              (Words{"from", "N1", "chat", "boeing fld, 1"}));
    EXPECT_EQ(SplitWords(R"(info 0 "a \"big\" one \\ x" "")", error),
              (Words{"info", "0", R"(a "big" one \ x)", ""}));
    for (const char* bad : {R"(chat "open)", R"(chat "a\n")", R"(chat "a"b)", R"(chat "a\)"}) {
        error.clear();
        EXPECT_FALSE(SplitWords(bad, error).has_value()) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(ReplayScript, CommandsAndTheirArguments) {
    EXPECT_FALSE(ParseReplayLine("   ").line.has_value());
    EXPECT_TRUE(ParseReplayLine("   ").error.empty());
    EXPECT_TRUE(ParseReplayLine("  # tick 5").error.empty());

    auto line = ParseReplayLine("station").line;
    ASSERT_TRUE(line);
    EXPECT_EQ(line->id, 1000);
    line = ParseReplayLine("from N1 pos 47.53 -122.3 2000 +90").line;
    ASSERT_TRUE(line);
    EXPECT_EQ(line->sent, Sent::Pos);
    EXPECT_DOUBLE_EQ(line->latitude, 47.53);
    EXPECT_DOUBLE_EQ(line->longitude, -122.3);
    EXPECT_EQ(line->altitudeFt, 2000);
    EXPECT_EQ(line->trueHeading, 90);
    line = ParseReplayLine("from N1 raw 0710 0000 00000000").line;
    ASSERT_TRUE(line);
    EXPECT_EQ(line->raw, (std::vector<uint8_t>{7, 0x10, 0, 0, 0, 0, 0, 0}));
    line = ParseReplayLine("from N1 present -5").line;
    ASSERT_TRUE(line);
    EXPECT_EQ(line->id, -5);
    line = ParseReplayLine("tick").line;
    ASSERT_TRUE(line);
    EXPECT_EQ(line->count, 1);
    line = ParseReplayLine("set N1 altitude 320").line;
    ASSERT_TRUE(line);
    EXPECT_EQ(line->verb, Verb::Set);
    EXPECT_EQ(line->name, "N1");
    EXPECT_EQ(line->altitudeFt, 320);

    for (const char* bad : {"bogus",
                            "station 0",
                            "station 1 2",
                            "player N1",
                            "player N1 x",
                            "tick -1",
                            "tick 1000001",
                            "tick 2.5",
                            "auto maybe",
                            "start now",
                            "from N1",
                            "from N1 wave",
                            "from N1 alive 3",
                            "from N1 info x \"T\"",
                            "from N1 info 70000 \"T\"",
                            "from N1 pos 91 0 0 0",
                            "from N1 pos 1 2 3",
                            "from N1 pos 1 2 3 4.5",
                            "from N1 raw 071",
                            "from N1 raw zz",
                            "from N1 chat",
                            "dump",
                            "set N1 altitude",
                            "set N1 height 320",
                            "set N1 altitude 320.5",
                            "leave"}) {
        const ParsedLine parsed = ParseReplayLine(bad);
        EXPECT_FALSE(parsed.line.has_value()) << bad;
        EXPECT_FALSE(parsed.error.empty()) << bad;
    }
}

TEST(ReplayRunner, TheOpeningDialogueAndTheCloseButton) {
    const Replayed r = Replay(R"(airport KBFI
station
player N1 11
from N1 present
dump station
start
tick
# not in service yet: the airport name comes first
from N1 chat "1"
tick
from N1 chat "boeing fld,1"
tick
close
tick
dump N1
)");
    EXPECT_FALSE(r.error.has_value());
    EXPECT_EQ(r.out,
              "T0 TAKEOFF\n"
              "T0 LANDING\n"
              "T1 SEND ALL ROLLCALL\n"
              "T1 SEND ALL INFOREQ\n"
              "T1 CHAT N1 N1" +
                  kWelcome +
                  "\n"
                  "T3 CHAT N1 N1. What type of flight you want to fly?: 1-VFR 2-IFR 3-Close "
                  "ATC Services\n"
                  "T3 CLOSED\n"
                  "T3 RECORD N1 absent\n");
}

TEST(ReplayRunner, RecordDumpAndTheEmptyChatWhenVerbose) {
    const Replayed r = Replay(R"(airport KBFI
station 7
player N1 11
from N1 present
from N1 info 1 "Boeing \"737\" \\ 800"
from N1 pos 47.53 -122.3 16 90
start
tick
stop
tick 3
dump N1
)",
                              {.verbose = true});
    EXPECT_FALSE(r.error.has_value());
    // 16 ft go out as 5 m and come back as 16.4 ft; 90 degrees true is 90 magnetic without a
    // variation grid.
    EXPECT_EQ(r.out,
              "T1 SEND ALL ROLLCALL\n"
              "T1 SEND ALL INFOREQ\n"
              "T1 SEND ALL EMPTYCHAT\n"
              "T1 CHAT N1 N1" +
                  kWelcome +
                  "\n"
                  "T1 RECORD N1 callsign=\"N1\" playerId=11 latitude=47.53 longitude=-122.3 "
                  "altitudeFt=16 heading=90 present=-1 aircraftType=\"Boeing \\\"737\\\" \\\\ "
                  "800\" atcActive=0 frequency=\"\" pendingMenu=\"N1" +
                  kWelcome +
                  "\" choice=0 text1=\"\" text2=\"\" text3=\"\" vectorTarget.name=\"\" "
                  "vectorTarget.label=\"\" vectorTarget.latitude=0 vectorTarget.longitude=0 "
                  "vectorTarget.elevationFt=0 flightType=0 compassWord=\"\" status=\"\"\n");
}

TEST(ReplayRunner, SetGivesTheAltitudeAPositionMessageCannotCarry) {
    // 320 ft go out as 98 m and come back as 322 ft; set writes the 320 itself. The next position
    // message overwrites it again.
    const Replayed r = Replay(R"(airport KBFI
station
player N1 11
from N1 present
from N1 pos 47.53 -122.3 320 90
start
tick
dump N1
set N1 altitude 320
dump N1
from N1 pos 47.53 -122.3 320 90
tick
dump N1
set N2 altitude 1
)");
    ASSERT_TRUE(r.error.has_value());
    EXPECT_EQ(r.error->line, 14);
    EXPECT_EQ(r.error->reason, "no traffic record for N2");
    const auto altitudes = [&] {
        std::vector<std::string> found;
        for (size_t at = r.out.find("altitudeFt="); at != std::string::npos;
             at = r.out.find("altitudeFt=", at + 1)) {
            found.push_back(r.out.substr(at, r.out.find(' ', at) - at));
        }
        return found;
    }();
    EXPECT_EQ(altitudes,
              (std::vector<std::string>{"altitudeFt=322", "altitudeFt=320", "altitudeFt=322"}));
}

TEST(ReplayRunner, AutoAnswersKeepPlayersUntilOneLeaves) {
    const Replayed r = Replay(R"(station
player N1 11
player N2 12
from N1 present
from N2 present
auto on
start
tick
leave N2
tick 59
dump N2
tick
dump N2
dump N1
)");
    EXPECT_FALSE(r.error.has_value());
    // No airport: the ident in the welcome is empty.
    const std::string welcome1 =
        "N1. Welcome to Corvane v1.1 (by Quorvel). Want to use our ATC services at ?: 1-Use ATC "
        "services";
    const std::string welcome2 =
        "N2. Welcome to Corvane v1.1 (by Quorvel). Want to use our ATC services at ?: 1-Use ATC "
        "services";
    const std::string expected =
        "T1 SEND ALL ROLLCALL\n"
        "T1 SEND ALL INFOREQ\n"
        "T1 CHAT N1 " +
        welcome1 + "\nT1 CHAT N2 " + welcome1 + "\nT1 CHAT N1 " + welcome2 + "\nT1 CHAT N2 " +
        welcome2 +
        "\n"
        "T31 SEND ALL ROLLCALL\n"
        "T31 SEND ALL INFOREQ\n";
    ASSERT_EQ(r.out.substr(0, expected.size()), expected);
    const std::string rest = r.out.substr(expected.size());
    // N2 answered the roll call of tick 1 (he was created then) but not that of tick 31.
    EXPECT_EQ(rest.substr(0, 15), "T60 RECORD N2 c");
    EXPECT_NE(rest.find("\nT61 SEND ALL ROLLCALL\nT61 SEND ALL INFOREQ\nT61 RECORD N2 absent\n"
                        "T61 RECORD N1 callsign=\"N1\""),
              std::string::npos)
        << rest;
}

TEST(ReplayRunner, RawMessagesRemovalAndTheLostLink) {
    Replayed r = Replay(R"(station
player N1 11
from N1 raw 0710000000000000
start
tick
from N1 removed
tick 2
)");
    EXPECT_FALSE(r.error.has_value());
    EXPECT_EQ(r.out,
              "T1 SEND ALL ROLLCALL\n"
              "T1 SEND ALL INFOREQ\n"
              "T1 SEND ALL PRESENT\n"
              "T2 MSGBOX information The host had removed you from the multiplayer session, "
              "Corvane closes multiplayer session.\n"
              "T2 CLOSED\n");

    r = Replay("station\nstart\ntick 100\n");
    EXPECT_FALSE(r.error.has_value());
    const std::string end =
        "T60 MSGBOX information The multiplayer connection is lost, Corvane closes multiplayer "
        "session.\nT60 CLOSED\n";
    ASSERT_GE(r.out.size(), end.size());
    EXPECT_EQ(r.out.substr(r.out.size() - end.size()), end);
}

TEST(ReplayRunner, AMalformedLineStopsTheReplayWithItsNumber) {
    Replayed r = Replay("station\n\n# a comment\nstart\ntick\nplayer N1 0\ntick\n");
    ASSERT_TRUE(r.error.has_value());
    EXPECT_EQ(r.error->line, 6);
    EXPECT_NE(r.error->reason.find("player id"), std::string::npos) << r.error->reason;
    EXPECT_EQ(r.out, "T1 SEND ALL ROLLCALL\nT1 SEND ALL INFOREQ\n");  // the second tick never ran

    for (const auto& [script, line] : std::vector<std::pair<std::string, int>>{
             {"start\n", 1},
             {"station\nstation\n", 2},
             {"station\nplayer N1 5\nplayer N2 5\n", 3},
             {"station 5\nplayer N1 5\n", 2},
             {"station\nplayer N1 5\nplayer N1 6\n", 3},
             {"station\nfrom N1 alive\n", 2},
             {"player N1 5\nfrom N1 alive\n", 2},
             {"station\nleave N1\n", 2},
             {"airport KXXX\n", 1},
             {"station\r\nstart\r\nfrom\r\n", 3},
         }) {
        r = Replay(script);
        ASSERT_TRUE(r.error.has_value()) << script;
        EXPECT_EQ(r.error->line, line) << script;
    }
}

}  // namespace
}  // namespace corvane::replay
