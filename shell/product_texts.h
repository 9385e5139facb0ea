// The product's version and publisher, as the entry in the list of installed software
// and the log name them. lmvrpack build reads them from the main program's version
// resource and hands them to the installer in a resource of their own: two texts in
// code page 1252, each ended by its NUL, the version first. Deciding code: no
// <windows.h>.
#pragma once
#include <stddef.h>

enum {
  kProductTextsResourceType = 512,
  kProductTextsResourceId = 302,
  // Each text holds at most 63 characters; lmvrpack refuses longer ones.
  kProductTextSize = 64,
};

// The two texts of the resource's `size` bytes into `version` and `publisher`
// (kProductTextSize bytes each). A text that is not ended by its NUL within the
// resource, or that is too long, reads as "": it is not written anywhere.
void ProductTextsFromResource(const char* data, size_t size, char* version, char* publisher);

#ifdef _WIN32
// The installer's own texts ("" where the installer carries none), read at start-up.
extern char ProductVersion[kProductTextSize];
extern char ProductPublisher[kProductTextSize];

// Reads them from the installer's resource; an installer without it has neither.
void LoadProductTexts();
#endif
