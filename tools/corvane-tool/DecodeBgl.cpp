// decode-bgl FILE [--magdec FILE]: the airports of one BGL file as JSON.
#include <iostream>

#include "AirportJson.h"
#include "Commands.h"
#include "scenery/BglDecoder.h"
#include "scenery/FirstRunBuild.h"
#include "scenery/MagdecReader.h"

namespace corvane::tool {

int DecodeBgl(const Args& args) {
    std::string file;
    std::string magdec;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--magdec" && i + 1 < args.size()) {
            magdec = args[++i];
        } else if (file.empty() && args[i].rfind("--", 0) != 0) {
            file = args[i];
        } else {
            return Fail("decode-bgl: unexpected argument '" + args[i] + "'");
        }
    }
    if (file.empty()) {
        return Fail("usage: decode-bgl FILE [--magdec FILE]");
    }
    MagneticVariationGrid grid{};
    std::vector<uint8_t> bytes;
    std::string error;
    if (!magdec.empty()) {
        if (!scenery::ReadWholeFile(magdec, bytes, error)) {
            return Fail(magdec + ": " + error);
        }
        switch (scenery::ReadMagdecGrid(bytes, grid)) {
            case scenery::MagdecStatus::Loaded:
                break;
            case scenery::MagdecStatus::NoTable:
                return Fail(magdec + ": no variation table (its offset at 110 is below 1)");
            case scenery::MagdecStatus::Truncated:
                return Fail(magdec + ": the file ends before its variation table does");
        }
    }
    if (!scenery::ReadWholeFile(file, bytes, error)) {
        return Fail(file + ": " + error);
    }
    if (!scenery::HasBglSignature(bytes)) {
        return Fail(file + ": not an airport BGL file (no 0x87654321 at 0x76)");
    }
    std::vector<AirportRecord> airports;
    const scenery::BglReport report = scenery::ScanBglHeader(bytes, grid, airports);
    std::cout << AirportsToJson(airports);
    if (!report.Clean()) {
        std::string notes;
        for (const std::string& note : report.notes) {
            notes += (notes.empty() ? "" : "; ") + note;
        }
        return Fail(file + ": damaged, " + std::to_string(report.problems) +
                    " walk(s) ended early: " + notes);
    }
    return 0;
}

}  // namespace corvane::tool
