#pragma once
// The facts TargetCheck judges, read from this system, and the identity of a
// drive that fat32format holds open.

#include "fat32format/TargetCheck.h"

namespace norvane::fat32 {

// The facts about the drive named by argument at this moment.
TargetFacts readFacts(const QString& argument, bool viaPkexec);

// Opens the checked drive to hold it for the run (close-on-exec); -1 on failure.
int openTarget(const TargetVerdict& verdict);

// Whether the open file descriptor still is the drive of that identity: the same
// device number and size for a block device, the same inode and size for a file.
bool holdsIdentity(int fd, const Identity& identity);

// The logical sector size of a held block device; 512 for a file; 0 when unknown.
std::uint32_t sectorSizeOf(int fd);

} // namespace norvane::fat32
