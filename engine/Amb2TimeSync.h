// The time-sync table's shape and file: 201 moments of the demo clock in ms,
// stored as 804 bytes, each entry unsigned 32-bit little-endian, with no
// header. Entry i starts part i; entries 0 .. 11 drive the schedule of the
// parts -1 .. 10, and the moment of entry 11 ends the show. The program,
// the editor, the data generator and the tools all encode and decode it here.
//
// State: none; encoding and decoding are pure.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr int TimeSyncEntries = 201;
constexpr size_t TimeSyncFileBytes = TimeSyncEntries * 4;
using TTimeSyncTable = std::array<uint32_t, TimeSyncEntries>;

// The show: parts FirstPart .. LastPart play in order; the schedule reaching
// EndPart ends it.
constexpr int FirstPart = -1;
constexpr int LastPart = 10;
constexpr int EndPart = LastPart + 1;
constexpr int PartCount = LastPart - FirstPart + 1;
// The moment of the demo clock at which the music is heard to start: the
// generated table's cuts (and the parts' moments the music was composed
// for) fall on the song's beats from there.
constexpr int32_t MusicStartMs = 2000;
// The entries that drive the schedule, 0 .. EndPart.
constexpr int ScheduleEntries = EndPart + 1;
using TScheduleMoments = std::array<uint32_t, ScheduleEntries>;

std::array<uint8_t, TimeSyncFileBytes> EncodeTimeSync(const TTimeSyncTable& table);
// Copies up to 804 bytes over the table from its first byte: a shorter file
// fills only the entries it covers (a partial last entry only its first
// bytes) and leaves the rest as they were; bytes beyond 804 are ignored.
void DecodeTimeSyncInto(TTimeSyncTable& table, const uint8_t* data, size_t size);
