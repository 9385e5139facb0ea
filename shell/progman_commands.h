// The Program Manager command texts of the product's group. Deciding code: no
// <windows.h>; the DDE conversation that sends them is in progman_group.cpp.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Every command is composed in a buffer of this size and sent with its NUL.
enum { kProgmanCommandSize = 520 };

// The DDE service of Program Manager, also the topic of the conversation.
extern const char kProgmanService[];

// The fixed commands that open the group and clear out the items an earlier
// installation left in it.
extern const char kCreateGroupCommand[];
extern const char kShowGroupCommand[];
enum { kDeleteItemCommandCount = 4 };
extern const char* const kDeleteItemCommands[kDeleteItemCommandCount];
// What the installed program's uninstall sends: the group goes, items and all.
extern const char kDeleteGroupCommand[];

// The same group among the common groups, which every user of the machine sees: the
// shell of Windows NT 4 and later takes a third argument 1 for them. A user without
// the right to them, and every other shell, refuses these.
extern const char kCreateCommonGroupCommand[];
extern const char kShowCommonGroupCommand[];
extern const char kDeleteCommonGroupCommand[];

// Whether the system of a GetVersion value keeps common groups (Windows NT 4 and
// later), and whether it has a Start menu, whose Programs folder holds the groups as
// folders of shortcut files (Windows 95 and Windows NT 4 and later).
bool OffersCommonGroups(uint32_t version);
bool HasStartMenu(uint32_t version);

// Pieces of the two document items, as AddDocumentItem takes them: the command
// prefix, the document's file name in the program's directory, and the item name
// between double quotes with a comma before and after it.
extern const char kAddItemPrefix[];
extern const char kReleaseNotesFile[];
extern const char kReleaseNotesLabel[];
extern const char kOrderFormFile[];
extern const char kOrderFormLabel[];

// The group's folder in a Start menu's Programs folder; and the key below
// HKEY_CLASSES_ROOT whose value names the folder where the installer made the group
// itself, so that the uninstall finds it without a shell.
extern const char kGroupFolderName[];
extern const char kGroupFolderKey[];

// The four items as shortcut files: the item's name (the file's, without ".lnk"), the
// document it opens next to the program (nullptr: the program itself), the program's
// arguments, and the number of the program's icon it shows.
struct GroupItem {
  const char* name;
  const char* document;
  const char* arguments;
  int iconIndex;
};
enum { kGroupItemCount = 4 };
extern const GroupItem kGroupItems[kGroupItemCount];

// folder\name.lnk, the shortcut file of `item`.
int ComposeShortcutPath(char* out, size_t size, const char* folder, const GroupItem& item);

// What `item` starts: the program itself, or the document in the program's directory.
int ComposeItemTarget(char* out, size_t size, const char* programPath, const GroupItem& item);

// Length of the program's directory within `programPath`: everything up to and
// including its last "\" or ":", 0 when it has neither.
size_t ProgramDirectoryLength(const char* programPath);

// [AddItem(S,"Lumivora",S)]: the program itself, with its own icon.
int ComposeProgramItem(char* out, size_t size, const char* programPath);

// [AddItem(S . -u,"Uninstall Lumivora",S,1)]: the program as its own uninstaller.
int ComposeUninstallItem(char* out, size_t size, const char* programPath);

// prefix, the program's directory, fileName, labelPiece, S and ",2)]": a document
// next to the program, shown with the program's icon number 2.
int ComposeDocumentItem(char* out, size_t size, const char* prefix, const char* programPath, const char* fileName,
                        const char* labelPiece);

// Each Compose function returns 0 when the whole command fit `size` bytes, -1 when
// it did not: such a command is cut and must not be sent.
