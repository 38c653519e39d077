// import-groundnet GROUNDNET.xml DESCRIPTION.json [IDENT]: one airport ground network as the
// taxiway network of a world description's airport (format: tools/scenery-writer/Description.cpp
// under "taxi"). DESCRIPTION.json is a world description holding the airport IDENT (by default
// the ground network file's name up to its first dot, as in KBFI.groundnet.xml), or one airport
// object; its runways number the runway segments. The "taxi" object goes to standard output, the
// report (what was merged and left out, the parking names given) to standard error.
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

#include "Commands.h"
#include "scenery-writer/Description.h"
#include "scenery-writer/GroundnetImport.h"
#include "scenery/FirstRunBuild.h"
#include "shared/Text.h"

namespace corvane::tool {

namespace {

bool ReadText(const std::string& file, std::string& text, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!scenery::ReadWholeFile(file, bytes, error)) {
        return false;
    }
    text.assign(bytes.begin(), bytes.end());
    return true;
}

// The airport of the description: the one object, or IDENT among a world's airports.
writer::Airport FindAirport(const std::string& text, const std::string& ident) {
    const auto root = nlohmann::json::parse(text, nullptr, false);
    if (!root.is_object() || !root.contains("sceneryCfg")) {
        return writer::ParseAirportDescription(text);
    }
    const writer::WorldDescription world = writer::ParseWorldDescription(text);
    for (const auto& area : world.areas) {
        for (const auto& file : area.files) {
            for (const writer::Airport& a : file.content.airports) {
                if (EqualsIgnoreCase(a.ident, ident)) {
                    return a;
                }
            }
        }
    }
    throw std::runtime_error("no airport " + ident + " in the world description");
}

}  // namespace

int ImportGroundnet(const Args& args) {
    if (args.size() < 2 || args.size() > 3) {
        return Fail("usage: import-groundnet GROUNDNET.xml DESCRIPTION.json [IDENT]");
    }
    const std::string& xmlFile = args[0];
    const std::string& descriptionFile = args[1];
    std::string ident =
        args.size() == 3 ? args[2] : std::filesystem::path(xmlFile).filename().string();
    ident = ident.substr(0, ident.find('.'));

    std::string xml;
    std::string description;
    std::string error;
    if (!ReadText(xmlFile, xml, error)) {
        return Fail(xmlFile + ": " + error);
    }
    if (!ReadText(descriptionFile, description, error)) {
        return Fail(descriptionFile + ": " + error);
    }
    writer::Airport airport;
    try {
        airport = FindAirport(description, ident);
    } catch (const std::exception& e) {
        return Fail(descriptionFile + ": " + e.what());
    }
    writer::GroundnetImport imported;
    try {
        imported = writer::ImportGroundnet(writer::ParseGroundnet(xml), airport.runways);
    } catch (const writer::GroundnetError& e) {
        return Fail(xmlFile + ": " + e.what());
    }
    std::cout << writer::TaxiDescriptionJson(imported.taxi);
    std::cerr << Cp1252ToUtf8(airport.ident) << " from " << xmlFile << "\n"
              << writer::GroundnetReportText(imported.report, airport.runways);
    return 0;
}

}  // namespace corvane::tool
