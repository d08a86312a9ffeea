#pragma once
// The line that names the disk found by the format wizard as a user recognises
// it: "Laufwerk: WD Elements 25A3, 2000,4 GB, „DATEN“".

#include "platform/DriveRecord.h"

#include <QString>

namespace norvane {

// Maker and model, the disk's size in GB (10^9 bytes, one decimal, decimal
// comma) and the volume's label in German quotes; each left out when unknown.
// Empty when nothing at all is known of the drive.
QString diskLine(const platform::DriveRecord& drive);

} // namespace norvane
