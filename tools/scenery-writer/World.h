#pragma once
// A whole FS2002-style folder: scenery.cfg, Scenery/magdec.bgl and the BGL files of the areas.

#include <filesystem>
#include <string>
#include <vector>

#include "scenery-writer/BglWriter.h"
#include "shared/State.h"

namespace corvane::writer {

struct BglFileDescription {
    std::string name;  // such as "AP_NW.BGL"
    BglFile content;
};

struct AreaDescription {
    std::string header;              // "[Area.003]"
    std::vector<std::string> lines;  // written as given: "Title=...", "local=..."
    std::string folder;              // where the BGL files go, relative to the world folder
    std::vector<BglFileDescription> files;
};

struct MagdecModel {
    bool smooth = true;        // a smooth field with east and west values
    double constantDeg = 0.0;  // used when not smooth
};

struct WorldDescription {
    std::vector<std::string> preamble;  // lines before the areas, such as "[General]"
    std::vector<AreaDescription> areas;
    MagdecModel magdec;
    bool crlf = true;  // line ends of scenery.cfg
};

// The variation the smooth model gives at a whole-degree cell, degrees east (about 16 E at
// Seattle, 11 W on the US east coast, 2 E in London).
double SmoothVariationDeg(double lat, double lon);

// The grid the model describes, as magdec.bgl stores it.
MagneticVariationGrid MagdecGrid(const MagdecModel& model);

// The bytes of magdec.bgl: the table offset at 110, the 65161 values from that offset + 8.
std::vector<uint8_t> WriteMagdec(const MagneticVariationGrid& grid);

// The text of scenery.cfg.
std::string SceneryCfgText(const WorldDescription& world);

// The folder an area's Local= value names, as the program will look for its BGL files: the value
// with "/" separators, in "scenery" unless it is the main Scenery folder itself.
std::string AreaFolderFor(const std::string& local);

// Writes the whole folder (creating it; folders that exist in another letter case are reused).
// Returns an empty string or the reason it failed.
std::string WriteWorld(const WorldDescription& world, const std::filesystem::path& folder);

}  // namespace corvane::writer
