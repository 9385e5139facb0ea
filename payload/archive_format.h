// The payload resource and the archive inside it, shared by the installer (which
// reads it piece by piece) and lmvrpack (which writes, lists and verifies it).
// Deciding code: no <windows.h>.
//
// Resource: 4-byte little-endian length L, then one zlib stream of L bytes.
// Archive (the inflated stream): FileCount (16 bits), ArchiveTotal (32 bits), then
// FileCount entries, each a name-length byte N (NUL included), the N bytes of the
// name, a 32-bit data length D and the D bytes of the file. Integers little-endian.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum {
  kPayloadResourceType = 512,
  kPayloadResourceId = 301,
  kPayloadLengthFieldSize = 4,
  kArchiveHeaderSize = 6,
  kDataLengthFieldSize = 4,
  // The extraction's name buffer: the longest name is 51 bytes plus its NUL.
  kEntryNameBufferSize = 52,
  kEntryNameMaxLength = kEntryNameBufferSize - 1,
  kArchiveMaxEntries = 65535,
};

// ArchiveTotal and every data length stay below 2^31: both are compared and divided
// as signed values.
const uint32_t kArchiveValueLimit = 0x80000000u;

uint16_t ReadLittleEndian16(const unsigned char* bytes);
uint32_t ReadLittleEndian32(const unsigned char* bytes);
void WriteLittleEndian16(unsigned char* bytes, uint16_t value);
void WriteLittleEndian32(unsigned char* bytes, uint32_t value);

// The compressed length of a payload resource of `resourceSize` bytes. 0, or -1 when
// the resource cannot hold its length field or the length promises more bytes than
// follow it (nothing may be read past the resource).
int DecodePayloadLength(const unsigned char* resource, size_t resourceSize, uint32_t* length);

void EncodeArchiveHeader(unsigned char* header, uint16_t fileCount, uint32_t archiveTotal);
void DecodeArchiveHeader(const unsigned char* header, uint16_t* fileCount, uint32_t* archiveTotal);

// True when the name-length byte N can be read into the name buffer (2 to 52).
bool EntryNameFieldValid(unsigned nameField);
// True when the N bytes of a name end in their only NUL.
bool EntryNameTerminated(const char* name, size_t nameField);
bool EntryDataLengthValid(uint32_t dataLength);

// Adds one entry's 1 + N + D to `total`. 0, or -1 (total unchanged) when the sum
// would reach 2^31.
int AddEntryToArchiveTotal(uint32_t* total, size_t nameField, uint32_t dataLength);

// Writes an entry's header (N, the name and its NUL, D) into `out`. The number of
// bytes written (N + 5), or 0 when the name is empty or longer than 51 bytes or the
// header does not fit `size`.
size_t EncodeEntryHeader(unsigned char* out, size_t size, const char* name, uint32_t dataLength);

// An entry name is a file name, or a file name, "!" and a directory path below the
// install directory with "\" between its levels ("EYE_8!ENGLISH\IMAGES").
// The directory part (after the first "!"), or nullptr when the name has none.
const char* EntryDirectoryPart(const char* name);
// Length of the file-name part (before the first "!").
size_t EntryFileNameLength(const char* name);

// The path of the entry's file relative to the install directory ("ENGLISH\IMAGES\EYE_8").
// 0, or -1 when it does not fit (`out` then holds a cut path).
int EntryRelativePath(const char* name, char* out, size_t size);

// Where the installer writes an entry: `target` is the install directory, a "\"
// unless it already ends in "\", "/" or ":", and the relative path; `directory` is
// the one directory level the entry asks to be created (the install directory joined
// with the directory part), or "" when the name has no "!". 0, or -1 when either
// does not fit its buffer (the buffers then hold cut paths, never anything past them).
int EntryTargetPaths(const char* installDirectory, const char* name, char* target, size_t targetSize,
                     char* directory, size_t directorySize);

// Where the copy sets aside the file it replaces at `target`, the entry `index`'s:
// "~LMV" and the index in four hexadecimal digits, ".TMP", in the target's own folder
// (a rename, never a copy). 8.3, so that every file system takes it, and the same
// for the same entry in every run, so that a run cut short leaves nothing the next
// one cannot find. `attempt` 1 to kSetAsideNames - 1 gives the entry's further names
// ("~LMV0000.T01"), for when a file that waits for the next restart to delete it
// still holds an earlier one. 0, or -1 when it does not fit `size`.
enum { kSetAsideNames = 16 };
int SetAsidePath(const char* target, uint32_t index, uint32_t attempt, char* out, size_t size);

// True unless the name could reach outside the install directory or name no file:
// an empty level, a level "." or "..", or a ":" anywhere. The installer refuses such
// names as corrupted data.
bool EntryNameIsSafe(const char* name);

// Why lmvrpack refuses a name. The installer itself only needs EntryNameIsSafe.
enum EntryNameProblem {
  kEntryNameOk = 0,
  kEntryNameEmpty,          // an empty file or directory name
  kEntryNameTooLong,        // the entry name exceeds 51 bytes
  kEntryNameExclamation,    // "!" separates the file from its directory
  kEntryNameForbidden,      // < > : " / \ | ? * are not allowed by Windows
  kEntryNameNotPrintable,   // outside printable ASCII (0x20 to 0x7E)
  kEntryNameDotOrSpaceEnd,  // Windows drops a trailing "." or space
  kEntryNameDevice,         // CON, PRN, AUX, NUL, COM1..9, LPT1..9
  kEntryNameDotLevel,       // "." or ".."
};

// Checks one file or directory name (`length` bytes, no NUL needed).
EntryNameProblem CheckNameLevel(const char* level, size_t length);
// Checks a whole entry name: its length, then every level of it.
EntryNameProblem CheckEntryName(const char* name);
// A sentence for the vendor ("contains \"!\", which separates ...").
const char* EntryNameProblemText(EntryNameProblem problem);
