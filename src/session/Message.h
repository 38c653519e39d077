#pragma once
// An application message of the session: typed values written one after the other and read back
// in the same order from the start. Long is 4 bytes signed, Short 2 bytes signed, Byte 1 byte
// unsigned, all little-endian (least significant byte first). A read past the end fails, returns
// nullopt and leaves the read position where it was.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "shared/Bytes.h"

namespace corvane::session {

class Message {
  public:
    Message() = default;
    // A received message, read from its first byte.
    explicit Message(std::span<const uint8_t> bytes);

    void WriteLong(int32_t value) { data_.I32(value); }
    void WriteShort(int16_t value) { data_.I16(value); }
    void WriteByte(uint8_t value) { data_.U8(value); }
    // Raw bytes, such as text already in the wire's code page.
    void WriteBytes(std::string_view raw) { data_.Bytes(raw); }
    void WriteZeros(size_t count) { data_.Zeros(count); }

    std::optional<int32_t> ReadLong();
    std::optional<int16_t> ReadShort();
    std::optional<uint8_t> ReadByte();
    // Moves the read position on by `count` bytes; fails (without moving) past the end.
    bool Skip(size_t count);

    size_t ReadPosition() const { return readPos_; }
    size_t Remaining() const { return Size() - readPos_; }
    size_t Size() const { return data_.Size(); }
    const std::vector<uint8_t>& Bytes() const { return data_.Data(); }

    bool operator==(const Message& other) const { return Bytes() == other.Bytes(); }

  private:
    template <typename Read>
    auto ReadWith(Read read) -> decltype(read(std::declval<ByteReader&>()));

    ByteWriter data_;
    size_t readPos_ = 0;
};

}  // namespace corvane::session
