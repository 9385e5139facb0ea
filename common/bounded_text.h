// Bounded text helpers: the only way installer code fills its fixed buffers.
// Every helper keeps the destination NUL-terminated (when its size is not 0) and
// never writes past `size` bytes. Deciding code: no <windows.h>.
#pragma once
#include <stddef.h>
#include <stdarg.h>

// Copies `src` into `dest`. 0 when it fit whole; -1 when it was cut.
int CopyBounded(char* dest, size_t size, const char* src);

// Copies at most `count` bytes of `src` (fewer when a NUL comes first). 0 / -1 as above.
int CopyBoundedN(char* dest, size_t size, const char* src, size_t count);

// Appends `src` to the text already in `dest`. 0 when it fit whole; -1 when cut.
int AppendBounded(char* dest, size_t size, const char* src);

// printf-style formatting into `dest` with the conversions the installer uses:
// %d %i %u %ld %li %lu %s %c and %%. Anything else is copied literally.
// Returns 0 when the whole text fit, -1 when it was cut.
int FormatBounded(char* dest, size_t size, const char* format, ...);
int FormatBoundedV(char* dest, size_t size, const char* format, va_list args);

// Length of a NUL-terminated text, and byte-exact equality of two texts.
size_t TextLength(const char* text);
bool TextEquals(const char* a, const char* b);

// The `index`-th text (from 0) of `texts`, texts that follow each other, each ended by
// its NUL. The caller knows there are that many.
const char* PackedText(const char* texts, int index);

// True for the separators that close a directory: "\", "/" and ":".
bool IsDirectoryEnd(char c);

// Appends "\" unless `dest` is empty or already ends in "\", "/" or ":", then `name`.
// 0 when it fit, -1 when it was cut.
int JoinPath(char* dest, size_t size, const char* name);
