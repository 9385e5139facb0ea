// Archive bytes decoded the way the installer walks them, from arbitrary input:
// header, then per entry the name-length byte, the name, the data length and the
// target paths. Nothing may be read past the input or written past a buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "payload/archive_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<unsigned char> bytes(data, data + size);
  uint32_t length = 0;
  if (DecodePayloadLength(bytes.data(), bytes.size(), &length) == 0 && length > bytes.size() - 4) std::abort();

  if (size < kArchiveHeaderSize) return 0;
  uint16_t fileCount = 0;
  uint32_t archiveTotal = 0;
  DecodeArchiveHeader(bytes.data(), &fileCount, &archiveTotal);
  size_t p = kArchiveHeaderSize;
  uint32_t total = 0;
  for (unsigned entry = 0; entry < fileCount && p < size; ++entry) {
    unsigned nameField = bytes[p++];
    if (!EntryNameFieldValid(nameField)) return 0;
    if (nameField > kEntryNameBufferSize) std::abort();
    if (p + nameField + 4 > size) return 0;
    char name[kEntryNameBufferSize];
    std::memcpy(name, &bytes[p], nameField);
    p += nameField;
    if (!EntryNameTerminated(name, nameField) || !EntryNameIsSafe(name)) return 0;
    uint32_t dataLength = ReadLittleEndian32(&bytes[p]);
    p += 4;
    if (!EntryDataLengthValid(dataLength)) return 0;
    if (AddEntryToArchiveTotal(&total, nameField, dataLength) != 0) return 0;
    char target[260];
    char directory[260];
    EntryTargetPaths("C:\\Program Files\\Lumivora", name, target, sizeof target, directory, sizeof directory);
    if (std::strlen(target) >= sizeof target || std::strlen(directory) >= sizeof directory) std::abort();
    char relative[260];
    EntryRelativePath(name, relative, sizeof relative);
    if (std::strstr(relative, "..") != nullptr && std::strstr(name, "..") == nullptr) std::abort();
    p += dataLength < size - p ? dataLength : size - p;
  }
  return 0;
}
