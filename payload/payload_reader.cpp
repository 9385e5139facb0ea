#include "payload/payload_reader.h"

#include <windows.h>

#include "common/global_memory.h"
#include "common/installer_instance.h"
#include "payload/archive_format.h"
#include "payload/payload_state.h"
#include "payload/payload_stream.h"
#include "text/message_catalogue.h"

namespace {

bool Open = false;
HGLOBAL ResourceHandle = nullptr;
unsigned char* InputChunk = nullptr;

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

  InputChunk = static_cast<unsigned char*>(AllocateLocked(kPayloadChunkSize));
  if (InputChunk == nullptr) return FailOpen("noMem");
  if (StartPayloadStream(resource + kPayloadLengthFieldSize, length, InputChunk, AllocateLocked, ReleaseLocked) != 0) return FailOpen("noMem");

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

void ClosePayload() {
  EndPayloadStream();
  ReleaseLocked(InputChunk);
  InputChunk = nullptr;
  if (ResourceHandle != nullptr) FreeResource(ResourceHandle);
  ResourceHandle = nullptr;
  Open = false;
}

bool PayloadIsOpen() { return Open; }
