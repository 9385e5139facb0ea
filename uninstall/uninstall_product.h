// The uninstall kit: what the installed program does when it is started with " . -u".
// Acting code; the decisions are in record_path, extension_restore and
// uninstall_command.
#pragma once
#include "uninstall/uninstall_command.h"

enum UninstallStatus {
  kUninstallRemoved = 0,     // everything was removed, or there was nothing to remove
  kUninstallDeclined = 1,    // the user answered No
  kUninstallIncomplete = 2,  // something could not be removed (or this is not the installed program)
  kUninstallBusy = 1618,     // an installation or another uninstall runs: nothing was done
};

// Removes the installation that `programPath` (the running program's full path)
// belongs to: the files recorded below HKEY_CLASSES_ROOT\Lumivora\installed, taken
// below the program's own directory, and the directories left empty, deepest first;
// the extensions that still name the product, given back their saved classes; the
// product's class key and its uninstall entry; the Program Manager group, and its
// shortcut files with or without a shell (DeleteShortcutGroup); the
// `runtimeFileCount` files named in `runtimeFiles` (relative to the program's
// directory) that the program writes itself; and finally the program and its
// directory: on Windows NT and 95 a copy of the program in the temporary folder removes
// them as soon as this process has ended (RemoveAfterExit), so the caller must end at
// once; under Win32s they stay.
//
// kUninstallAsk asks first and says at the end what was done; kUninstallSilent shows
// nothing. When a file cannot be removed, everything else is, except what a second
// run needs: the program, its own record and those of the files left, the class key
// that holds them, the uninstall entry and the group. kUninstallFinish is that copy's
// start (FinishRemoval): it shows nothing, and answers kUninstallRemoved when the
// program's file is gone, kUninstallIncomplete otherwise.
UninstallStatus UninstallProduct(UninstallMode mode, const char* programPath, const char* const* runtimeFiles,
                                 int runtimeFileCount);
