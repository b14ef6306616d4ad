// The 6-byte command record and its number and colour digit codecs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <type_traits>
#include <vector>

namespace vellograph {

// Every digit character stands for (character - DigitBase).
inline constexpr std::uint8_t DigitBase = '0';

// Colours are 24-bit values laid out 0x00BBGGRR, red in the low byte.
using TColor = std::uint32_t;

// One record: a letter, four digit characters and a line feed. The same six
// bytes live in memory and in the drawing file.
struct TDrawCommand {
    std::uint8_t Letter;
    std::array<std::uint8_t, 4> Digits;
    std::uint8_t Terminator;
};
static_assert(sizeof(TDrawCommand) == 6, "a record is exactly six bytes");

inline constexpr std::uint8_t CmdMove = 'm';
inline constexpr std::uint8_t CmdLine = 'l';
inline constexpr std::uint8_t CmdColor = 'c';
inline constexpr std::uint8_t CmdFill = 'e';
inline constexpr std::uint8_t CmdDelay = 'd';
inline constexpr std::uint8_t CmdPenWidth = 'p';
inline constexpr std::uint8_t CmdEnd = 'i'; // followed by "END" in bytes 1 to 3
inline constexpr std::uint8_t RecordTerminator = 0x0A;

// Two digit characters, high then low; each taken modulo 256. Values from
// 13312 on no longer decode back to themselves.
std::array<std::uint8_t, 2> EncodeNumber(std::int32_t value);
// (h - 48) * 64 + (l - 48) in signed 32-bit; bytes below '0' give negatives.
// Inline: playback decodes two of them for every record.
inline std::int32_t DecodeNumber(std::uint8_t high, std::uint8_t low) {
    return (static_cast<std::int32_t>(high) - DigitBase) * 64 +
           (static_cast<std::int32_t>(low) - DigitBase);
}

// Four digit characters; bits above bit 23 are not stored.
std::array<std::uint8_t, 4> EncodeColor(TColor color);
// Every byte sequence decodes to some colour from 0 to 0xFFFFFF.
TColor DecodeColor(const std::array<std::uint8_t, 4>& digits);

// Bytes 0 to 3 are 'i', 'E', 'N', 'D'; bytes 4 and 5 are not examined.
bool IsEndMarker(const TDrawCommand& record);

// X from digits 1-2, Y from digits 3-4.
inline std::int32_t RecordX(const TDrawCommand& r) {
    return DecodeNumber(r.Digits[0], r.Digits[1]);
}
inline std::int32_t RecordY(const TDrawCommand& r) {
    return DecodeNumber(r.Digits[2], r.Digits[3]);
}
inline TColor RecordColor(const TDrawCommand& r) {
    return DecodeColor(r.Digits);
}

// Builders for well-formed records.
TDrawCommand MakeNumberRecord(std::uint8_t letter, std::int32_t first, std::int32_t second);
TDrawCommand MakeColorRecord(std::uint8_t letter, TColor color);
TDrawCommand MakeEndMarker();

// Passed where a record's value would go: a record added from it is the
// bytes its storage already holds.
struct TKeepBytes {
    // For code that std::vector compiles but AddRecordsKeepingBytes never
    // runs (assigning over records in the middle): as a value it is zero.
    operator TDrawCommand() const { return {}; }
};

// std::allocator with one more way to add a record: from TKeepBytes, without
// writing it. A load reads a chunk of the file straight into records it has
// added, takes them back off the end and adds them again a pump group at a
// time, so that every pump sees exactly the records read so far; zeroing or
// copying them instead costs as much as reading them.
template <class T> struct TRecordAllocator : std::allocator<T> {
    TRecordAllocator() = default;
    template <class U> TRecordAllocator(const TRecordAllocator<U>&) noexcept {}

    // Begins a record's lifetime with the bytes that are there: copying the
    // storage onto itself creates the object (as std::start_lifetime_as would).
    template <class U> void construct(U* p, TKeepBytes) noexcept {
        static_assert(std::is_trivially_copyable_v<U>);
        std::memmove(static_cast<void*>(p), static_cast<const void*>(p), sizeof(U));
    }
    // Records taken off the end are not destroyed: their bytes stay theirs
    // until the vector adds them again or the storage goes.
    template <class U> void destroy(U*) noexcept {
        static_assert(std::is_trivially_destructible_v<U>);
    }
};

using TRecords = std::vector<TDrawCommand, TRecordAllocator<TDrawCommand>>;

// Adds n records at the end that hold whatever bytes their storage does: past
// the end of a vector that has room for them, the records it took off last.
// Never moves the storage: the room must be reserved.
inline void AddRecordsKeepingBytes(TRecords& records, std::size_t n) {
    // n copies of "no value", as a forward range, so the vector adds them in one go.
    struct KeepBytesRange {
        using iterator_category = std::forward_iterator_tag;
        using value_type = TKeepBytes;
        using difference_type = std::ptrdiff_t;
        using pointer = const TKeepBytes*;
        using reference = const TKeepBytes&;
        std::size_t left = 0;
        reference operator*() const {
            static constexpr TKeepBytes none{};
            return none;
        }
        KeepBytesRange& operator++() {
            --left;
            return *this;
        }
        KeepBytesRange operator++(int) {
            KeepBytesRange was = *this;
            --left;
            return was;
        }
        bool operator==(const KeepBytesRange&) const = default;
    };
    records.insert(records.end(), KeepBytesRange{n}, KeepBytesRange{0});
}

} // namespace vellograph
