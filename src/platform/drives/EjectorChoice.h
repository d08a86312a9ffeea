#pragma once
// The ejector the program runs on, chosen like the drives (Drives.h): the folder-backed
// drives have an ejector of their own.

#include "platform/udisks/Ejector.h"

#include <memory>

namespace norvane::platform {

// The folder-backed drives of NORVANE_DRIVES when that variable is set (FolderEjector.h),
// else UDisks2 on the system bus (UDisksEjector.h).
std::unique_ptr<Ejector> createEjector();

} // namespace norvane::platform
