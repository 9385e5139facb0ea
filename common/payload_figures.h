// What the installer knows of its payload: the archive header, the progress counter,
// and what the check of the whole payload learnt before anything is written. The
// payload reader sets them; the destination dialog (size line), the copy dialog
// (percentage bar) and the directory step (room on the drive) read them.
#pragma once
#include <stdint.h>

#include "common/room_arithmetic.h"

// Number of entries in the archive.
extern uint16_t FileCount;
// Sum over all entries of name-length byte, name and data; below 2^31.
extern uint32_t ArchiveTotal;
// Archive bytes delivered since the header, data-length fields included.
extern uint32_t BytesRead;
// The room the entries take on a drive, by allocation unit; empty until the check of
// the whole payload has read every entry.
extern RoomTable PayloadRoom;
