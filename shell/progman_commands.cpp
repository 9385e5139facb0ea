#include "shell/progman_commands.h"

#include "common/bounded_text.h"
#include "exports/exported_helpers.h"

const char kProgmanService[] = "progman";

const char kCreateGroupCommand[] = "[CreateGroup(Lumivora)]";
// 1: display and activate the group's window.
const char kShowGroupCommand[] = "[ShowGroup(Lumivora,1)]";
const char* const kDeleteItemCommands[kDeleteItemCommandCount] = {
    "[DeleteItem(\"Lumivora\")]",
    "[DeleteItem(\"Uninstall Lumivora\")]",
    "[DeleteItem(\"Lumivora Release Notes\")]",
    "[DeleteItem(\"Lumivora Order Form\")]",
};

const char kDeleteGroupCommand[] = "[DeleteGroup(Lumivora)]";

const char kCreateCommonGroupCommand[] = "[CreateGroup(Lumivora,1)]";
const char kShowCommonGroupCommand[] = "[ShowGroup(Lumivora,1,1)]";
const char kDeleteCommonGroupCommand[] = "[DeleteGroup(Lumivora,1)]";

// The major version is the low byte of a GetVersion value.
bool OffersCommonGroups(uint32_t version) { return WindowsFamilyFromVersion(version) == 2 && (version & 0xFFu) >= 4; }

bool HasStartMenu(uint32_t version) { return WindowsFamilyFromVersion(version) == 1 || OffersCommonGroups(version); }

const char kGroupFolderName[] = "Lumivora";
const char kGroupFolderKey[] = "Lumivora\\group";

// The names, command lines and icons of the Program Manager items.
const GroupItem kGroupItems[kGroupItemCount] = {
    {"Lumivora", nullptr, "", 0},
    {"Uninstall Lumivora", nullptr, ". -u", 1},
    {"Lumivora Release Notes", kReleaseNotesFile, "", 2},
    {"Lumivora Order Form", kOrderFormFile, "", 2},
};

int ComposeShortcutPath(char* out, size_t size, const char* folder, const GroupItem& item) {
  return FormatBounded(out, size, "%s\\%s.lnk", folder, item.name);
}

int ComposeItemTarget(char* out, size_t size, const char* programPath, const GroupItem& item) {
  if (item.document == nullptr) return CopyBounded(out, size, programPath);
  int cut = CopyBoundedN(out, size, programPath, ProgramDirectoryLength(programPath));
  return cut == 0 ? AppendBounded(out, size, item.document) : cut;
}

const char kAddItemPrefix[] = "[AddItem(";
const char kReleaseNotesFile[] = "readme.txt";
const char kReleaseNotesLabel[] = ",\"Lumivora Release Notes\",";
const char kOrderFormFile[] = "order.txt";
const char kOrderFormLabel[] = ",\"Lumivora Order Form\",";

size_t ProgramDirectoryLength(const char* programPath) {
  size_t length = 0;
  for (size_t i = 0; programPath[i] != '\0'; ++i) {
    if (programPath[i] == '\\' || programPath[i] == ':') length = i + 1;
  }
  return length;
}

// Program Manager drops double quotes from arguments, so the paths go in bare; they
// are short (8.3) paths and hold no blanks.
int ComposeProgramItem(char* out, size_t size, const char* programPath) {
  return FormatBounded(out, size, "%s%s,\"Lumivora\",%s)]", kAddItemPrefix, programPath, programPath);
}

int ComposeUninstallItem(char* out, size_t size, const char* programPath) {
  return FormatBounded(out, size, "%s%s . -u,\"Uninstall Lumivora\",%s,1)]", kAddItemPrefix, programPath, programPath);
}

int ComposeDocumentItem(char* out, size_t size, const char* prefix, const char* programPath, const char* fileName,
                        const char* labelPiece) {
  // The directory is taken from the program path alone, so a path without any
  // separator leaves the prefix whole rather than eating into it.
  int cut = CopyBounded(out, size, prefix);
  if (cut == 0) {
    size_t used = TextLength(out);
    cut = CopyBoundedN(out + used, size - used, programPath, ProgramDirectoryLength(programPath));
  }
  if (cut == 0) cut = AppendBounded(out, size, fileName);
  if (cut == 0) cut = AppendBounded(out, size, labelPiece);
  if (cut == 0) cut = AppendBounded(out, size, programPath);
  if (cut == 0) cut = AppendBounded(out, size, ",2)]");
  return cut;
}
