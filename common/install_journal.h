// What one installation's copy has done to the machine, so that a copy that fails
// can be taken back whole: the directories and files it created, the files it set
// aside to replace them, and the keys it added below HKEY_CLASSES_ROOT. Acting code.
//
// The journal is open from just before the install directory is created until the
// copy has ended; outside that, Remember does nothing.
#pragma once
#include <stdint.h>

enum JournalKind {
  kJournalDirectory = 'D',  // a directory this run created: removed when empty
  kJournalFile = 'F',       // a file this run created: deleted
  kJournalAside = 'A',      // a file renamed aside (first text) from its place (second)
  kJournalKey = 'K',        // a key below HKEY_CLASSES_ROOT this run added: deleted
};

// Opens an empty journal. 0, or -1 when there is no memory for it.
int OpenJournal();

// Remembers one thing done; `second` only for kJournalAside. 0, or -1 when the journal
// is open and has no memory left for it: the caller then undoes what it did itself.
int Remember(JournalKind kind, const char* first, const char* second = nullptr);

// The copy failed: undoes everything remembered, newest first (so a directory's files
// go before the directory, and deeper levels before shallower ones), puts every file
// set aside back in its place, logs each step and what failed, and closes the journal.
void TakeBack();

// The copy succeeded: deletes the files set aside. One that a running program still
// holds is left to the next restart when `windowsFamily` is 2 (Windows NT; Windows 95
// renames no file a program holds, so there every file set aside can be deleted);
// `gone` is called with each file that is gone or goes at the restart, so that its
// record can go too. Closes the journal.
void CommitJournal(uint32_t windowsFamily, void (*gone)(const char* path));

bool JournalIsOpen();

// Whether this run created `directory` (a trailing "\" aside), as Remember was told
// while the journal is open. Below a directory this run created lies no file that the
// run did not write itself.
bool JournalCreatedDirectory(const char* directory);
