// One installation or uninstall of the product at a time, on the whole machine.
#pragma once

// Takes the product's lock for the rest of this process's life. 0 when it is this
// process's (or the system has no named objects, as Win32s), -1 when another
// installer or uninstall holds it.
int TakeInstallationLock();
