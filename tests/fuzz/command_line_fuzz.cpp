// The command-line scan on arbitrary argument strings: nothing read past the
// terminator (the string sits in a block of exactly its size), the language index
// always one of the seven, a switch's value within its buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "driver/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char* args = static_cast<char*>(std::malloc(size + 1));
  std::memcpy(args, data, size);
  args[size] = '\0';
  bool autoRun = true;
  int language = 0;
  bool chosen = false;
  ScanCommandLine(args, &autoRun, &language, &chosen);
  if (language < 0 || language > 6) std::abort();
  if (language != 0 && !chosen) std::abort();

  // A value never outgrows its buffer, and is terminated whatever the answer.
  char value[16];
  SwitchValueResult found = FindSwitchValue(args, "-dir=", value, sizeof value, false);
  if (found != kSwitchAbsent && std::strlen(value) >= sizeof value) std::abort();
  const char* word;
  size_t length;
  for (size_t position = 0; NextUnknownSwitch(args, &position, &word, &length);) {
    if (word < args || word + length > args + size || *word != '-') std::abort();
  }

  char directory[260];
  InstallerDirectoryFromPath(args, directory, sizeof directory);
  if (std::strlen(directory) >= sizeof directory) std::abort();
  std::free(args);
  return 0;
}
