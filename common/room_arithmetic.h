// The room an installation needs on a drive, and whether the drive has it. Deciding
// code: no <windows.h>.
//
// A file takes whole allocation units of its drive, so what the product needs
// depends on the drive: the table keeps, for every power of two from 512 bytes to
// 2 MB, the files' sizes each rounded up to that unit, as they are read once.
#pragma once
#include <stdint.h>

enum { kRoomUnitCount = 13, kSmallestRoomUnit = 512 };

struct RoomTable {
  uint64_t bytes[kRoomUnitCount];
  uint32_t files;
};

void ClearRoomTable(RoomTable* table);
// Adds one file of `size` bytes.
void AddFileToRoom(RoomTable* table, uint32_t size);

// `size` rounded up to whole units of `unit` bytes, a power of two.
uint64_t RoundUpToUnit(uint64_t size, uint64_t unit);

// What the installation needs on a drive whose allocation unit is `unit` bytes: the
// files and one unit for the options file. A unit that is no power of two counts as
// the next one, a unit past 2 MB as 2 MB plus the most the larger unit can add to
// each file, and an unknown unit (0) as 4 KB, the unit of most drives. Files the copy replaces are not subtracted:
// it sets them aside until every new file is written, so at its fullest the drive
// holds both.
uint64_t RoomNeeded(const RoomTable* table, uint32_t unit);

// Kilobytes to show: `bytes` rounded up (what is needed) or down (what is free),
// within what a long shows.
long KilobytesUp(uint64_t bytes);
long KilobytesDown(uint64_t bytes);
