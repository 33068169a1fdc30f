// Byte access to a host's records, for the layout cases: values read and written at the host's
// offsets, never through Velumo's own declarations, and records followed by guard bytes so that
// a write past the host's size is seen.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace raw {

template <typename T> T Read(const void* record, size_t offset) {
    T value;
    memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
    return value;
}
template <typename T> void Write(void* record, size_t offset, T value) {
    memcpy(static_cast<unsigned char*>(record) + offset, &value, sizeof value);
}
// The text a pointer at `offset` points to; "(null)" for a null pointer.
template <typename Char> std::basic_string<Char> TextAt(const void* record, size_t offset) {
    const Char* text = Read<const Char*>(record, offset);
    static const Char kNull[] = {'(', 'n', 'u', 'l', 'l', ')', 0};
    return std::basic_string<Char>(text != nullptr ? text : kNull);
}

// One record of the host's size, zero-filled, followed by guard bytes; StructSize (a size_t,
// or an int in FAR 1.x records, at 0) set when `structSize` is given.
class Record {
  public:
    template <typename Size = size_t> static Record Sized(size_t size) {
        Record record(size);
        record.Put<Size>(0, static_cast<Size>(size));
        return record;
    }
    explicit Record(size_t size) : size_(size), bytes_(size + kGuardSize, kGuardByte) {
        memset(bytes_.data(), 0, size);
    }
    unsigned char* data() { return bytes_.data(); }
    const unsigned char* data() const { return bytes_.data(); }
    template <typename T> T Get(size_t offset) const { return Read<T>(bytes_.data(), offset); }
    template <typename T> void Put(size_t offset, T value) { Write(bytes_.data(), offset, value); }
    // The first byte past the host's size that was written to; 0 when the guard is whole.
    size_t WrittenPast() const {
        for (size_t i = size_; i < bytes_.size(); ++i) {
            if (bytes_[i] != kGuardByte) {
                return i;
            }
        }
        return 0;
    }

  private:
    static constexpr size_t kGuardSize = 32;
    static constexpr unsigned char kGuardByte = 0xA5;
    size_t size_;
    std::vector<unsigned char> bytes_;
};

} // namespace raw
