#include "payload/payload_stream.h"

#include <string.h>
#include <zlib.h>

namespace {

uint32_t Remaining = 0;  // compressed bytes not yet handed to the inflater
unsigned char* InputChunk = nullptr;
z_stream Stream;
bool StreamStarted = false;
int LastInflateResult = Z_OK;
StreamAllocate Allocate = nullptr;
StreamRelease Release = nullptr;
StreamFill Fill = nullptr;

voidpf AllocateForZlib(voidpf, uInt items, uInt size) {
  if (size != 0 && items > (uInt)-1 / size) return Z_NULL;
  return Allocate((size_t)items * size);
}

void ReleaseForZlib(voidpf, voidpf block) { Release(block); }

}  // namespace

int StartPayloadStream(uint32_t length, unsigned char* chunkBuffer, StreamAllocate allocate, StreamRelease release,
                       StreamFill fill) {
  EndPayloadStream();
  Fill = fill;
  Remaining = length;
  InputChunk = chunkBuffer;
  Allocate = allocate;
  Release = release;
  memset(&Stream, 0, sizeof Stream);
  Stream.zalloc = AllocateForZlib;
  Stream.zfree = ReleaseForZlib;
  // With the allocators given, the only way this fails is for want of memory.
  if (inflateInit(&Stream) != Z_OK) return -1;
  StreamStarted = true;
  LastInflateResult = Z_OK;
  return 0;
}

uint32_t PullPayloadBytes(void* destination, uint32_t count) {
  // zlib refuses a null output pointer even for no output; a request for nothing is
  // answered without touching the stream.
  if (!StreamStarted || count == 0) return 0;
  Stream.next_out = static_cast<Bytef*>(destination);
  Stream.avail_out = count;
  for (;;) {
    if (Stream.avail_in == 0) {
      uint32_t chunk = Remaining < kPayloadChunkSize ? Remaining : (uint32_t)kPayloadChunkSize;
      if (chunk == 0) break;
      if (Fill(InputChunk, chunk) != 0) break;
      Remaining -= chunk;
      Stream.next_in = InputChunk;
      Stream.avail_in = chunk;
    }
    LastInflateResult = inflate(&Stream, Z_PARTIAL_FLUSH);
    if (Stream.avail_out == 0 || LastInflateResult != Z_OK) break;
  }
  return count - Stream.avail_out;
}

int PayloadStreamEnd() {
  // The last entry's data can fill the caller's buffer before inflate has seen the
  // end of the stream; one more request lets it read (and check) the trailer.
  unsigned char beyond;
  if (PullPayloadBytes(&beyond, 1) != 0) return -1;
  return LastInflateResult == Z_STREAM_END ? 0 : -1;
}

void EndPayloadStream() {
  if (StreamStarted) inflateEnd(&Stream);
  StreamStarted = false;
  InputChunk = nullptr;
  Remaining = 0;
}
