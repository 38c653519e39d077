#include "session/Message.h"

#include <string>

namespace corvane::session {

Message::Message(std::span<const uint8_t> bytes) {
    data_.Bytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

template <typename Read>
auto Message::ReadWith(Read read) -> decltype(read(std::declval<ByteReader&>())) {
    ByteReader reader(std::span<const uint8_t>(data_.Data()));
    reader.Seek(readPos_);
    auto value = read(reader);
    if (value) {
        readPos_ = reader.Position();
    }
    return value;
}

std::optional<int32_t> Message::ReadLong() {
    return ReadWith([](ByteReader& r) { return r.I32(); });
}

std::optional<int16_t> Message::ReadShort() {
    return ReadWith([](ByteReader& r) { return r.I16(); });
}

std::optional<uint8_t> Message::ReadByte() {
    return ReadWith([](ByteReader& r) { return r.U8(); });
}

bool Message::Skip(size_t count) {
    if (count > Remaining()) {
        return false;
    }
    readPos_ += count;
    return true;
}

}  // namespace corvane::session
