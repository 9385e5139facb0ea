#include "common/bounded_text.h"

size_t TextLength(const char* text) {
  size_t n = 0;
  while (text[n] != '\0') ++n;
  return n;
}

bool TextEquals(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

bool IsDirectoryEnd(char c) { return c == '\\' || c == '/' || c == ':'; }

int CopyBoundedN(char* dest, size_t size, const char* src, size_t count) {
  if (size == 0) return -1;
  size_t i = 0;
  while (i < count && src[i] != '\0') {
    if (i + 1 >= size) {
      dest[i] = '\0';
      return -1;
    }
    dest[i] = src[i];
    ++i;
  }
  dest[i] = '\0';
  return 0;
}

int CopyBounded(char* dest, size_t size, const char* src) {
  return CopyBoundedN(dest, size, src, (size_t)-1);
}

int AppendBounded(char* dest, size_t size, const char* src) {
  if (size == 0) return -1;
  size_t used = 0;
  while (used < size && dest[used] != '\0') ++used;
  if (used == size) {  // not terminated within its buffer: terminate, count as cut
    dest[size - 1] = '\0';
    return -1;
  }
  return CopyBounded(dest + used, size - used, src);
}

int JoinPath(char* dest, size_t size, const char* name) {
  size_t len = 0;
  while (len < size && dest[len] != '\0') ++len;
  if (len > 0 && len < size && !IsDirectoryEnd(dest[len - 1])) {
    if (AppendBounded(dest, size, "\\") != 0) return -1;
  }
  return AppendBounded(dest, size, name);
}

namespace {

struct Output {
  char* dest;
  size_t size;
  size_t used;
  bool cut;
};

void Put(Output* out, char c) {
  if (out->used + 1 < out->size) {
    out->dest[out->used++] = c;
  } else {
    out->cut = true;
  }
}

void PutText(Output* out, const char* text) {
  if (text == nullptr) text = "(null)";
  while (*text != '\0') Put(out, *text++);
}

void PutUnsigned(Output* out, unsigned long value) {
  char digits[24];
  int n = 0;
  do {
    digits[n++] = (char)('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) Put(out, digits[--n]);
}

void PutSigned(Output* out, long value) {
  if (value < 0) {
    Put(out, '-');
    // Negate in unsigned arithmetic so that the most negative value stays exact.
    PutUnsigned(out, 0UL - (unsigned long)value);
  } else {
    PutUnsigned(out, (unsigned long)value);
  }
}

}  // namespace

int FormatBoundedV(char* dest, size_t size, const char* format, va_list args) {
  if (size == 0) return -1;
  Output out = {dest, size, 0, false};
  const char* p = format;
  while (*p != '\0') {
    if (*p != '%') {
      Put(&out, *p++);
      continue;
    }
    const char* start = p++;
    bool isLong = false;
    if (*p == 'l') {
      isLong = true;
      ++p;
    }
    switch (*p) {
      case 'd':
      case 'i':
        PutSigned(&out, isLong ? va_arg(args, long) : (long)va_arg(args, int));
        ++p;
        break;
      case 'u':
        PutUnsigned(&out, isLong ? va_arg(args, unsigned long) : (unsigned long)va_arg(args, unsigned int));
        ++p;
        break;
      case 's':
        PutText(&out, va_arg(args, const char*));
        ++p;
        break;
      case 'c':
        Put(&out, (char)va_arg(args, int));
        ++p;
        break;
      case '%':
        if (isLong) {
          while (start < p) Put(&out, *start++);
        }
        Put(&out, '%');
        ++p;
        break;
      default:
        // Unknown conversion: copied as it stands; consumes no argument.
        while (start < p) Put(&out, *start++);
        break;
    }
  }
  dest[out.used] = '\0';
  return out.cut ? -1 : 0;
}

int FormatBounded(char* dest, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int result = FormatBoundedV(dest, size, format, args);
  va_end(args);
  return result;
}

const char* PackedText(const char* texts, int index) {
  for (; index > 0; --index) texts += TextLength(texts) + 1;
  return texts;
}
