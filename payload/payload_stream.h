// The inflating byte source behind the payload reader: the compressed bytes of the
// payload, handed to zlib through one input buffer, pulled out piece by piece.
// Deciding code (no <windows.h>): the reader gives it the locked resource and the
// buffer, so the same logic runs under the fuzzers.
#pragma once
#include <stdint.h>

// The compressed bytes go through one input buffer of this size.
enum { kPayloadChunkSize = 65528 };

// Starts inflating the `length` bytes at `compressed` (a zlib stream), refilling
// `chunkBuffer` (kPayloadChunkSize bytes) from them as needed. 0, or -1 when the
// inflater cannot be had (for want of memory).
int StartPayloadStream(const unsigned char* compressed, uint32_t length, unsigned char* chunkBuffer);

// Fills `destination` with up to `count` inflated bytes; fewer only when the stream
// has ended, is damaged or has run out of compressed bytes. A request of 0 bytes
// delivers 0 and reads nothing.
uint32_t PullPayloadBytes(void* destination, uint32_t count);

// 0 when no further byte can be pulled and the stream ended at a matching Adler-32
// check; -1 otherwise (more data, a damaged or a cut stream).
int PayloadStreamEnd();

// Ends the inflater; a second call does nothing.
void EndPayloadStream();
