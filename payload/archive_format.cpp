#include "payload/archive_format.h"

#include "common/bounded_text.h"

uint16_t ReadLittleEndian16(const unsigned char* bytes) { return (uint16_t)(bytes[0] | (bytes[1] << 8)); }

uint32_t ReadLittleEndian32(const unsigned char* bytes) {
  return (uint32_t)bytes[0] | ((uint32_t)bytes[1] << 8) | ((uint32_t)bytes[2] << 16) | ((uint32_t)bytes[3] << 24);
}

void WriteLittleEndian16(unsigned char* bytes, uint16_t value) {
  bytes[0] = (unsigned char)(value & 0xFF);
  bytes[1] = (unsigned char)(value >> 8);
}

void WriteLittleEndian32(unsigned char* bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = (unsigned char)((value >> (8 * i)) & 0xFF);
}

int DecodePayloadLength(const unsigned char* resource, size_t resourceSize, uint32_t* length) {
  if (resource == nullptr || resourceSize < kPayloadLengthFieldSize) return -1;
  uint32_t value = ReadLittleEndian32(resource);
  if (value > resourceSize - kPayloadLengthFieldSize) return -1;
  *length = value;
  return 0;
}

void EncodeArchiveHeader(unsigned char* header, uint16_t fileCount, uint32_t archiveTotal) {
  WriteLittleEndian16(header, fileCount);
  WriteLittleEndian32(header + 2, archiveTotal);
}

void DecodeArchiveHeader(const unsigned char* header, uint16_t* fileCount, uint32_t* archiveTotal) {
  *fileCount = ReadLittleEndian16(header);
  *archiveTotal = ReadLittleEndian32(header + 2);
}

bool EntryNameFieldValid(unsigned nameField) { return nameField >= 2 && nameField <= kEntryNameBufferSize; }

bool EntryNameTerminated(const char* name, size_t nameField) {
  if (nameField == 0) return false;
  for (size_t i = 0; i + 1 < nameField; ++i) {
    if (name[i] == '\0') return false;
  }
  return name[nameField - 1] == '\0';
}

bool EntryDataLengthValid(uint32_t dataLength) { return dataLength < kArchiveValueLimit; }

int AddEntryToArchiveTotal(uint32_t* total, size_t nameField, uint32_t dataLength) {
  uint64_t sum = (uint64_t)*total + 1 + nameField + dataLength;
  if (sum >= kArchiveValueLimit) return -1;
  *total = (uint32_t)sum;
  return 0;
}

size_t EncodeEntryHeader(unsigned char* out, size_t size, const char* name, uint32_t dataLength) {
  size_t length = TextLength(name);
  if (length == 0 || length > kEntryNameMaxLength) return 0;
  size_t nameField = length + 1;
  size_t total = 1 + nameField + kDataLengthFieldSize;
  if (total > size) return 0;
  out[0] = (unsigned char)nameField;
  for (size_t i = 0; i < nameField; ++i) out[1 + i] = (unsigned char)name[i];  // the NUL too
  WriteLittleEndian32(out + 1 + nameField, dataLength);
  return total;
}

const char* EntryDirectoryPart(const char* name) {
  for (const char* p = name; *p != '\0'; ++p) {
    if (*p == '!') return p + 1;
  }
  return nullptr;
}

size_t EntryFileNameLength(const char* name) {
  size_t n = 0;
  while (name[n] != '\0' && name[n] != '!') ++n;
  return n;
}

int EntryRelativePath(const char* name, char* out, size_t size) {
  const char* directory = EntryDirectoryPart(name);
  if (directory == nullptr) return CopyBounded(out, size, name);
  if (CopyBounded(out, size, directory) != 0) return -1;
  if (AppendBounded(out, size, "\\") != 0) return -1;
  size_t used = TextLength(out);
  return CopyBoundedN(out + used, size - used, name, EntryFileNameLength(name));
}

int EntryTargetPaths(const char* installDirectory, const char* name, char* target, size_t targetSize,
                     char* directory, size_t directorySize) {
  if (directorySize > 0) directory[0] = '\0';
  const char* directoryPart = EntryDirectoryPart(name);
  if (directoryPart == nullptr) {
    if (CopyBounded(target, targetSize, installDirectory) != 0) return -1;
    return JoinPath(target, targetSize, name);
  }
  // The target is built even when the directory was cut, so that a refusal can name
  // the path it could not make.
  int status = 0;
  if (CopyBounded(directory, directorySize, installDirectory) != 0 ||
      JoinPath(directory, directorySize, directoryPart) != 0) {
    status = -1;
  }
  if (CopyBounded(target, targetSize, directory) != 0 || AppendBounded(target, targetSize, "\\") != 0) return -1;
  size_t used = TextLength(target);
  if (CopyBoundedN(target + used, targetSize - used, name, EntryFileNameLength(name)) != 0) return -1;
  return status;
}

int SetAsidePath(const char* target, uint32_t index, uint32_t attempt, char* out, size_t size) {
  size_t folder = TextLength(target);
  while (folder > 0 && !IsDirectoryEnd(target[folder - 1])) --folder;
  const char* hex = "0123456789ABCDEF";
  char name[] = "~LMV0000.TMP";
  for (int digit = 7; digit >= 4; --digit, index >>= 4) name[digit] = hex[index & 0xF];
  if (attempt != 0) {
    name[10] = hex[(attempt >> 4) & 0xF];
    name[11] = hex[attempt & 0xF];
  }
  if (CopyBoundedN(out, size, target, folder) != 0) return -1;
  return AppendBounded(out, size, name);
}

bool EntryNameIsSafe(const char* name) {
  const char* level = name;
  for (const char* p = name;; ++p) {
    char c = *p;
    if (c == ':') return false;
    if (c == '\0' || c == '!' || c == '\\' || c == '/') {
      size_t length = (size_t)(p - level);
      if (length == 0) return false;
      if (level[0] == '.' && (length == 1 || (length == 2 && level[1] == '.'))) return false;
      if (c == '\0') return true;
      level = p + 1;
    }
  }
}

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c; }

bool LevelStartsWith(const char* level, size_t length, const char* word) {
  size_t n = TextLength(word);
  if (length < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (UpperAscii(level[i]) != word[i]) return false;
  }
  return true;
}

// Windows opens these device names, with any extension, instead of a file.
bool IsDeviceName(const char* level, size_t length) {
  size_t stem = 0;
  while (stem < length && level[stem] != '.') ++stem;
  static const char* const kPlain[] = {"CON", "PRN", "AUX", "NUL"};
  for (const char* word : kPlain) {
    if (stem == 3 && LevelStartsWith(level, stem, word)) return true;
  }
  if (stem == 4 && (LevelStartsWith(level, stem, "COM") || LevelStartsWith(level, stem, "LPT"))) {
    return level[3] >= '1' && level[3] <= '9';
  }
  return false;
}

}  // namespace

EntryNameProblem CheckNameLevel(const char* level, size_t length) {
  if (length == 0) return kEntryNameEmpty;
  if ((length == 1 && level[0] == '.') || (length == 2 && level[0] == '.' && level[1] == '.')) {
    return kEntryNameDotLevel;
  }
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = (unsigned char)level[i];
    if (c < 0x20 || c > 0x7E) return kEntryNameNotPrintable;
    if (c == '!') return kEntryNameExclamation;
    for (const char* f = "<>:\"/\\|?*"; *f != '\0'; ++f) {
      if (c == (unsigned char)*f) return kEntryNameForbidden;
    }
  }
  char last = level[length - 1];
  if (last == '.' || last == ' ') return kEntryNameDotOrSpaceEnd;
  if (IsDeviceName(level, length)) return kEntryNameDevice;
  return kEntryNameOk;
}

EntryNameProblem CheckEntryName(const char* name) {
  size_t length = TextLength(name);
  if (length == 0) return kEntryNameEmpty;
  if (length > kEntryNameMaxLength) return kEntryNameTooLong;
  size_t fileLength = EntryFileNameLength(name);
  EntryNameProblem problem = CheckNameLevel(name, fileLength);
  if (problem != kEntryNameOk) return problem;
  const char* directory = EntryDirectoryPart(name);
  if (directory == nullptr) return kEntryNameOk;
  const char* level = directory;
  for (const char* p = directory;; ++p) {
    if (*p == '\\' || *p == '\0') {
      problem = CheckNameLevel(level, (size_t)(p - level));
      if (problem != kEntryNameOk) return problem;
      if (*p == '\0') return kEntryNameOk;
      level = p + 1;
    }
  }
}

const char* EntryNameProblemText(EntryNameProblem problem) {
  switch (problem) {
    case kEntryNameOk:
      return "is a valid name";
    case kEntryNameEmpty:
      return "has an empty file or directory name";
    case kEntryNameTooLong:
      return "gives an entry name longer than 51 bytes (file name, \"!\" and directory path), "
             "which the installer cannot read";
    case kEntryNameExclamation:
      return "contains \"!\", which separates an entry's file name from its directory";
    case kEntryNameForbidden:
      return "contains a character that Windows does not allow in names (< > : \" / \\ | ? *)";
    case kEntryNameNotPrintable:
      return "contains a byte outside printable ASCII (0x20 to 0x7E)";
    case kEntryNameDotOrSpaceEnd:
      return "ends in \".\" or a space, which Windows drops from names";
    case kEntryNameDevice:
      return "is a Windows device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9)";
    case kEntryNameDotLevel:
      return "is \".\" or \"..\"";
  }
  return "is not a valid name";
}
