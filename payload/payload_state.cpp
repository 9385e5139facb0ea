#include "payload/payload_state.h"

uint16_t FileCount = 0;
uint32_t ArchiveTotal = 0;
uint32_t BytesRead = 0;
