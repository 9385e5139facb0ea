#include "payload/payload_digest.h"

#include "payload/archive_format.h"

namespace {

// "LMVD" as the first four bytes read.
const uint32_t kMark = 0x44564D4Cu;
const size_t kRoomAt = 20;
const size_t kSelfCrcAt = kPayloadDigestSize - 4;

// Table k gives the CRC of a byte followed by k zero bytes, so that four bytes are
// folded in with four look-ups. 4 KB of uninitialised data: nothing in the image.
uint32_t Tables[4][256];

void MakeTables() {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    Tables[0][i] = c;
  }
  for (uint32_t i = 0; i < 256; ++i) {
    for (int k = 1; k < 4; ++k) Tables[k][i] = (Tables[k - 1][i] >> 8) ^ Tables[0][Tables[k - 1][i] & 0xFF];
  }
}

}  // namespace

uint32_t Crc32(uint32_t crc, const unsigned char* bytes, size_t count) {
  if (Tables[0][1] == 0) MakeTables();
  crc = ~crc;
  for (; count != 0 && ((uintptr_t)bytes & 3) != 0; --count) crc = Tables[0][(crc ^ *bytes++) & 0xFF] ^ (crc >> 8);
  for (; count >= 4; count -= 4, bytes += 4) {
    crc ^= ReadLittleEndian32(bytes);
    crc = Tables[3][crc & 0xFF] ^ Tables[2][(crc >> 8) & 0xFF] ^ Tables[1][(crc >> 16) & 0xFF] ^ Tables[0][crc >> 24];
  }
  for (; count != 0; --count) crc = Tables[0][(crc ^ *bytes++) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void EncodePayloadDigest(const PayloadDigest* digest, unsigned char* out) {
  WriteLittleEndian32(out, kMark);
  WriteLittleEndian32(out + 4, digest->resourceSize);
  WriteLittleEndian32(out + 8, digest->resourceCrc);
  WriteLittleEndian16(out + 12, digest->fileCount);
  WriteLittleEndian16(out + 14, digest->longestName);
  WriteLittleEndian32(out + 16, digest->archiveTotal);
  for (int i = 0; i < kRoomUnitCount; ++i) {
    WriteLittleEndian32(out + kRoomAt + 8 * i, (uint32_t)digest->room.bytes[i]);
    WriteLittleEndian32(out + kRoomAt + 8 * i + 4, (uint32_t)(digest->room.bytes[i] >> 32));
  }
  WriteLittleEndian32(out + kSelfCrcAt, Crc32(0, out, kSelfCrcAt));
}

int DecodePayloadDigest(const unsigned char* bytes, size_t size, PayloadDigest* digest) {
  if (size != kPayloadDigestSize || ReadLittleEndian32(bytes) != kMark ||
      ReadLittleEndian32(bytes + kSelfCrcAt) != Crc32(0, bytes, kSelfCrcAt)) {
    return -1;
  }
  digest->resourceSize = ReadLittleEndian32(bytes + 4);
  digest->resourceCrc = ReadLittleEndian32(bytes + 8);
  digest->fileCount = ReadLittleEndian16(bytes + 12);
  digest->longestName = ReadLittleEndian16(bytes + 14);
  digest->archiveTotal = ReadLittleEndian32(bytes + 16);
  for (int i = 0; i < kRoomUnitCount; ++i) {
    digest->room.bytes[i] = ReadLittleEndian32(bytes + kRoomAt + 8 * i) |
                            (uint64_t)ReadLittleEndian32(bytes + kRoomAt + 8 * i + 4) << 32;
  }
  digest->room.files = digest->fileCount;
  return digest->longestName <= kEntryNameMaxLength && digest->archiveTotal < kArchiveValueLimit ? 0 : -1;
}

int PayloadMatchesDigest(const PayloadDigest* digest, const unsigned char* resource, size_t size) {
  return size == digest->resourceSize && Crc32(0, resource, size) == digest->resourceCrc ? 0 : -1;
}
