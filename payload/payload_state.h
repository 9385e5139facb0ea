// The archive header and the progress counter of the payload reader, shared with
// the destination dialog (size line) and the copy dialog (percentage bar).
#pragma once
#include <stdint.h>

// Number of entries in the archive.
extern uint16_t FileCount;
// Sum over all entries of name-length byte, name and data; below 2^31.
extern uint32_t ArchiveTotal;
// Archive bytes delivered since the header, data-length fields included.
extern uint32_t BytesRead;
