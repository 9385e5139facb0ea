// The product's registration with the shell: its file class, the associations of
// the chosen extensions, and its entry in the list of installed software. Acting
// code; every failure is silent and skips only the value that needed it.
#pragma once

// The work buffer each of these takes holds kPathSize (260) bytes; its contents on
// return are of no further use. A value whose text would not fit is not written.

// Writes the class's default icon (MainProgramPath ",0") and its open command
// (MainProgramPath and the document argument of the running Windows family).
void RegisterFileClass(char* workBuffer);

// For every extension whose association flag is set: keeps its previous class below
// the product's class key unless that is already "Lumivora", then names the class.
void AssociateExtensions(char* workBuffer);

// Writes the product's uninstall entry: "DisplayName" and "UninstallString"
// (MainProgramPath " . -u"), "QuietUninstallString" (the same with " -silent"),
// "DisplayIcon" (MainProgramPath ",0"), "DisplayVersion" and "Publisher" when the
// installer carries them, "InstallLocation" (InstallDirectory as a full path), and
// the numbers "EstimatedSize" (kilobytes), "NoModify" and "NoRepair" (1).
void RegisterUninstallEntry();
