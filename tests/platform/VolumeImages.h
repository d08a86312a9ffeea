#pragma once
// Small file-system images in a temporary folder, made by the real formatters:
// libblkid and the label tools work on image files as on devices.

#include "support/TempDir.h"

#include <QString>

namespace norvane::test {

enum class ImageKind { Fat12, Fat16, Fat32, ExFat };

// Makes the image name in dir, labelled when label is not empty; returns its path.
// Throws when the formatter is missing or fails.
QString makeVolumeImage(const TempDir& dir, const QString& name, ImageKind kind, const QString& label = {});

} // namespace norvane::test
