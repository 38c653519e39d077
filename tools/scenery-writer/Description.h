#pragma once
// World descriptions for the scenery writer: a JSON text (format in Description.cpp) and random
// worlds for benchmarks.

#include <cstdint>
#include <string>

#include "scenery-writer/World.h"

namespace corvane::writer {

// Throws std::runtime_error naming what is wrong and where.
WorldDescription ParseWorldDescription(const std::string& jsonText);

// A world of `airports` airports spread over `files` BGL files of two airport areas, each airport
// with one to three runways, frequencies and a small taxiway network; the same seed gives the
// same world.
WorldDescription RandomWorld(int32_t airports, int32_t files, uint32_t seed);

// The initial great-circle course from one point to another, true degrees 0..360.
double TrueCourseDeg(double lat1, double lon1, double lat2, double lon2);

}  // namespace corvane::writer
