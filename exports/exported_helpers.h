// The two functions the installer's image exports (module name "lmvr.ent"):
// ordinal 1 "_DetectWindows@0", ordinal 2 "_lstrcmpni@12". Both use the standard
// calling convention, so other modules that load the image can call them. The 64-bit
// twin, whose one calling convention has no decoration, exports them as
// "DetectWindows" and "lstrcmpni" under the same ordinals (install-x86_64.def).
#pragma once
#include <stdint.h>

#if defined(_WIN32) && defined(__i386__)
#define LMVR_STDCALL __attribute__((stdcall))
#else
#define LMVR_STDCALL
#endif

extern "C" {
// Bounded comparison of two NUL-terminated byte strings that folds only a to z onto
// A to Z; only the low 16 bits of `count` count. -1, 0 or 1.
int32_t LMVR_STDCALL lstrcmpni(const char* first, const char* second, uint32_t count);

#ifdef _WIN32
// The family of 32-bit Windows under the process: 2 NT, 1 Windows 95, 0 Win32s.
// Asks the system once per process.
uint32_t LMVR_STDCALL DetectWindows(void);
#endif
}

// The family decoded from a GetVersion value (deciding part of DetectWindows).
uint32_t WindowsFamilyFromVersion(uint32_t version);

// 0xFF until DetectWindows has asked the system; then its answer.
extern unsigned char WindowsFamilyCache;
