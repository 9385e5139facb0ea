#include "common/installer_instance.h"

HINSTANCE InstallerInstance = nullptr;
