// The log's line from an arbitrary event, time and buffer size: it stays in its
// buffer, is one line ending in CR LF, and loses bytes of the event only with its mark.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/install_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  std::vector<char> line((data[0] | (data[1] << 8)) % 700 + 1);
  LogTime time = {data[2] * 40u, data[3], data[4], data[5], data[6], data[7]};
  std::string event(reinterpret_cast<const char*>(data + 8), size - 8);
  size_t length = ComposeLogLine(line.data(), line.size(), &time, event.c_str(), data[2] & 1);
  if (std::strlen(line.data()) != length || length >= line.size()) std::abort();
  if (length == 0) return 0;
  if (length < 2 || line[length - 2] != '\r' || line[length - 1] != '\n') std::abort();
  if (std::memchr(line.data(), '\r', length - 2) || std::memchr(line.data(), '\n', length - 2)) std::abort();
  bool marked = length >= 8 && std::memcmp(&line[length - 8], " [cut]", 6) == 0;
  if ((data[2] & 1) && !marked) std::abort();
  if (!marked && !std::strpbrk(event.c_str(), "\r\n") && std::strlen(event.c_str()) + 22 != length) std::abort();
  return 0;
}
