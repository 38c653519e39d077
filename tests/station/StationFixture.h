#pragma once
// A small towered airport and a recording chat line sender for station tests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nav/Geometry.h"
#include "station/Dialogue.h"
#include "station/StationState.h"
#include "support/BoeingField.h"

namespace corvane::station::testing {

struct SentLine {
    std::string text;
    std::vector<int32_t> recipients;
    bool operator==(const SentLine&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const SentLine& line) {
    os << "\"" << line.text << "\" to";
    for (int32_t r : line.recipients) {
        os << " " << r;
    }
    return os;
}

class RecordingChat final : public ChatSender {
  public:
    void SendChatLine(const std::string& text, const std::vector<int32_t>& recipients) override {
        sent.push_back({text, recipients});
    }
    std::vector<SentLine> TakeAll() { return std::exchange(sent, {}); }
    std::vector<SentLine> sent;
};

class StationTest : public ::testing::Test {
  protected:
    StationTest() {
        airport = corvane::testing::BoeingField();
        nav::SetCompassCentres(tables, airport.RunwayHeading);
        tables.Traffic.reserve(64);  // tests keep references to records they add
    }

    // Adds a pilot `nm` miles from the airport on a true course, at an altitude in feet.
    TrafficRecord& AddPilot(const std::string& callsign, int32_t id, int16_t course = 180,
                            int16_t nm = 0, int32_t altitudeFt = 18) {
        TrafficRecord r = BlankTrafficRecord();
        r.callsign = callsign;
        r.playerId = id;
        r.present = kTrue;
        const GeoPoint p = nav::PointAtNm(airport.AirportLat, airport.AirportLon, course, nm);
        r.latitude = p.latitude;
        r.longitude = p.longitude;
        r.altitudeFt = altitudeFt;
        tables.Traffic.push_back(r);
        return tables.Traffic.back();
    }

    ChosenAirport airport;
    Terrain terrain;
    StationTables tables;
    StationContext context{airport, terrain, tables};
    RecordingChat chat;
};

}  // namespace corvane::station::testing
