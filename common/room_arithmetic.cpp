#include "common/room_arithmetic.h"

namespace {

const uint32_t kUnknownUnit = 4096;
const uint64_t kLongLimit = 0x7FFFFFFF;

}  // namespace

void ClearRoomTable(RoomTable* table) {
  for (int i = 0; i < kRoomUnitCount; ++i) table->bytes[i] = 0;
  table->files = 0;
}

// A mask, not a division: the image has no 64-bit division of its own.
uint64_t RoundUpToUnit(uint64_t size, uint64_t unit) { return (size + unit - 1) & ~(unit - 1); }

void AddFileToRoom(RoomTable* table, uint32_t size) {
  for (int i = 0; i < kRoomUnitCount; ++i) {
    table->bytes[i] += RoundUpToUnit(size, (uint64_t)kSmallestRoomUnit << i);
  }
  ++table->files;
}

uint64_t RoomNeeded(const RoomTable* table, uint32_t unit) {
  uint64_t step = kSmallestRoomUnit;
  int index = 0;
  while (step < (unit == 0 ? kUnknownUnit : unit)) {
    step <<= 1;
    if (index < kRoomUnitCount - 1) ++index;
  }
  // Past the table's largest unit a file rounded up to the larger unit takes at most
  // the difference of the two units more than the table holds for it.
  uint64_t files = table->bytes[index] + (uint64_t)table->files * (step - ((uint64_t)kSmallestRoomUnit << index));
  return files + step;
}

long KilobytesUp(uint64_t bytes) { return KilobytesDown(bytes + 1023); }

long KilobytesDown(uint64_t bytes) {
  uint64_t kilobytes = bytes >> 10;
  return (long)(kilobytes > kLongLimit ? kLongLimit : kilobytes);
}
