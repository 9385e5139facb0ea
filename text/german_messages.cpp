// The German table. This file is UTF-8 and is compiled to Windows code page 1252
// (text/CMakeLists.txt): umlauts, "ß" and the German quotation marks become the single
// bytes the ANSI functions and a German Windows expect. A character that code page
// lacks stops the build.
#include "text/german_messages.h"

#include "text/licence_text_de.h"

// Letter, key, NUL, text, NUL, as in the English table.
#define LMVR_ENTRY(key, text) "G" key "\0" text

const char* const GermanMessages[] = {
    LMVR_ENTRY("license", LMVR_LICENCE_DE_BLOCK_1),
    LMVR_ENTRY("license2", LMVR_LICENCE_DE_BLOCK_2),
    LMVR_ENTRY("license3", LMVR_LICENCE_DE_BLOCK_3),
    LMVR_ENTRY("corData", "Beschädigte Daten. Installation abgebrochen."),
    LMVR_ENTRY("err", "Fehler"),
    LMVR_ENTRY("errDest",
               "Fehler beim Anlegen der Zieldatei, der Zieldatenträger ist möglicherweise voll. (%d)\r\n\r\n"
               "Dateiname=%s\r\n\r\nInstallation abgebrochen."),
    LMVR_ENTRY("errDest2",
               "Fehler beim Schreiben der Datei, der Zieldatenträger ist möglicherweise voll.\r\n\r\n"
               "Installation abgebrochen."),
    LMVR_ENTRY("winTit", "Lumivora Installation - Windows (32-Bit)"),
    LMVR_ENTRY("occupy", "Die Dateien belegen %ld KB auf Ihrem Datenträger."),
    LMVR_ENTRY("badPath",
               "Der eingegebene Pfad enthält Leerzeichen. Sie werden nicht unterstützt, weil die "
               "DDE-Schnittstelle der Shell des Programm-Managers doppelte Anführungszeichen entfernt.  "
               "Bitte geben Sie einen Installationspfad ohne Leerzeichen an.\n\nWarum das so ist, "
               "erklärt Ihnen Microsoft."),
    LMVR_ENTRY("shellSupt", "Leerzeichen von der Shell-Schnittstelle nicht unterstützt"),
    LMVR_ENTRY("dataNotFound", "Installationsdaten nicht gefunden. (Die ausführbare Datei ist beschädigt.)"),
    LMVR_ENTRY("noMem", "Nicht genug Arbeitsspeicher, um die Installation abzuschließen."),
    LMVR_ENTRY("noCreatePath", "Der eingegebene Pfad kann nicht angelegt werden."),
    nullptr,
};

#undef LMVR_ENTRY
