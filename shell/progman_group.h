// The product's group in Program Manager, created as a DDE client of the shell.
// Acting code.
#pragma once
#include <windows.h>
#include <ddeml.h>

// The DDE instance of the conversation with Program Manager: 0 outside
// CreateProgramGroup, so that each call starts a new instance.
extern DWORD ProgmanInstance;
// The string handle of ProgmanServiceName, used as service and as topic; 0 outside
// CreateProgramGroup.
extern HSZ ProgmanService;
// The service that answers for Program Manager: "progman". Only tests point it
// elsewhere, at a server of their own beside the shell's.
extern const char* ProgmanServiceName;

// Gives the product its group with four items: the program, its uninstall command,
// the release notes and the order form, every path in its short form; on Windows NT 4
// and later the common group where the shell takes it. 0 when the group was shown and
// all four items were accepted; -1 when a required command was refused (the commands
// after it are then not sent). Where no server answers and the system has a Start
// menu, the group is made as shortcut files instead (CreateShortcutGroup), and that
// result is returned. Shows no message; everything obtained is released before it
// returns.
int CreateProgramGroup();

// Removes the product's group, items and all, through the same conversation:
// "[DeleteGroup(Lumivora,1)]" on Windows NT 4 and later, then "[DeleteGroup(Lumivora)]".
// 0 when the server accepted one; -1 when no server answered or it refused both
// (there was no such group, say). Shows no message.
int DeleteProgramGroup();

// The short (8.3) form of MainProgramPath into `out` (kPathSize bytes), or the long
// form when there is no short one or it does not fit.
void ShortProgramPath(char* out);

// Sends one AddItem command for a document in the program's directory, composed in
// `command` (kProgmanCommandSize bytes) from `prefix`, the program's directory,
// `fileName`, `labelPiece` and the program's short path. 0 when the server accepted
// it; -1 when it refused, did not answer, or the command did not fit (not sent).
int AddDocumentItem(char* command, const char* prefix, const char* fileName, const char* labelPiece,
                    HCONV conversation);

// The DDE notification function of the client instance: it handles nothing.
HDDEDATA CALLBACK ProgmanDdeCallback(UINT type, UINT format, HCONV conversation, HSZ string1, HSZ string2,
                                     HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);
