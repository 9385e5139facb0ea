// The inflating byte source behind the payload reader: the compressed bytes of the
// payload, handed to zlib through one input buffer, pulled out piece by piece.
// Deciding code (no <windows.h>): the reader gives it the locked resource and the
// buffer, so the same logic runs under the fuzzers.
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

// Starts inflating the `length` bytes at `compressed` (a zlib stream), refilling
// `chunkBuffer` (kPayloadChunkSize bytes) from them as needed. 0, or -1 when the
// inflater cannot be had (for want of memory).
int StartPayloadStream(const unsigned char* compressed, uint32_t length, unsigned char* chunkBuffer,
                       StreamAllocate allocate, StreamRelease release);

// Fills `destination` with up to `count` inflated bytes; fewer only when the stream
// has ended, is damaged or has run out of compressed bytes. A request of 0 bytes
// delivers 0 and reads nothing.
uint32_t PullPayloadBytes(void* destination, uint32_t count);

// 0 when no further byte can be pulled and the stream ended at a matching Adler-32
// check; -1 otherwise (more data, a damaged or a cut stream).
int PayloadStreamEnd();

// Ends the inflater; a second call does nothing.
void EndPayloadStream();
