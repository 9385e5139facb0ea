// The association dialog's state from the installer variable "sAssoc".
// Deciding code: no <windows.h>.
#pragma once
#include <stdint.h>

// The value of `text` read as a signed 32-bit decimal integer, as the C library's
// atoi reads it: leading white space (space and 0x09 to 0x0D) skipped, an optional
// "+" or "-", then digits up to the first non-digit. No digits (or no text) give 0.
// There is no range check: a value beyond 32 bits wraps around modulo 2^32.
int32_t AssociationState(const char* text);
