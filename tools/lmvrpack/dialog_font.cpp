#include "tools/lmvrpack/dialog_font.h"

namespace lmvrpack {

namespace {

// MulDiv(a, b, c): a * b / c rounded to the nearest, halves away from zero.
int MulDiv(int a, int b, int c) {
  long long product = (long long)a * b;
  return (int)(product >= 0 ? (product + c / 2) / c : -((-product + c / 2) / c));
}

}  // namespace

int TextWidth(const std::string& cp1252) {
  int width = 0;
  for (char c : cp1252) width += kDialogFontWidths[(uint8_t)c];
  return width;
}

int DialogBaseUnitX() { return (TextWidth("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") + 26) / 52; }
int DialogBaseUnitY() { return kDialogFontHeight; }
int HorizontalPixels(int units) { return MulDiv(units, DialogBaseUnitX(), 4); }
int VerticalPixels(int units) { return MulDiv(units, DialogBaseUnitY(), 8); }

}  // namespace lmvrpack
