// The inflating byte source behind the payload reader: the compressed bytes of the
// payload, handed to zlib through one input buffer, pulled out piece by piece.
// Deciding code (no <windows.h>): the reader gives it the buffer and the way to fill
// it, so the same logic runs under the fuzzers.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The compressed bytes go through one input buffer of this size.
enum { kPayloadChunkSize = 65528 };

// Where the inflater's own memory (its state and its window) comes from. The installer
// hands in its locked global memory, so that no C runtime is needed; host tools and
// fuzzers may hand in malloc and free. `allocate` returns nullptr when memory is short.
typedef void* (*StreamAllocate)(size_t bytes);
typedef void (*StreamRelease)(void* block);

// Where the compressed bytes come from: puts the next `count` of them into `buffer`.
// 0, or -1 when they cannot be read, which ends the input there.
typedef int (*StreamFill)(unsigned char* buffer, uint32_t count);

// Starts inflating a zlib stream of `length` bytes, refilling `chunkBuffer`
// (kPayloadChunkSize bytes) through `fill` as needed. 0, or -1 when the inflater
// cannot be had (for want of memory).
int StartPayloadStream(uint32_t length, unsigned char* chunkBuffer, StreamAllocate allocate, StreamRelease release,
                       StreamFill fill);

// Fills `destination` with up to `count` inflated bytes; fewer only when the stream
// has ended, is damaged or has run out of compressed bytes. A request of 0 bytes
// delivers 0 and reads nothing.
uint32_t PullPayloadBytes(void* destination, uint32_t count);

// 0 when no further byte can be pulled and the stream ended at a matching Adler-32
// check; -1 otherwise (more data, a damaged or a cut stream).
int PayloadStreamEnd();

// Ends the inflater; a second call does nothing.
void EndPayloadStream();
