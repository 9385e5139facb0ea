// Table 1 of the message catalogue: every English text in German, in the English
// table's order, each entry beginning with "G". The texts are Windows code page 1252.
#pragma once

extern const char* const GermanMessages[];
