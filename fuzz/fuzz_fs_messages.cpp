// Bytes a peer of the session might send: read as a simulator message by every decoder the
// station and the connection window use, and as a frame of our session layer.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "session/FsMessages.h"
#include "session/SessionFrames.h"

namespace {

using namespace corvane;
using namespace corvane::session;

const MagneticVariationGrid& Grid() {
    // Some variation everywhere, east and west, so the magnetic conversion does real work.
    static const MagneticVariationGrid grid = [] {
        MagneticVariationGrid g{};
        for (size_t i = 0; i < g.size(); ++i) {
            g[i] = static_cast<int16_t>((static_cast<int>(i) * 7919) % 65536 - 32768);
        }
        return g;
    }();
    return grid;
}

void Check(bool holds) {
    if (!holds) {
        __builtin_trap();
    }
}

// Every decoder on the body after the header, whatever type the header claims.
void DecodeAsEverything(std::span<const uint8_t> bytes, int32_t size) {
    for (int32_t type : {kPositionShort, kPositionLong}) {
        Message m(bytes);
        m.Skip(8);
        TrafficRecord aircraft;
        if (DecodePosition(m, type, Grid(), aircraft)) {
            Check(aircraft.heading >= 0 && aircraft.heading <= 360);
        }
    }
    {
        Message m(bytes);
        m.Skip(8);
        TrafficRecord aircraft;
        DecodeInformation(m, size, aircraft);
    }
    {
        Message m(bytes);
        m.Skip(8);
        if (const auto text = DecodeChat(m, size)) {
            Check(text->find('\0') == std::string::npos);
            Check(text->empty() || (text->front() != ' ' && text->back() != ' '));
        }
    }
    {
        Message m(bytes);
        m.Skip(8);
        DecodePresentId(m);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);

    // As the receivers read it: the header first, then what its type calls for.
    Message message(bytes);
    if (const auto header = ReadHeader(message)) {
        TrafficRecord aircraft;
        switch (header->type) {
            case kPositionShort:
            case kPositionLong:
                DecodePosition(message, header->type, Grid(), aircraft);
                break;
            case kAircraftInformation:
                DecodeInformation(message, header->size, aircraft);
                break;
            case kChatText:
                DecodeChat(message, header->size);
                break;
            case kPlayerPresent:
                DecodePresentId(message);
                break;
            default:
                break;
        }
        DecodeAsEverything(bytes, header->size);
    }

    // As a frame of the session layer: what decodes is canonical and encodes back to its bytes.
    if (const auto frame = wire::DecodeFrame(bytes)) {
        const auto again = wire::EncodeFrame(*frame);
        Check(again.size() == size && std::equal(again.begin(), again.end(), data));
    }
    return 0;
}
