#include "common/payload_figures.h"

uint16_t FileCount = 0;
uint32_t ArchiveTotal = 0;
uint32_t BytesRead = 0;
RoomTable PayloadRoom;
