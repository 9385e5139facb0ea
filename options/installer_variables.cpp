#include "options/installer_variables.h"

#include "common/bounded_text.h"
#include "common/installer_state.h"

int VariableCount = 0;
char** VariableNames = nullptr;
char** VariableValues = nullptr;

void AttachVariableStorage(char** names, char** values) {
  VariableNames = names;
  VariableValues = values;
  VariableCount = 0;
}

void DetachVariableStorage() {
  VariableNames = nullptr;
  VariableValues = nullptr;
  VariableCount = 0;
}

const char* FindVariable(const char* name) {
  for (int i = 0; i < VariableCount; ++i) {
    if (TextEquals(VariableNames[i], name)) return VariableValues[i];
  }
  return nullptr;
}

namespace {

const char* const kSteering[] = {"sSilent", "sAssoc", "sDefPathNT", "sLog", "sNoBoxes"};
const int kSteeringCount = sizeof kSteering / sizeof kSteering[0];
// What the command line gave for each of them; nullptr where it gave nothing.
const char* SteeringSwitches[kSteeringCount];

int SteeringIndex(const char* name) {
  for (int i = 0; i < kSteeringCount; ++i) {
    if (TextEquals(name, kSteering[i])) return i;
  }
  return -1;
}

}  // namespace

bool IsInstallerVariable(const char* name) { return SteeringIndex(name) >= 0; }

void SetSteeringSwitch(const char* name, const char* value) {
  int index = SteeringIndex(name);
  if (index >= 0) SteeringSwitches[index] = value;
}

const char* SteeringValue(const char* name) {
  int index = SteeringIndex(name);
  if (index >= 0 && SteeringSwitches[index] != nullptr) return SteeringSwitches[index];
  return FindVariable(name);
}

int AppendVariable(char* name, char* value) {
  if (VariableNames == nullptr || VariableValues == nullptr) return -1;
  if (VariableCount >= kVariableCapacity) return -1;
  VariableNames[VariableCount] = name;
  VariableValues[VariableCount] = value;
  ++VariableCount;
  return 0;
}

void AddLanguageVariable() {
  static char name[] = "prefLanguage";
  static char value[12];
  if (LanguageIndex <= 0 || LanguageIndex >= kLanguageCount) return;
  // The value is the character code of the language's letter; for D (index 6)
  // that is 68, the letter's own code, like every other language.
  static const char kLetters[] = "EGFSIPD";
  FormatBounded(value, sizeof value, "%d", (int)(unsigned char)kLetters[LanguageIndex]);
  AppendVariable(name, value);
}

namespace {

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool NextOptionsLine(const char* text, size_t length, size_t* position, OptionsLine* line) {
  size_t p = *position;
  while (p < length && (IsBlank(text[p]) || IsLineBreak(text[p]))) ++p;
  if (p >= length) {
    *position = length;
    return false;
  }
  size_t lineLength = 0;
  while (p + lineLength < length && !IsLineBreak(text[p + lineLength])) ++lineLength;
  size_t nameLength = 0;
  while (nameLength < lineLength && !IsBlank(text[p + nameLength]) && text[p + nameLength] != '=') {
    ++nameLength;
  }

  line->nameStart = p;
  line->nameLength = nameLength;
  line->valueStart = 0;
  line->valueLength = 0;
  line->usable = false;

  if (nameLength > 0) {
    // The first "=" after the name; one in the line's last place leaves no value.
    size_t equals = nameLength;
    while (equals + 1 < lineLength && text[p + equals] != '=') ++equals;
    if (equals + 1 < lineLength && text[p + equals] == '=') {
      line->valueStart = p + equals + 1;
      line->valueLength = lineLength - equals - 1;
      static const char kReserved[] = "prefRelativeSelPaths";
      bool reserved = nameLength == sizeof kReserved - 1;
      for (size_t i = 0; reserved && i < nameLength; ++i) reserved = text[p + i] == kReserved[i];
      line->usable = !reserved;
    }
  }
  *position = p + lineLength;
  return true;
}

size_t OptionsFileSize() {
  size_t size = 2;
  for (int i = 0; i < VariableCount; ++i) {
    size += TextLength(VariableNames[i]) + 1 + TextLength(VariableValues[i]) + 1;
  }
  return size;
}

size_t SerialiseOptions(unsigned char* out, size_t size) {
  size_t needed = OptionsFileSize();
  if (size < needed) return 0;
  out[0] = (unsigned char)(VariableCount & 0xFF);
  out[1] = (unsigned char)((VariableCount >> 8) & 0xFF);
  size_t used = 2;
  for (int i = 0; i < VariableCount; ++i) {
    const char* texts[2] = {VariableNames[i], VariableValues[i]};
    for (const char* text : texts) {
      size_t n = TextLength(text) + 1;  // with its NUL
      for (size_t k = 0; k < n; ++k) out[used + k] = (unsigned char)text[k];
      used += n;
    }
  }
  return used;
}
