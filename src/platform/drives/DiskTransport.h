#pragma once
// How a disk is attached, judged from its device's chain in sysfs: the devices from
// the disk's block device up to the root of <sysfs>/devices, each with the subsystem
// its "subsystem" link names. The format wizard offers, and fat32format formats, only
// an external disk: one on USB or FireWire, or an SD card in a card reader (an MMC
// card whose "type" is "SD"; a soldered eMMC says "MMC"). Hot-plug alone says
// nothing: SATA hot-swap bays and eSATA ports report it by design, and some kernels
// reported it for internal SATA disks.
//
// Used by the platform layer and by fat32format, which runs as root: Qt Core only. The
// enum DiskTransport itself lives beside the record that carries it (DriveRecord.h).

#include "platform/DriveRecord.h"

#include <QList>
#include <QString>

namespace norvane::platform {

struct SysfsDevice {
    QString name;      // "2-1", "fw1.0", "mmc0:aaaa", "host6"
    QString subsystem; // "usb", "firewire", "mmc", "scsi", "pci"; empty when it has none
    QString type;      // an MMC card's "type" attribute: "SD", "MMC", "SDIO"
};

// The block device's own folder first, then each folder above it.
using SysfsChain = QList<SysfsDevice>;

// The nearest USB or FireWire device on the chain decides; else an MMC card of type
// "SD" makes an SD card; anything else (SATA, eSATA, NVMe, virtio, eMMC) is Other.
DiskTransport transportOf(const SysfsChain& chain);

// Whether lsblk's TRAN of the disk does not say otherwise: empty, or the same
// transport in lsblk's words ("usb", "sbp" for FireWire, "mmc" for an SD card).
bool transportAgrees(DiskTransport transport, const QString& lsblkTransport);

// "usb", "firewire", "sd" or "other": the words of a drive table's Transport= key.
QString transportName(DiskTransport transport);
// The transport a drive table names, ignoring case; an empty name is USB, any
// other word ("sata", "esata", "nvme", "internal") is Other.
DiskTransport transportOfName(const QString& name);

// The chain of the block device numbered "8:16" in the sysfs tree at sysfsRoot
// (with a trailing '/'), read through <sysfsRoot>dev/block/<number>; a partition's
// chain starts at its own folder, inside its disk's. Empty when there is no such device.
SysfsChain readSysfsChain(const QString& sysfsRoot, const QString& deviceNumber);

} // namespace norvane::platform
