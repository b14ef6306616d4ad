// Helpers for drawing tests: recognisable file contents and whole-drawing
// comparison.
#pragma once

#include "engine/format/drawing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vellograph::test {

inline const std::string StandardHeaderText(StandardHeader, HeaderSize);

// Six bytes that differ from record to record, so a record read at the
// wrong offset shows: 'l', then the index spread over four bytes, then '\n'.
inline std::string PatternRecord(std::int64_t index) {
    std::string r(6, '\n');
    r[0] = 'l';
    for (int i = 0; i < 4; ++i) {
        r[static_cast<std::size_t>(1 + i)] = static_cast<char>('0' + ((index >> (6 * i)) & 63));
    }
    return r;
}

// A drawing file: the given header, then `count` pattern records.
inline std::string PatternFile(std::int64_t count, const std::string& header = StandardHeaderText) {
    std::string bytes = header;
    bytes.reserve(header.size() + 6 * static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        bytes += PatternRecord(i);
    }
    return bytes;
}

// A drawing file: the standard header, then the records.
inline std::string DrawingFile(const TRecords& records) {
    return StandardHeaderText +
           std::string(reinterpret_cast<const char*>(records.data()), records.size() * 6);
}

inline std::string RecordText(const TDrawCommand& r) {
    return std::string(reinterpret_cast<const char*>(&r), 6);
}

// The records a drawing holds, all of them, as the bytes a file would hold.
inline std::string CommandBytes(const TAVecImage& d) {
    return std::string(reinterpret_cast<const char*>(d.Commands.data()), d.Commands.size() * 6);
}

// A drawing unlike any that a test file loads, to see whether it survives.
inline TAVecImage DistinctDrawing() {
    TAVecImage d;
    d.Header.fill('#');
    d.HeaderLastIndex = 7;
    for (int i = 0; i < 5; ++i) {
        d.Commands.push_back({'m', {'1', '2', '3', static_cast<std::uint8_t>('0' + i)}, '\n'});
    }
    d.LastIndex = 3; // one undone record
    d.LastFillIndex = 42;
    return d;
}

inline void ExpectSameDrawing(const TAVecImage& actual, const TAVecImage& expected) {
    EXPECT_EQ(std::string(actual.Header.data(), actual.Header.size()),
              std::string(expected.Header.data(), expected.Header.size()));
    EXPECT_EQ(actual.HeaderLastIndex, expected.HeaderLastIndex);
    EXPECT_EQ(CommandBytes(actual), CommandBytes(expected));
    EXPECT_EQ(actual.LastIndex, expected.LastIndex);
    EXPECT_EQ(actual.LastFillIndex, expected.LastFillIndex);
}

} // namespace vellograph::test
