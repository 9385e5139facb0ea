#include "text/message_catalogue.h"

#include "common/bounded_text.h"
#include "common/installer_state.h"
#include "text/licence_text.h"

#ifdef LMVR_LANGUAGE_GERMAN
#include "text/german_messages.h"
#endif

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
    nullptr,
};

#undef LMVR_ENTRY

// Languages without translations in this build: present and empty.
const char* const kEmpty[] = {nullptr};

// A macro, not a variable, so that the catalogue stays a constant the loader fills in.
#ifdef LMVR_LANGUAGE_GERMAN
#define LMVR_GERMAN_TABLE GermanMessages
#else
#define LMVR_GERMAN_TABLE kEmpty
#endif

const char* FindIn(const char* const* table, const char* key) {
  for (; *table != nullptr; ++table) {
    const char* storedKey = *table + 1;  // the language letter is never compared
    if (TextEquals(storedKey, key)) return storedKey + TextLength(storedKey) + 1;
  }
  return nullptr;
}

}  // namespace

const char* const* const MessageCatalogue[7] = {kEnglish, LMVR_GERMAN_TABLE, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty};

bool LanguageHasMessages(int language) {
  if (language < 0 || language >= 7) return false;
  return MessageCatalogue[language][0] != nullptr;
}

const char* LookupMessage(const char* key) {
  int language = (LanguageIndex >= 0 && LanguageIndex < 7) ? LanguageIndex : 0;
  const char* text = FindIn(MessageCatalogue[language], key);
  if (text == nullptr) text = FindIn(MessageCatalogue[0], key);
  return text != nullptr ? text : key;
}
