#include "dialogs/dialog_centring.h"

#include <limits.h>

int CentredCoordinate(int screenExtent, int low, int high) {
  // In 64 bits no difference of two ints can overflow; C++ division truncates toward
  // zero, as the placement wants.
  long long origin = (static_cast<long long>(screenExtent) - (static_cast<long long>(high) - low)) / 2;
  if (origin > INT_MAX) return INT_MAX;
  if (origin < INT_MIN) return INT_MIN;
  return static_cast<int>(origin);
}
