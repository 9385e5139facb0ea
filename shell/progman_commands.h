// The Program Manager command texts of the product's group. Deciding code: no
// <windows.h>; the DDE conversation that sends them is in progman_group.cpp.
#pragma once
#include <stddef.h>

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

// Pieces of the two document items, as AddDocumentItem takes them: the command
// prefix, the document's file name in the program's directory, and the item name
// between double quotes with a comma before and after it.
extern const char kAddItemPrefix[];
extern const char kReleaseNotesFile[];
extern const char kReleaseNotesLabel[];
extern const char kOrderFormFile[];
extern const char kOrderFormLabel[];

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
