// The payload reader: resource 512/301 of InstallerInstance, inflated on demand.
// Callers pull archive bytes in pieces; the archive is never held whole.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "payload/payload_stream.h"

// Finds the payload, opens the installer's file at it (the payload is read from
// there, not through the image), starts inflating and reads the archive header into
// FileCount and ArchiveTotal; BytesRead starts at 0. 0, or -1 after an error box
// ("dataNotFound", "corData" or "noMem") with everything taken released again.
int OpenPayload();

// Fills `destination` with up to `count` archive bytes and adds what it delivered to
// BytesRead. Fewer than `count` only when the stream has ended, is damaged or has
// run out of compressed input; a request of 0 bytes delivers 0 and reads nothing.
uint32_t ReadPayload(void* destination, uint32_t count);

// Called once the last entry has been read: 0 when no archive byte follows and the
// zlib stream has ended at a matching Adler-32 check; -1 otherwise (more data, a
// damaged or a cut stream). Reports nothing itself.
int CheckPayloadEnd();

// Reads one entry's name-length byte, name (into kEntryNameBufferSize bytes) and
// data length, as the copy reads them. 0, or -1 when they are short, out of range or
// name a place outside the install directory. Reports nothing itself.
int ReadEntryHeader(char* name, uint32_t* dataLength);

// Checks the whole payload before anything is written, the open payload still at its
// first entry afterwards, and sets LongestEntryPath and PayloadRoom:
// - kCheckedByDigest: the installer carries a digest (resource 512/303), whole, and
//   one CRC-32 over the payload's stored bytes matches it; its figures are taken;
// - kCheckedByInflating: without a digest, every entry's header and data, the
//   stream's end and its Adler-32 were read, one piece at a time, and the payload
//   opened again;
// - -1 after the error box ("corData", "noMem"), with the payload closed. A digest
//   that is damaged or does not match is "corData": it is never passed over.
enum { kCheckedByInflating = 0, kCheckedByDigest = 1 };
int CheckWholePayload();

// Releases the input buffer and the inflater and closes the installer's file; a
// second call does nothing.
void ClosePayload();

bool PayloadIsOpen();
