#include "text/message_catalogue.h"

#include "common/bounded_text.h"
#include "common/installer_state.h"
#include "text/licence_text.h"

namespace {

// Entries are stored as one block each: letter, key, NUL, text, NUL.
#define LMVR_ENTRY(key, text) "E" key "\0" text

const char* const kEnglish[] = {
    LMVR_ENTRY("license", LMVR_LICENCE_BLOCK_1),
    LMVR_ENTRY("license2", LMVR_LICENCE_BLOCK_2),
    LMVR_ENTRY("license3", LMVR_LICENCE_BLOCK_3),
    LMVR_ENTRY("corData", "Corrupted data. Installation aborted."),
    LMVR_ENTRY("err", "Error"),
    LMVR_ENTRY("errDest",
               "Error creating destination file, the target disk may be full. (%d)\r\n\r\n"
               "Filename=%s\r\n\r\nInstallation aborted."),
    LMVR_ENTRY("errDest2", "Error writing file, the target disk may be full.\r\n\r\nInstallation aborted."),
    LMVR_ENTRY("winTit", "Lumivora Install - Windows (32-bit)"),
    LMVR_ENTRY("occupy", "The installed files will occupy %ldK on your disk."),
    LMVR_ENTRY("badPath",
               "The path you've entered contains spaces, which cannot be supported because of double "
               "quote elimination in the Program Manager's shell DDE interface.  Please specify an "
               "installation path without spaces.\n\nFor an explanation about why this is the case, "
               "please contact Microsoft."),
    LMVR_ENTRY("shellSupt", "Spaces Not Supported by Shell Interface"),
    LMVR_ENTRY("dataNotFound", "Installation data not found. (Executable is corrupted.)"),
    LMVR_ENTRY("noMem", "Not enough memory to complete installation."),
    LMVR_ENTRY("noCreatePath", "Unable to create the path you've entered."),
    LMVR_ENTRY("noRoom",
               "There is not enough free space on the target disk: the installed files need %ldK, "
               "and %ldK are free.\r\n\r\nPlease make room on the disk or choose another directory."),
    LMVR_ENTRY("errHeld",
               "The file %s is in use by a program and cannot be replaced.\r\n\r\nPlease close that "
               "program and start the installation again.\r\n\r\nInstallation aborted."),
    LMVR_ENTRY("busy",
               "Another Lumivora installation is running. Please let it finish before you start this one."),
    nullptr,
};

#undef LMVR_ENTRY

// Languages the installer carries no table for: present and empty.
const char* const kEmpty[] = {nullptr};

// The tables the installer carries as resources, filled at start-up: pointers into
// the locked resources, never copies, and each table's header (how it is chosen).
const char* Filled[kLanguageCount][kMessageTableSize + 1];
const unsigned char* Header[kLanguageCount];

const char* FindIn(const char* const* table, const char* key) {
  for (; *table != nullptr; ++table) {
    const char* storedKey = *table + 1;  // the language letter is never compared
    if (TextEquals(storedKey, key)) return storedKey + TextLength(storedKey) + 1;
  }
  return nullptr;
}

}  // namespace

const char* const* MessageCatalogue[7] = {kEnglish, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty};

const char* LookupMessage(const char* key) {
  int language = (LanguageIndex >= 0 && LanguageIndex < 7) ? LanguageIndex : 0;
  const char* text = FindIn(MessageCatalogue[language], key);
  // A vendor's English table (a licence of their own) stands before the compiled one,
  // which has every key.
  if (text == nullptr) text = FindIn(MessageCatalogue[0], key);
  if (text == nullptr) text = FindIn(kEnglish, key);
  return text != nullptr ? text : key;
}

void FillMessageTable(int language, const char* data, size_t size) {
  if (language < 0 || language >= kLanguageCount || data == nullptr || size < kMessageTableHeader) return;
  const char** slot = Filled[language];
  int count = 0;
  size_t at = kMessageTableHeader;
  // An entry is whole only when both of its NULs lie inside the resource.
  while (count < kMessageTableSize && at < size && data[at] != '\0') {
    size_t end = at + 1;
    int nuls = 0;
    while (end < size && (data[end] != '\0' || ++nuls < 2)) ++end;
    if (end >= size) break;
    slot[count++] = data + at;
    at = end + 1;
  }
  slot[count] = nullptr;
  Header[language] = reinterpret_cast<const unsigned char*>(data);
  MessageCatalogue[language] = slot;
}

namespace {

// The number `text` spells in `base` (10, or 16 with letters of either case); -1 when
// there is no text, it holds anything else, or the number passes what any rule names.
long NumberIn(const char* text, unsigned base) {
  if (text == nullptr || *text == '\0') return -1;
  unsigned long number = 0;
  for (; *text != '\0'; ++text) {
    unsigned c = static_cast<unsigned char>(*text) | 0x20;  // letters to lower case; digits stay
    unsigned digit = c <= '9' ? c - '0' : c - 'a' + 10;     // anything else wraps past base
    number = number * base + digit;
    if (digit >= base || number > 0xFFFFF) return -1;
  }
  return static_cast<long>(number);
}

}  // namespace

int LanguageForUser(const char* country, const char* languageId) {
  long countryCode = NumberIn(country, 10);
  long primary = NumberIn(languageId, 16);
  if (primary >= 0) primary &= 0x3FF;  // the primary language, without the sublanguage
  for (int language = 0; language < kLanguageCount; ++language) {
    const unsigned char* header = Header[language];
    if (header == nullptr) continue;
    long value = header[2] | header[3] << 8;
    if ((header[0] == kChosenByCountry && value == countryCode) || (header[0] == kChosenByLanguage && value == primary))
      return language;
  }
  return -1;
}

void ClearMessageTables() {
  for (int language = 0; language < kLanguageCount; ++language) {
    Header[language] = nullptr;
    MessageCatalogue[language] = language == 0 ? kEnglish : kEmpty;
  }
}
