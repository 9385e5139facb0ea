// lmvrpack: what packing a language, listing it and the translators' template agree
// on: the licence's keys, the placeholders a text must keep, which controls carry a
// text to translate and how much of it the user sees.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/lmvrpack/dialog_template.h"

namespace lmvrpack {

extern const char* const kLicenceKeys[3];

// The size line of the destination dialog: the installer shows the "occupy" message
// there, formatted with the product's size in kilobytes; room is made for a product
// of up to nine digits.
constexpr int kSizeLineTemplate = 200;
constexpr uint16_t kSizeLineId = 102;

// The arguments a text makes the installer read when it formats it, as its own
// formatter reads them: "%", an optional "l", then d, i, u, s or c ("%%" is a
// percent sign, anything else is copied as it stands). By kind: %d and %i are one.
std::vector<std::string> Placeholders(const std::string& text);

std::string Listed(const std::vector<std::string>& items, const char* none);

bool IsTextStatic(const DialogControl& c);
bool IsPushButton(const DialogControl& c);
bool HasText(const DialogControl& c);

// How many pixels of a label's or a push button's text the user can see: a label
// up to the dialog's edge, a button's text inside its edges.
int VisiblePixels(const DialogTemplate& d, const DialogControl& c);

std::string TextOf(const std::u16string& utf16);

}  // namespace lmvrpack
