// The payload reader's inflating source on arbitrary compressed bytes, walked the
// way the copy walks the archive: header, then per entry name length, name, data
// length and the data in 2,048-byte pieces, then the end-of-stream check. No read
// past the input, no piece larger than asked for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "payload/archive_format.h"
#include "payload/payload_stream.h"

namespace {

uint32_t Pull(void* destination, uint32_t count) {
  uint32_t got = PullPayloadBytes(destination, count);
  if (got > count) std::abort();
  return got;
}

// The compressed bytes, handed out from memory as the installer hands out its file's.
const unsigned char* Unread = nullptr;

int FillFromMemory(unsigned char* buffer, uint32_t count) {
  std::memcpy(buffer, Unread, count);
  Unread += count;
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<unsigned char> chunk(kPayloadChunkSize);
  std::vector<unsigned char> compressed(data, data + size);  // exactly the input, nothing after it
  Unread = compressed.data();
  if (StartPayloadStream((uint32_t)compressed.size(), chunk.data(), std::malloc, std::free, FillFromMemory) != 0) return 0;

  unsigned char header[kArchiveHeaderSize];
  if (Pull(header, sizeof header) == sizeof header) {
    uint16_t fileCount = 0;
    uint32_t archiveTotal = 0;
    DecodeArchiveHeader(header, &fileCount, &archiveTotal);
    uint64_t budget = 1u << 22;  // keep each input quick
    for (unsigned entry = 0; entry < fileCount; ++entry) {
      unsigned char nameField = 0;
      if (Pull(&nameField, 1) != 1 || !EntryNameFieldValid(nameField)) break;
      char name[kEntryNameBufferSize];
      if (Pull(name, nameField) != nameField || !EntryNameTerminated(name, nameField)) break;
      unsigned char lengthField[4];
      if (Pull(lengthField, 4) != 4) break;
      uint32_t remaining = ReadLittleEndian32(lengthField);
      if (!EntryDataLengthValid(remaining)) break;
      unsigned char piece[2048];
      bool cut = false;
      while (remaining != 0 && budget != 0) {
        uint32_t want = remaining > sizeof piece ? (uint32_t)sizeof piece : remaining;
        if (Pull(piece, want) != want) {
          cut = true;
          break;
        }
        remaining -= want;
        budget -= want < budget ? want : budget;
      }
      if (cut || budget == 0) break;
    }
    PayloadStreamEnd();
  }
  if (Pull(header, 0) != 0) std::abort();
  EndPayloadStream();
  return 0;
}
