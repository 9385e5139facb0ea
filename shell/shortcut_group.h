// The product's group as a folder of shortcut files in a Start menu's Programs folder,
// made by the installer itself where no shell answers for Program Manager: an
// installation as SYSTEM, by a service, in a session without Explorer. Acting code.
#pragma once

// Makes the folder kGroupFolderName in the common Programs folder, or in the user's
// own where the common one cannot be had, with the four items as shortcut files, and
// records the folder below kGroupFolderKey. 0 when all four were saved; -1 otherwise
// (those saved stay). Shell32 and OLE are loaded when needed: the installer imports
// neither.
int CreateShortcutGroup();

// Deletes the shortcut files of the four items in the recorded folder and in the
// common Programs folder's kGroupFolderName, where the shell of Windows NT keeps the
// common group, and each folder when nothing else is left in it. 0 when none is left;
// -1, with the folder in `folder` (kPathSize bytes), when a shortcut file stays.
int DeleteShortcutGroup(char* folder);
