// The time-sync file's bytes: each entry little-endian, in index order.
#include "Amb2TimeSync.h"

std::array<uint8_t, TimeSyncFileBytes> EncodeTimeSync(const TTimeSyncTable& table) {
  std::array<uint8_t, TimeSyncFileBytes> bytes{};
  for (size_t i = 0; i < TimeSyncFileBytes; ++i) bytes[i] = uint8_t(table[i / 4] >> (8 * (i % 4)));
  return bytes;
}

void DecodeTimeSyncInto(TTimeSyncTable& table, const uint8_t* data, size_t size) {
  if (size > TimeSyncFileBytes) size = TimeSyncFileBytes;
  for (size_t i = 0; i < size; ++i) {
    uint32_t& entry = table[i / 4];
    const unsigned shift = 8 * (i % 4);
    entry = (entry & ~(0xFFu << shift)) | (uint32_t(data[i]) << shift);
  }
}
