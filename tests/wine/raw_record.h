// Byte access to a host's records, for the layout cases: values read and written at the host's
// offsets, never through Velumo's own declarations, and records followed by guard bytes so that
// a write past the host's size is seen.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
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

// The view modes of an array of `count` PanelMode records of `size` bytes, as "types widths
// flags: title..." (a column title for each column of the types), for each mode that is not all
// zero bytes; the offsets are those of the mode's fields.
template <typename Char, typename Flags>
std::map<size_t, std::basic_string<Char>> ViewModes(const unsigned char* modes, size_t count,
                                                    size_t size, size_t types, size_t widths,
                                                    size_t titles, size_t flags) {
    std::map<size_t, std::basic_string<Char>> seen;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* mode = modes + i * size;
        if (std::all_of(mode, mode + size, [](unsigned char byte) { return byte == 0; })) {
            continue;
        }
        const std::basic_string<Char> columns = TextAt<Char>(mode, types);
        const std::string number = " " + std::to_string(Read<Flags>(mode, flags)) + ":";
        std::basic_string<Char> text = columns + Char(' ') + TextAt<Char>(mode, widths);
        text.append(number.begin(), number.end());
        const void* columnTitles = Read<const void*>(mode, titles);
        for (size_t column = 0; columnTitles != nullptr &&
                                column <= size_t(std::count(columns.begin(), columns.end(), ','));
             ++column) {
            text += Char(' ') + TextAt<Char>(columnTitles, column * sizeof(void*));
        }
        seen[i] = text;
    }
    return seen;
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
