#include "common/install_journal.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "common/deletion_at_restart.h"
#include "common/global_memory.h"
#include "common/halt_places.h"
#include "common/install_log.h"

namespace {

// Items are kept in blocks taken as they fill, each linked to the one before; an item
// is its kind, its texts with their NULs and its own length in two bytes, so that the
// blocks can be walked back from their ends, newest first.
enum { kBlockBytes = 32768 - 16 };

struct JournalBlock {
  JournalBlock* previous;
  unsigned used;
  char items[kBlockBytes];
};

JournalBlock* Newest = nullptr;
bool Open = false;

// The item that ends at `*at` in `block`, which is moved to its start.
const char* ItemBefore(const JournalBlock* block, unsigned* at) {
  const unsigned char* end = reinterpret_cast<const unsigned char*>(block->items + *at);
  *at -= end[-2] | (end[-1] << 8);
  return block->items + *at;
}

// Taking back (`commit` false) undoes every item, newest first, whatever became of the
// one before: a directory's files go before the directory, deeper levels before
// shallower ones. Committing deletes the files set aside, or leaves one that a
// program holds to the restart. Either way the journal is closed.
void Close(bool commit, uint32_t family, void (*forget)(const char*)) {
  while (Newest != nullptr) {
    unsigned at = Newest->used;
    while (at > 0) {
      const char* item = ItemBefore(Newest, &at);
      JournalKind kind = (JournalKind)item[0];
      const char* first = item + 1;
      const char* second = first + TextLength(first) + 1;
      if (commit) {
        if (kind != kJournalAside) continue;
        // One that a program still holds, the system deletes at its next restart. Only
        // Windows NT lets a program's file be renamed while it is held, so only there
        // can a file set aside be held still; Win32s has no such deletion anyway.
        bool deleted = DeleteFileA(first) != 0;
        bool gone = deleted || (family == 2 && DeleteAtRestartOnNt(first) == 0);
        // Its record goes with it; one left for good stays, for the uninstall.
        if (gone) forget(first);
        LogEvent(deleted ? "file %s set aside: deleted" : "file %s set aside: held by a program, deleted at the next restart: %s",
                 first, LogOutcome(gone));
        HaltPlace("commit");
        continue;
      }
      bool done;
      const char* step;
      if (kind == kJournalDirectory) {
        done = RemoveDirectoryA(first) != 0;
        step = "directory removed: ";
      } else if (kind == kJournalFile) {
        done = DeleteFileA(first) != 0;
        step = "file deleted: ";
      } else if (kind == kJournalAside) {
        done = MoveFileA(first, second) != 0;
        step = "file put back: ";
        first = second;
      } else {
        done = RegDeleteKeyA(HKEY_CLASSES_ROOT, first) == ERROR_SUCCESS;
        step = "key deleted: HKEY_CLASSES_ROOT\\";
      }
      LogEvent("taken back, %s%s: %s", step, first, LogOutcome(done));
    }
    JournalBlock* previous = Newest->previous;
    ReleaseLocked(Newest);
    Newest = previous;
  }
  Open = false;
}

}  // namespace

int OpenJournal() {
  Close(false, 0, nullptr);
  Newest = static_cast<JournalBlock*>(AllocateLocked(sizeof(JournalBlock)));
  if (Newest == nullptr) return -1;
  Newest->previous = nullptr;
  Newest->used = 0;
  Open = true;
  return 0;
}

bool JournalIsOpen() { return Open; }

bool JournalCreatedDirectory(const char* directory) {
  for (const JournalBlock* block = Newest; block != nullptr; block = block->previous) {
    for (unsigned at = block->used; at > 0;) {
      const char* item = ItemBefore(block, &at);
      if (item[0] != kJournalDirectory) continue;
      const char* stored = item + 1;
      const char* rest = directory;
      while (*stored != '\0' && *stored == *rest) ++stored, ++rest;
      if (*stored == '\0' && (*rest == '\0' || (*rest == '\\' && rest[1] == '\0'))) return true;
    }
  }
  return false;
}

int Remember(JournalKind kind, const char* first, const char* second) {
  if (!Open) return 0;
  size_t firstSize = TextLength(first) + 1;
  size_t secondSize = second != nullptr ? TextLength(second) + 1 : 0;
  unsigned length = (unsigned)(1 + firstSize + secondSize + 2);
  if (Newest->used + length > kBlockBytes) {
    JournalBlock* block = static_cast<JournalBlock*>(AllocateLocked(sizeof(JournalBlock)));
    if (block == nullptr) return -1;
    block->previous = Newest;
    block->used = 0;
    Newest = block;
  }
  char* item = Newest->items + Newest->used;
  item[0] = (char)kind;
  CopyBounded(item + 1, firstSize, first);
  if (second != nullptr) CopyBounded(item + 1 + firstSize, secondSize, second);
  item[length - 2] = (char)(length & 0xFF);
  item[length - 1] = (char)(length >> 8);
  Newest->used += length;
  return 0;
}

void TakeBack() { Close(false, 0, nullptr); }

void CommitJournal(uint32_t windowsFamily, void (*gone)(const char* path)) { Close(true, windowsFamily, gone); }
