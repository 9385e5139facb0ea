#include "payload/payload_reader.h"

#include <windows.h>
#include <zlib.h>

#include <string.h>

#include "common/global_memory.h"
#include "driver/startup.h"
#include "payload/archive_format.h"
#include "payload/payload_state.h"
#include "text/message_catalogue.h"

namespace {

bool Open = false;
HGLOBAL ResourceHandle = nullptr;
const unsigned char* CompressedData = nullptr;  // the first byte after the length field
uint32_t Remaining = 0;                         // compressed bytes not yet handed over
uint32_t Consumed = 0;                          // offset of the next compressed byte
unsigned char* InputChunk = nullptr;
z_stream Stream;
bool StreamStarted = false;
int LastInflateResult = Z_OK;

int FailOpen(const char* key) {
  ShowErrorBox(key);
  ClosePayload();
  return -1;
}

}  // namespace

int OpenPayload() {
  ClosePayload();
  HRSRC info = FindResourceA(InstallerInstance, MAKEINTRESOURCEA(kPayloadResourceId),
                             MAKEINTRESOURCEA(kPayloadResourceType));
  if (info == nullptr) {
    ShowErrorBox("dataNotFound");
    return -1;
  }
  ResourceHandle = LoadResource(InstallerInstance, info);
  const unsigned char* resource =
      ResourceHandle != nullptr ? static_cast<const unsigned char*>(LockResource(ResourceHandle)) : nullptr;
  // The length field is checked against the resource's real size: a larger one
  // would have the refills copy from beyond the resource.
  uint32_t length = 0;
  if (DecodePayloadLength(resource, SizeofResource(InstallerInstance, info), &length) != 0) {
    return FailOpen("corData");
  }
  CompressedData = resource + kPayloadLengthFieldSize;
  Remaining = length;
  Consumed = 0;

  memset(&Stream, 0, sizeof Stream);
  InputChunk = static_cast<unsigned char*>(AllocateLocked(kPayloadChunkSize));
  if (InputChunk == nullptr) return FailOpen("noMem");
  // zlib's own allocators; the only way this fails is for want of memory.
  if (inflateInit(&Stream) != Z_OK) return FailOpen("noMem");
  StreamStarted = true;
  LastInflateResult = Z_OK;

  unsigned char count[2];
  unsigned char total[4];
  if (ReadPayload(count, sizeof count) != sizeof count || ReadPayload(total, sizeof total) != sizeof total) {
    return FailOpen("corData");
  }
  FileCount = ReadLittleEndian16(count);
  ArchiveTotal = ReadLittleEndian32(total);
  BytesRead = 0;
  Open = true;
  return 0;
}

uint32_t ReadPayload(void* destination, uint32_t count) {
  // zlib refuses a null output pointer even for no output; a request for nothing is
  // answered without touching the stream.
  if (!StreamStarted || count == 0) return 0;
  Stream.next_out = static_cast<Bytef*>(destination);
  Stream.avail_out = count;
  for (;;) {
    if (Stream.avail_in == 0) {
      uint32_t chunk = Remaining < kPayloadChunkSize ? Remaining : (uint32_t)kPayloadChunkSize;
      if (chunk == 0) break;
      memcpy(InputChunk, CompressedData + Consumed, chunk);
      Remaining -= chunk;
      Consumed += chunk;
      Stream.next_in = InputChunk;
      Stream.avail_in = chunk;
    }
    LastInflateResult = inflate(&Stream, Z_PARTIAL_FLUSH);
    if (Stream.avail_out == 0 || LastInflateResult != Z_OK) break;
  }
  uint32_t delivered = count - Stream.avail_out;
  BytesRead += delivered;
  return delivered;
}

int CheckPayloadEnd() {
  // The last entry's data can fill the caller's buffer before inflate has seen the
  // end of the stream; one more request lets it read (and check) the trailer.
  unsigned char beyond;
  if (ReadPayload(&beyond, 1) != 0) return -1;
  return LastInflateResult == Z_STREAM_END ? 0 : -1;
}

void ClosePayload() {
  if (StreamStarted) inflateEnd(&Stream);
  StreamStarted = false;
  ReleaseLocked(InputChunk);
  InputChunk = nullptr;
  if (ResourceHandle != nullptr) FreeResource(ResourceHandle);
  ResourceHandle = nullptr;
  CompressedData = nullptr;
  Remaining = 0;
  Consumed = 0;
  Open = false;
}

bool PayloadIsOpen() { return Open; }
