// The payload's digest: resource 512/303, which lmvrpack stores beside the payload.
// It lets the installer check the payload at the speed of reading it, with one
// CRC-32 over the resource's bytes as stored, instead of inflating the whole payload
// before the copy inflates it again. It also carries what the installer would learn
// from that inflation: the entry count, ArchiveTotal, the longest stored name (for
// the path-length refusal) and the room the files take on a drive.
// Deciding code: no <windows.h>.
//
// Layout, integers little-endian:
//    0   4  "LMVD"
//    4   4  size of resource 512/301, its length field included
//    8   4  CRC-32 of those bytes
//   12   2  FileCount
//   14   2  length of the longest stored entry name, its NUL not counted
//   16   4  ArchiveTotal
//   20 104  the room table: 13 sums of 8 bytes, from the 512-byte unit up
//  124   4  CRC-32 of the 124 bytes before it
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/room_arithmetic.h"

enum { kPayloadDigestId = 303, kPayloadDigestSize = 128 };

struct PayloadDigest {
  uint32_t resourceSize;
  uint32_t resourceCrc;
  uint16_t fileCount;
  uint16_t longestName;
  uint32_t archiveTotal;
  RoomTable room;  // room.files is fileCount
};

// The CRC-32 of zlib and of ZIP files (reflected polynomial 0xEDB88320), carried on
// from `crc` (0 to start). Four bytes a step through tables made on the first call.
uint32_t Crc32(uint32_t crc, const unsigned char* bytes, size_t count);

void EncodePayloadDigest(const PayloadDigest* digest, unsigned char* out);

// 0, or -1 when `bytes` are not a whole digest: another size or mark, a CRC-32 that
// does not match them, or figures no payload can have (a name longer than the
// name buffer holds, ArchiveTotal from 2^31).
int DecodePayloadDigest(const unsigned char* bytes, size_t size, PayloadDigest* digest);

// 0 when the `size` bytes at `resource` are the payload resource the digest was made
// of: the same size and the same CRC-32.
int PayloadMatchesDigest(const PayloadDigest* digest, const unsigned char* resource, size_t size);
