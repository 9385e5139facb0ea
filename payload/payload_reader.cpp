#include "payload/payload_reader.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/global_memory.h"
#include "common/installer_instance.h"
#include "common/installer_state.h"
#include "common/payload_figures.h"
#include "payload/archive_format.h"
#include "payload/payload_digest.h"
#include "payload/payload_stream.h"
#include "text/message_catalogue.h"

namespace {

bool Open = false;
const unsigned char* Resource = nullptr;
DWORD ResourceSize = 0;
unsigned char* InputChunk = nullptr;
HFILE ImageFile = HFILE_ERROR;

// The next `count` bytes of the installer's file.
int ReadImageFile(unsigned char* buffer, uint32_t count) {
  return _hread(ImageFile, buffer, (long)count) == (long)count ? 0 : -1;
}

// The payload is read from the installer's file, not through its image: every page
// of the image the installer reads stays counted in its memory until it ends (under
// Wine, which maps the file, as much as on Windows), so a payload of some hundred MB
// would lie in the installation's memory beside everything else. Puts ImageFile at
// the resource's byte `from`, the resource's place in the file taken from the
// image's section table.
void SeekResource(DWORD from) {
  const unsigned char* base = reinterpret_cast<const unsigned char*>(InstallerInstance);
  const IMAGE_NT_HEADERS* headers =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
  const DWORD address = (DWORD)(Resource - base);
  for (WORD left = headers->FileHeader.NumberOfSections; left != 0; --left, ++section) {
    DWORD into = address - section->VirtualAddress;
    if (into < section->SizeOfRawData && ResourceSize <= section->SizeOfRawData - into) {
      _llseek(ImageFile, (LONG)(section->PointerToRawData + into + from), 0);
      return;
    }
  }
}

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
  // A module's resources need no freeing on any Win32 system (FreeResource does
  // nothing there), so neither handle is kept.
  HGLOBAL handle = LoadResource(InstallerInstance, info);
  Resource = handle != nullptr ? static_cast<const unsigned char*>(LockResource(handle)) : nullptr;
  ResourceSize = SizeofResource(InstallerInstance, info);
  // The length field is checked against the resource's real size: a larger one
  // would have the refills copy from beyond the resource.
  uint32_t length = 0;
  if (DecodePayloadLength(Resource, ResourceSize, &length) != 0) {
    return FailOpen("corData");
  }

  char path[MAX_PATH];
  DWORD pathLength = GetModuleFileNameA(InstallerInstance, path, sizeof path);
  ImageFile = pathLength != 0 && pathLength < sizeof path ? _lopen(path, OF_READ | OF_SHARE_DENY_NONE) : HFILE_ERROR;
  if (ImageFile == HFILE_ERROR) return FailOpen("dataNotFound");
  SeekResource(kPayloadLengthFieldSize);
  InputChunk = static_cast<unsigned char*>(AllocateLocked(kPayloadChunkSize));
  if (InputChunk == nullptr) return FailOpen("noMem");
  if (StartPayloadStream(length, InputChunk, AllocateLocked, ReleaseLocked, ReadImageFile) != 0) return FailOpen("noMem");

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
  uint32_t delivered = PullPayloadBytes(destination, count);
  BytesRead += delivered;
  return delivered;
}

int CheckPayloadEnd() { return PayloadStreamEnd(); }

int ReadEntryHeader(char* name, uint32_t* dataLength) {
  unsigned char nameField = 0;
  unsigned char lengthField[kDataLengthFieldSize];
  // A name length outside 2 to 52, a name without its NUL at the end or one that
  // would lead outside the install directory is as corrupt as a short read.
  if (ReadPayload(&nameField, 1) != 1 || !EntryNameFieldValid(nameField) ||
      ReadPayload(name, nameField) != nameField || !EntryNameTerminated(name, nameField) ||
      !EntryNameIsSafe(name) || ReadPayload(lengthField, sizeof lengthField) != sizeof lengthField ||
      !EntryDataLengthValid(ReadLittleEndian32(lengthField))) {
    return -1;
  }
  *dataLength = ReadLittleEndian32(lengthField);
  return 0;
}

namespace {

// 0 when the payload resource, read from the installer's file through the stream's
// input buffer, is the one the digest was made of. The stream is started again
// afterwards.
int ResourceMatchesDigest(const PayloadDigest* digest) {
  SeekResource(0);
  uint32_t crc = 0;
  uint32_t offset = 0;
  for (uint32_t count = 0; offset < ResourceSize; offset += count) {
    count = ResourceSize - offset < kPayloadChunkSize ? ResourceSize - offset : (uint32_t)kPayloadChunkSize;
    if (ReadImageFile(InputChunk, count) != 0) break;
    crc = Crc32(crc, InputChunk, count);
  }
  return offset == ResourceSize && ResourceSize == digest->resourceSize && crc == digest->resourceCrc ? 0 : -1;
}

// 1 when the installer carries no digest (its payload was packed by an older lmvrpack);
// 0 when the digest is whole and the payload's stored bytes match it, its figures
// then taken; -1 when either is damaged.
int CheckPayloadByDigest() {
  HRSRC info = FindResourceA(InstallerInstance, MAKEINTRESOURCEA(kPayloadDigestId),
                             MAKEINTRESOURCEA(kPayloadResourceType));
  if (info == nullptr) return 1;
  HGLOBAL handle = LoadResource(InstallerInstance, info);
  const unsigned char* bytes = handle != nullptr ? static_cast<const unsigned char*>(LockResource(handle)) : nullptr;
  PayloadDigest digest;
  int status = bytes != nullptr && DecodePayloadDigest(bytes, SizeofResource(InstallerInstance, info), &digest) == 0 &&
                       ResourceMatchesDigest(&digest) == 0 &&
                       digest.fileCount == FileCount && digest.archiveTotal == ArchiveTotal
                   ? 0
                   : -1;
  if (status != 0) return -1;
  LongestEntryPath = digest.longestName;
  PayloadRoom = digest.room;
  return 0;
}

}  // namespace

int CheckWholePayload() {
  int byDigest = CheckPayloadByDigest();
  if (byDigest < 0) return FailOpen("corData");
  if (byDigest == 0) return OpenPayload() == 0 ? kCheckedByDigest : -1;
  LongestEntryPath = 0;
  ClearRoomTable(&PayloadRoom);
  char name[kEntryNameBufferSize];
  char piece[2048];
  for (uint32_t index = 0; index < FileCount; ++index) {
    uint32_t dataLength = 0;
    if (ReadEntryHeader(name, &dataLength) != 0) return FailOpen("corData");
    // The path below the install directory is as long as the name: its "!" becomes
    // the "\" between the directory and the file ("EYE_8!ENGLISH\IMAGES", "ENGLISH\IMAGES\EYE_8").
    if (TextLength(name) > LongestEntryPath) LongestEntryPath = TextLength(name);
    AddFileToRoom(&PayloadRoom, dataLength);
    while (dataLength != 0) {
      uint32_t count = dataLength < sizeof piece ? dataLength : (uint32_t)sizeof piece;
      if (ReadPayload(piece, count) != count) return FailOpen("corData");
      dataLength -= count;
    }
  }
  if (CheckPayloadEnd() != 0) return FailOpen("corData");
  // From the start again, for the copy.
  return OpenPayload() == 0 ? kCheckedByInflating : -1;
}

void ClosePayload() {
  EndPayloadStream();
  ReleaseLocked(InputChunk);
  InputChunk = nullptr;
  if (ImageFile != HFILE_ERROR) _lclose(ImageFile);
  ImageFile = HFILE_ERROR;
  Resource = nullptr;
  ResourceSize = 0;
  Open = false;
}

bool PayloadIsOpen() { return Open; }
