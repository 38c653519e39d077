// A soak run: the station's monitoring tick with thirty simulated aircraft of random kinds for two
// simulated hours over a LoopbackSession, players leaving and joining all along. Nothing may
// crash or leak (the sanitizers watch). Every second the station's tables are checked: the
// take-off and landing queues and the taxi reservations name only pilots of the traffic table,
// nobody twice, each in a state that belongs to that queue; a player who left is gone from the
// table by the second roll call after. Once the turnover stops, the table names only players of
// the session. The run prints its figures. CORVANE_SOAK_SECONDS and CORVANE_SOAK_SEED change its
// length and its dice; CORVANE_SOAK_DUMP=1 prints the aircraft and the station's records at the
// end (they are printed on a failure anyway).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "fsim/SessionHost.h"
#include "fsim/TrafficEntry.h"
#include "fsim/TrafficFleet.h"
#include "session/LoopbackSession.h"
#include "session/SessionObjects.h"
#include "shared/MessageBoxes.h"
#include "station/StationMonitor.h"
#include "station/StationState.h"
#include "support/SimAirport.h"
#include "support/StationOnLoopback.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;
using fsim::Phase;

constexpr const char* kAddress = "127.0.0.1:6073";
constexpr int kAircraft = 30;
constexpr int kExtraPlaces = 30;  // parking places beyond the three of the simulated airport
// A player who left is purged at the second roll call after his last answer: at most 60 ticks.
constexpr long kPurgeSeconds = 61;

long EnvOr(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text ? std::strtol(text, nullptr, 10) : fallback;
}

bool OneOf(const std::string& s, std::initializer_list<const char*> set) {
    for (const char* candidate : set) {
        if (s == candidate) {
            return true;
        }
    }
    return false;
}

class Soak : public ::testing::Test, protected StationOnLoopback {
  protected:
    Soak() : StationOnLoopback(SimAirport(true, kExtraPlaces)) {}

    void SetUp() override {
        StartStation(
            {.sessionName = "Soak", .maxPlayers = 64, .address = kAddress, .interval = 10s});
    }

    long Now() const { return static_cast<long>(clock.Now().count() / 1000); }

    // The parking places aircraft stand in now.
    std::set<std::string> Occupied() {
        std::set<std::string> taken;
        for (size_t i = 0; i < fleet.Size(); ++i) {
            if (const ParkingSpot* s = chart.SpotAt(fleet.At(i).Model().State().position)) {
                taken.insert(s->name);
            }
        }
        return taken;
    }

    // A new aircraft of a random kind joins: departures and patterns from a free parking place,
    // arrivals from a random distance, sector and (IFR) height.
    void JoinOne() {
        static const char* const kSectors[] = {"north", "northeast", "east", "southeast",
                                               "south", "southwest", "west", "northwest"};
        const std::string callsign = "S" + std::to_string(++joined);
        const auto roll = [&](int lo, int hi) {
            return std::uniform_int_distribution<int>(lo, hi)(rng);
        };
        std::string line;
        switch (roll(0, 4)) {
            case 0:
                line = "vfr-pattern " + callsign + " @KBFI";
                break;
            case 1:
                line = "vfr-departure " + callsign + " @KBFI";
                break;
            case 2:
                line = "ifr-departure " + callsign + " @KBFI";
                break;
            case 3:
                line = "vfr-arrival " + callsign + " " + std::to_string(roll(6, 14)) + "nm " +
                       kSectors[roll(0, 7)];
                break;
            default:
                line = "ifr-arrival " + callsign + " " + std::to_string(roll(20, 60)) + "nm " +
                       kSectors[roll(0, 7)] + " " + std::to_string(roll(5, 9) * 1000) + "ft";
                break;
        }
        auto entry = fsim::ParseTrafficEntry(line);
        ASSERT_TRUE(std::holds_alternative<fsim::TrafficEntry>(entry)) << line;
        std::set<std::string> taken = Occupied();
        auto setup = fsim::SetupFor(std::get<fsim::TrafficEntry>(entry), chart, taken);
        ASSERT_TRUE(std::holds_alternative<fsim::AircraftSetup>(setup))
            << line << ": " << std::get<std::string>(setup);
        fleet.Add(std::get<fsim::AircraftSetup>(setup), chart);
        ASSERT_EQ(fleet.JoinAll(kAddress, "Soak"), 0) << line;
        const std::string kind(fsim::KindName(std::get<fsim::TrafficEntry>(entry).kind));
        kindOf[callsign] = kind;
        ++flown[kind];
    }

    void LeaveOne(const std::string callsign, bool finished) {  // a copy: the aircraft goes
        ASSERT_TRUE(fleet.Remove(callsign)) << callsign;
        leftAt[callsign] = Now();
        if (finished) {
            ++completed[kindOf[callsign]];
        } else {
            ++leftEarly;
        }
    }

    // What the station's tables may hold at any tick.
    void CheckTables() {
        std::set<std::string> players;
        for (const auto& [id, name] : host->Players()) {
            players.insert(name);
        }
        std::map<std::string, const TrafficRecord*> live;
        for (const TrafficRecord& r : tables.Traffic) {
            EXPECT_TRUE(live.emplace(r.callsign, &r).second) << "two records for " << r.callsign;
            if (r.callsign != "FS Host" && !players.count(r.callsign)) {
                // Gone from the session: the roll calls must remove him soon.
                ASSERT_TRUE(leftAt.count(r.callsign)) << r.callsign << " was never a player";
                EXPECT_LE(Now() - leftAt[r.callsign], kPurgeSeconds)
                    << r.callsign << " left at " << leftAt[r.callsign] << " s, still in the table";
            }
        }
        const auto checkQueue = [&](const std::vector<std::string>& queue, const char* name,
                                    std::initializer_list<const char*> statuses) {
            std::set<std::string> seen;
            for (const std::string& cs : queue) {
                EXPECT_TRUE(seen.insert(cs).second) << name << " names " << cs << " twice";
                const auto it = live.find(cs);
                if (it == live.end()) {
                    ADD_FAILURE() << name << " names " << cs << ", who has no record";
                    continue;
                }
                EXPECT_TRUE(OneOf(it->second->status, statuses))
                    << name << " names " << cs << " in state \"" << it->second->status << "\"";
            }
        };
        checkQueue(tables.TakeoffQueue, "the take-off queue",
                   {"Acknowledge Hold short", "Holding short in runway", "Acknowledge Takeoff",
                    "Takingoff"});
        checkQueue(tables.LandingQueue, "the landing queue", {"Acknowledge Landing", "Landing"});
        std::set<std::string> reserved;
        for (const TaxiReservation& r : tables.TaxiReservations) {
            EXPECT_TRUE(reserved.insert(r.callsign).second)
                << "two taxi reservations for " << r.callsign;
            EXPECT_TRUE(live.count(r.callsign)) << "a taxi reservation for " << r.callsign;
        }
        // Two taxiing aircraft are never sent to the same parking place.
        std::set<std::string> destinations;
        for (const TaxiReservation& r : tables.TaxiReservations) {
            if (r.destinationKind != "Runway" && !r.destinationName.empty()) {
                EXPECT_TRUE(destinations.insert(r.destinationName).second)
                    << "two aircraft taxi to " << r.destinationName;
            }
        }
        maxTakeoff = std::max(maxTakeoff, tables.TakeoffQueue.size());
        maxLanding = std::max(maxLanding, tables.LandingQueue.size());
        maxReservations = std::max(maxReservations, tables.TaxiReservations.size());
        maxRecords = std::max(maxRecords, tables.Traffic.size());
    }

    void Second() {
        ASSERT_EQ(FlySecond(fleet), station::StationNext::Stay);
        for (const TrafficRecord& r : tables.Traffic) {
            std::string& before = lastStatus[r.callsign];
            if (r.status != before) {
                takeoffs += r.status == "Takingoff";
                landings += r.status == "Acknowledge contact ground";
                goArounds += r.status == "Acknowledge going around";
                before = r.status;
            }
        }
        quietRunway += tables.LandingQueue.empty();
        std::map<std::string, long> stillQueued;
        for (const std::string& cs : tables.LandingQueue) {
            const long since = queuedSince.count(cs) ? queuedSince[cs] : Now();
            stillQueued[cs] = since;
            if (Now() - since > longestQueued.second) {
                longestQueued = {cs, Now() - since};
            }
        }
        queuedSince = std::move(stillQueued);
        CheckTables();
    }

    // The aircraft whose flight is over: parked after landing, or departed beyond 40 miles.
    std::optional<std::string> Finished() {
        for (size_t i = 0; i < fleet.Size(); ++i) {
            const fsim::SimAircraft& a = fleet.At(i);
            const Phase phase = a.Pilot().CurrentPhase();
            if (phase == Phase::Shutdown ||
                (phase == Phase::Departing &&
                 fsim::DistanceNmExact(a.Model().State().position, chart.reference) > 40.0)) {
                return a.Callsign();
            }
        }
        return std::nullopt;
    }

    void Dump() {
        std::cout << fsim::FormatStatusTable(fleet.Status());
        for (const TrafficRecord& r : tables.Traffic) {
            std::cout << r.callsign << " \"" << r.status << "\" " << r.frequency << " choice "
                      << int(r.choice) << " alt " << r.altitudeFt << ": " << r.pendingMenu << "\n";
        }
        std::cout << "take-off queue:";
        for (const std::string& cs : tables.TakeoffQueue) {
            std::cout << " " << cs;
        }
        std::cout << "\nlanding queue:";
        for (const std::string& cs : tables.LandingQueue) {
            std::cout << " " << cs;
        }
        std::cout << "\n";
    }

    long heard = 0;  // station lines heard by the pilot they were for
    long said = 0;   // pilots' answers
    fsim::TrafficFleet fleet{clock, [this] { return net.NewSession(); },
                             [this](const fsim::TrafficNote& n) {
                                 heard += n.kind == fsim::TrafficNote::Kind::Heard;
                                 said += n.kind == fsim::TrafficNote::Kind::Said;
                             }};
    std::mt19937 rng{static_cast<unsigned>(EnvOr("CORVANE_SOAK_SEED", 20261206))};

    int joined = 0;
    int leftEarly = 0;
    int goArounds = 0;
    int takeoffs = 0;
    int landings = 0;
    long quietRunway = 0;  // seconds with nobody cleared to land
    std::map<std::string, std::string> lastStatus;
    std::map<std::string, long> queuedSince;            // in the landing queue since
    std::pair<std::string, long> longestQueued{"", 0};  // the longest stay in it
    std::map<std::string, std::string> kindOf;
    std::map<std::string, long> leftAt;
    std::map<std::string, int> flown;
    std::map<std::string, int> completed;
    size_t maxTakeoff = 0;
    size_t maxLanding = 0;
    size_t maxReservations = 0;
    size_t maxRecords = 0;
};

TEST_F(Soak, ThirtyAircraftForTwoSimulatedHoursLeaveTheTablesClean) {
    const long seconds = EnvOr("CORVANE_SOAK_SECONDS", 7200);
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < kAircraft && !HasFatalFailure(); ++i) {
        JoinOne();
    }
    std::uniform_int_distribution<long> leaveEvery(60, 180);
    long nextEarlyLeave = leaveEvery(rng);
    for (long t = 0; t < seconds && !HasFailure(); ++t) {
        Second();
        // A finished flight makes room for a new one; now and then somebody leaves in the middle
        // of his, and another joins in his place.
        if (const auto done = Finished()) {
            LeaveOne(*done, true);
            JoinOne();
        }
        if (t >= nextEarlyLeave) {
            nextEarlyLeave = t + leaveEvery(rng);
            const size_t who = std::uniform_int_distribution<size_t>(0, fleet.Size() - 1)(rng);
            LeaveOne(fleet.At(who).Callsign(), false);
            JoinOne();
        }
    }
    // Turnover stops; after two roll calls the table holds only players of the session.
    for (int t = 0; t < 2 * 30 + 1 && !HasFailure(); ++t) {
        Second();
    }
    std::set<std::string> players{"FS Host"};
    for (const auto& [id, name] : host->Players()) {
        players.insert(name);
    }
    players.erase("BOEING FLD_Controller");  // the station itself has no record
    EXPECT_EQ(players.size(), static_cast<size_t>(kAircraft) + 1);
    EXPECT_EQ(tables.Traffic.size(), players.size());
    for (const TrafficRecord& r : tables.Traffic) {
        EXPECT_TRUE(players.count(r.callsign)) << r.callsign << " left but is still served";
    }
    EXPECT_TRUE(boxes.shown.empty());
    // The traffic moved: flights ended in landings and in departures.
    int done = 0;
    for (const auto& [kind, n] : completed) {
        done += n;
    }
    EXPECT_GT(completed["ifr-arrival"] + completed["vfr-arrival"] + completed["vfr-pattern"], 0);
    EXPECT_GT(completed["ifr-departure"] + completed["vfr-departure"], 0);

    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::ostringstream figures;
    figures << "soak: seed " << EnvOr("CORVANE_SOAK_SEED", 20261206) << ", " << seconds + 61
            << " simulated s in " << std::fixed << std::setprecision(1) << wall << " s wall; "
            << joined << " aircraft flown, " << kAircraft << " at a time; " << joined << " joins, "
            << done + leftEarly << " leaves (" << done << " after their flight, " << leftEarly
            << " in the middle); " << heard << " station lines heard, " << said
            << " answers said\n";
    figures << "soak: tower: " << takeoffs << " take-offs, " << landings << " landings, "
            << goArounds << " go-arounds; landing queue empty " << quietRunway << " s of "
            << seconds + 61 << ", longest stay in it " << longestQueued.second << " s ("
            << longestQueued.first << ")\n";
    figures << "soak: flown / completed by kind:";
    for (const auto& [kind, n] : flown) {
        figures << " " << kind << " " << n << "/" << completed[kind];
    }
    figures << "\nsoak: most at once: " << maxRecords << " records, take-off queue " << maxTakeoff
            << ", landing queue " << maxLanding << ", taxi reservations " << maxReservations
            << "\n";
    std::cout << figures.str();
    RecordProperty("figures", figures.str());
    if (HasFailure() || std::getenv("CORVANE_SOAK_DUMP")) {
        Dump();
    }
}

}  // namespace
}  // namespace corvane::testing
