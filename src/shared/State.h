#pragma once
// The program's shared state, owned by one application object and handed by reference to the code
// that needs it. Each test builds its own.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shared/Records.h"

namespace corvane {

// From corvane.cfg.
struct Config {
    std::string FsMainFolder;  // exactly as stored after the key
    int32_t AirportCount = 0;
};

// The airport the user picked, as "Next" leaves it for the station.
struct ChosenAirport {
    std::string AirportIdent;
    std::string AirportName;
    double AirportLat = 0.0;
    double AirportLon = 0.0;
    std::string GroundFreq;
    std::string TowerFreq;
    std::string ApproachFreq;
    std::string CenterFreq;
    std::string CtafFreq;
    std::string RunwayName;
    double RunwayLat = 0.0;
    double RunwayLon = 0.0;
    int32_t FieldElevation = 0;
    int32_t RunwayLength = 0;
    int32_t RunwayWidth = 0;
    int16_t RunwayHeading = 0;  // magnetic
    int16_t RunwayHasIls = kFalse;
    std::vector<TaxiNode> TaxiNodes;
    std::vector<ParkingSpot> ParkingSpots;
    std::vector<TaxiPath> TaxiPaths;

    bool operator==(const ChosenAirport&) const = default;
};

// Magnetic variation by whole degree: index (lat + 90) + 181 * lon, lat -90..90, lon 0..359 east.
// A value v is v * 360 / 65536 degrees, east positive.
inline constexpr int kMagVarCells = 65161;
using MagneticVariationGrid = std::array<int16_t, kMagVarCells>;

struct Terrain {
    std::vector<GeoPoint> Mountains;  // the mountains within 100 NM of the chosen airport
    int32_t MinSafeAltitude = 0;      // feet
    MagneticVariationGrid MagVarGrid{};
    // The mountains by grid cell, highest first in each cell, so a terrain search visits only the
    // cells near a leg and stops in a cell at the first mountain that is not higher than what it
    // has. Built by nav::IndexMountains whenever Mountains changes; an index built for a table of
    // another size is ignored.
    struct MountainGrid {
        struct Entry {
            double latitude;
            double longitude;
            int32_t elevationFt;
        };
        double south = 0.0;
        double west = 0.0;
        int rows = 0;
        int columns = 0;
        size_t indexedCount = 0;
        std::vector<uint32_t> cellStart;   // rows * columns + 1 offsets into entries
        std::vector<int32_t> cellHighest;  // per cell, INT32_MIN when empty
        std::vector<Entry> entries;
        std::vector<Entry>
            byElevation;  // every mountain, highest first: for searches over many cells

        bool Usable(size_t mountainCount) const {
            return rows > 0 && indexedCount == mountainCount;
        }
    };
    MountainGrid MountainIndex;

    int16_t MountainCount() const { return static_cast<int16_t>(Mountains.size()); }
};

// The station's tables. The queues hold callsigns, head first.
struct StationTables {
    std::vector<TrafficRecord> Traffic;
    std::vector<std::string> TakeoffQueue;
    std::vector<std::string> LandingQueue;
    std::vector<TaxiReservation> TaxiReservations;

    // Centres of the eight compass sectors around the runway heading, set when the station loads.
    std::array<int16_t, 8> CompassCentre{};
    // Where the aircraft last passed to UpdateCompassPosition stands.
    int16_t AirportDistanceNm = 0;
    int16_t RefDistanceNm = 0;
    int16_t RefBearing = 0;

    // The vectoring leg points, shared by every pilot under vectors.
    GeoPoint LeftDownwindPoint;
    GeoPoint RightDownwindPoint;
    GeoPoint LeftBasePoint;
    GeoPoint RightBasePoint;
    GeoPoint FinalPoint;

    // Messages written into other pilots' records during one pilot's turn, with the text each had
    // before, so the dispatcher sends them in the same pass.
    std::vector<std::pair<size_t, std::string>> OtherPilotMessages;

    // What the ground controller works out from positions and taxi routes alone, kept while
    // neither changes (every pilot's call would otherwise repeat it).
    struct GroundBookkeeping {
        uint64_t fingerprint = 0;  // of the positions and routes the fields below were made from
        uint64_t trackedAt = 0;    // fingerprint after the last progress update
        bool valid = false;
        std::vector<int> aircraft;              // per reservation: its aircraft's index, or -1
        std::vector<std::vector<int>> rivals;   // per reservation: aircraft it gives way to
        std::vector<uint8_t> usesActiveRunway;  // per reservation: a step still to drive on it
    };
    GroundBookkeeping Ground;
    uint32_t NextReservationSerial = 1;

    // Who stands on the runway, worked out once per dispatcher pass: no controller moves an
    // aircraft, so the answer holds for the whole pass. Outside a pass every question is answered
    // afresh.
    struct RunwayOccupants {
        bool inPass = false;
        bool known = false;
        std::vector<std::string> callsigns;
    };
    RunwayOccupants RunwayCheck;

    // Which gates and parking places are free, worked out once per dispatcher pass for as long as
    // the taxi reservations stay as they were (their count and the next serial tell): nothing
    // moves during a pass. Kept only while a pass runs.
    struct ParkingAvailability {
        bool known = false;
        size_t reservations = 0;
        uint32_t nextSerial = 0;
        bool gate = false;
        bool parking = false;
    };
    ParkingAvailability ParkingCheck;
    // The ground bookkeeping's fingerprint of positions and routes, kept the same way while a
    // pass runs; marking steps passed renews it.
    struct PassFingerprint {
        bool known = false;
        size_t reservations = 0;
        uint32_t nextSerial = 0;
        uint64_t value = 0;
    };
    PassFingerprint GroundFingerprint;

    // Taxiing aircraft told to hold or to continue during the current dispatcher pass (kept only
    // while a pass runs). Each is told at most once a pass: aircraft waiting on each other in a
    // ring would otherwise flip between the two on every ground pilot's turn.
    std::vector<std::string> TaxiTurnsThisPass;

    int16_t TrafficCount() const { return static_cast<int16_t>(Traffic.size()); }

    // Forgets what was kept for one dispatcher pass; `starting` opens a new pass.
    void ResetPass(bool starting) {
        RunwayCheck = {starting, false, {}};
        ParkingCheck = {};
        GroundFingerprint = {};
        TaxiTurnsThisPass.clear();
    }
};

}  // namespace corvane
