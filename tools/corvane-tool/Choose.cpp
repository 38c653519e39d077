// corvane-tool choose IDENT: what "Next" on the line of the last airport with that ident and the
// mountain tick that follows leave behind, with the variation grid read first as the settings
// window reads it. Boxes the window would show go to standard error as warnings.
#include <filesystem>
#include <iostream>

#include "DatabaseCommands.h"
#include "scenery/SettingsWindowLogic.h"

namespace corvane::tool {

namespace {

using nlohmann::ordered_json;

void Warn(RecordedMessageBoxes& boxes) {
    for (const ShownBox& box : boxes.shown) {
        std::cerr << "corvane-tool: warning: " << box.text << "\n";
    }
    boxes.shown.clear();
}

// The last box is the reason for a failed step; the error stays one line.
int FailWithLastBox(const RecordedMessageBoxes& boxes) {
    return Fail(boxes.shown.empty() ? "failed" : boxes.shown.back().text);
}

ordered_json ChosenJson(const ChosenAirport& a, const scenery::SearchBox& box,
                        const Terrain& terrain) {
    ordered_json j;
    j["AirportIdent"] = a.AirportIdent;
    j["AirportName"] = a.AirportName;
    j["AirportLat"] = a.AirportLat;
    j["AirportLon"] = a.AirportLon;
    j["GroundFreq"] = a.GroundFreq;
    j["TowerFreq"] = a.TowerFreq;
    j["ApproachFreq"] = a.ApproachFreq;
    j["CenterFreq"] = a.CenterFreq;
    j["CtafFreq"] = a.CtafFreq;
    j["RunwayName"] = a.RunwayName;
    j["RunwayLat"] = a.RunwayLat;
    j["RunwayLon"] = a.RunwayLon;
    j["FieldElevation"] = a.FieldElevation;
    j["RunwayLength"] = a.RunwayLength;
    j["RunwayWidth"] = a.RunwayWidth;
    j["RunwayHeading"] = a.RunwayHeading;
    j["RunwayHasIls"] = a.RunwayHasIls;
    j["TaxiNodes"] = ordered_json::array();
    for (const TaxiNode& n : a.TaxiNodes) {
        j["TaxiNodes"].push_back(TaxiNodeJson(n));
    }
    j["ParkingSpots"] = ordered_json::array();
    for (const ParkingSpot& p : a.ParkingSpots) {
        j["ParkingSpots"].push_back(ParkingJson(p));
    }
    j["TaxiPaths"] = ordered_json::array();
    for (const TaxiPath& t : a.TaxiPaths) {
        j["TaxiPaths"].push_back(TaxiPathJson(t));
    }
    j["SearchNorth"] = box.SearchNorth;
    j["SearchSouth"] = box.SearchSouth;
    j["SearchWest"] = box.SearchWest;
    j["SearchEast"] = box.SearchEast;
    j["MountainCount"] = terrain.MountainCount();
    j["MinSafeAltitude"] = terrain.MinSafeAltitude;
    j["Mountains"] = ordered_json::array();
    for (const GeoPoint& m : terrain.Mountains) {
        j["Mountains"].push_back(GeoPointJson(m));
    }
    return j;
}

}  // namespace

int RunChoose(const Args& args) {
    if (args.size() != 1) {
        return Fail("usage: corvane-tool choose IDENT");
    }
    Config config;
    if (std::string error = LoadConfig(config); !error.empty()) {
        return Fail(error);
    }
    ChosenAirport airport;
    Terrain terrain;
    RecordedMessageBoxes boxes;
    scenery::SilentSettingsView view;
    scenery::SettingsWindowLogic logic(std::filesystem::current_path(), config, airport, terrain,
                                       boxes, view);
    logic.Load();
    switch (logic.ReadWorldAirports()) {
        case scenery::SettingsWindowLogic::AirportsOutcome::ListReady:
            break;
        case scenery::SettingsWindowLogic::AirportsOutcome::DatabaseMissing:
            return Fail("cannot read " + logic.AirportsFile().string() + ": no such file");
        case scenery::SettingsWindowLogic::AirportsOutcome::Failed:
            return FailWithLastBox(boxes);
    }
    const auto& airports = logic.AirportList();
    int line = -1;
    for (size_t i = airports.size(); i-- > 0;) {
        if (airports[i].ident == args[0]) {
            line = static_cast<int>(i);
            break;
        }
    }
    if (line < 0) {
        return Fail("no airport with the ident " + args[0] + " in world_airports.dat");
    }
    logic.SelectAirport(line);
    if (logic.ReadAllMountains() != scenery::SettingsWindowLogic::MountainsOutcome::Done) {
        return FailWithLastBox(boxes);
    }
    Warn(boxes);
    if (const std::string notice = scenery::TerrainNoticeText(logic.TerrainRead());
        !notice.empty()) {
        std::cerr << "corvane-tool: warning: " << notice << "\n";
    }
    PrintJson(ChosenJson(airport, logic.Box(), terrain));
    return 0;
}

}  // namespace corvane::tool
