#pragma once
// Little-endian (least significant byte first) reading and writing of fixed-width values. The
// reader never reads past its buffer: a read that would fails, returns nullopt, and leaves the
// reader failed so a caller may check once after a run of reads. The caller keeps the buffer alive.

#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class ByteReader {
  public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    explicit ByteReader(std::string_view bytes)
        : bytes_(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) {}

    size_t Position() const { return pos_; }
    size_t Size() const { return bytes_.size(); }
    size_t Remaining() const { return pos_ <= bytes_.size() ? bytes_.size() - pos_ : 0; }
    bool Failed() const { return failed_; }

    // Moves to an absolute offset; an offset past the end fails.
    bool Seek(size_t offset) {
        if (offset > bytes_.size()) {
            failed_ = true;
            return false;
        }
        pos_ = offset;
        return true;
    }
    bool Skip(size_t count) { return count <= Remaining() ? Seek(pos_ + count) : Fail(); }

    std::optional<uint8_t> U8() { return Read<uint8_t>(); }
    std::optional<int16_t> I16() { return Read<int16_t>(); }
    std::optional<uint16_t> U16() { return Read<uint16_t>(); }
    std::optional<int32_t> I32() { return Read<int32_t>(); }
    std::optional<uint32_t> U32() { return Read<uint32_t>(); }
    std::optional<float> F32() { return Read<float>(); }
    std::optional<double> F64() { return Read<double>(); }

    // `count` raw bytes.
    std::optional<std::string> Bytes(size_t count) {
        if (count > Remaining()) {
            Fail();
            return std::nullopt;
        }
        std::string out(reinterpret_cast<const char*>(bytes_.data() + pos_), count);
        pos_ += count;
        return out;
    }

    // Reads a value at an absolute offset without moving.
    template <typename T>
    std::optional<T> PeekAt(size_t offset) const {
        if (offset > bytes_.size() || sizeof(T) > bytes_.size() - offset) {
            return std::nullopt;
        }
        return Decode<T>(bytes_.data() + offset);
    }

  private:
    static_assert(std::endian::native == std::endian::little, "little-endian hosts only");

    template <typename T>
    static T Decode(const uint8_t* p) {
        T value;
        std::memcpy(&value, p, sizeof(T));
        return value;
    }

    template <typename T>
    std::optional<T> Read() {
        if (sizeof(T) > Remaining()) {
            Fail();
            return std::nullopt;
        }
        T value = Decode<T>(bytes_.data() + pos_);
        pos_ += sizeof(T);
        return value;
    }

    bool Fail() {
        failed_ = true;
        return false;
    }

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    bool failed_ = false;
};

class ByteWriter {
  public:
    void U8(uint8_t v) { Put(v); }
    void I16(int16_t v) { Put(v); }
    void U16(uint16_t v) { Put(v); }
    void I32(int32_t v) { Put(v); }
    void U32(uint32_t v) { Put(v); }
    void F32(float v) { Put(v); }
    void F64(double v) { Put(v); }
    void Bytes(std::string_view raw) { bytes_.insert(bytes_.end(), raw.begin(), raw.end()); }
    void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }

    // Overwrites a value already written (such as a size known only at the end of a record).
    template <typename T>
    void PatchAt(size_t offset, T v) {
        std::memcpy(bytes_.data() + offset, &v, sizeof(T));
    }

    // Room for `count` bytes in all, so that appending up to there never moves what is written.
    void Reserve(size_t count) { bytes_.reserve(count); }
    // Forgets what was written, keeping the room.
    void Clear() { bytes_.clear(); }

    size_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Data() const { return bytes_; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }
    std::string AsString() const { return std::string(bytes_.begin(), bytes_.end()); }

  private:
    // Grows then copies: GCC 12 at -O3 takes an insert into a vector it has just seen empty for an
    // overflow (-Wstringop-overflow, a false alarm that -Werror makes fatal).
    template <typename T>
    void Put(T v) {
        const size_t at = bytes_.size();
        bytes_.resize(at + sizeof(T));
        std::memcpy(bytes_.data() + at, &v, sizeof(T));
    }

    std::vector<uint8_t> bytes_;
};

}  // namespace corvane
