// Renaming image files with the real label tools.

#include "platform/udisks/LabelTool.h"
#include "VolumeImages.h"
#include "platform/drives/BlkidVolume.h"
#include "support/AsyncWait.h"
#include "support/ScopedEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace norvane::platform;
using namespace norvane::test;

namespace {

std::optional<LabelOutcome> label(LabelTool& tool, const QString& device, const QString& type,
                                  const QString& label) {
    return awaitResult<LabelOutcome>(
        [&](QObject* context, auto done) { tool.setLabel(device, type, label, context, done); });
}

QString labelOf(const QString& image) {
    return volumeInformationFrom(blkidProperties(image), {}).label;
}

// Each step renames the same image, so a refused label must leave the one before.
TEST(LabelTool, RenamesAndRefusesLikeTheFileSystem) {
    TempDir dir;
    struct Step {
        ImageKind kind;
        QString label;
        LabelOutcome outcome;
        QString labelAfter;
    };
    const Step steps[] = {
        {ImageKind::Fat32, QStringLiteral("UPDATE 2024"), LabelOutcome::Renamed,
         QStringLiteral("UPDATE 2024")},
        {ImageKind::Fat32, QStringLiteral("BAD*NAME"), LabelOutcome::Refused, QStringLiteral("UPDATE 2024")},
        {ImageKind::Fat32, QStringLiteral("TWELVE CHARS"), LabelOutcome::Refused,
         QStringLiteral("UPDATE 2024")},
        // A label that looks like an option is a label, never --reset.
        {ImageKind::Fat32, QStringLiteral("-r"), LabelOutcome::Renamed, QStringLiteral("-r")},
        {ImageKind::Fat32, QString(), LabelOutcome::Renamed, QString()},
        {ImageKind::ExFat, QStringLiteral("Kamera"), LabelOutcome::Renamed, QStringLiteral("Kamera")},
        // exfatlabel would read "-i" as its serial-number switch and report success.
        {ImageKind::ExFat, QStringLiteral("-i"), LabelOutcome::Refused, QStringLiteral("Kamera")},
        {ImageKind::ExFat, QString(), LabelOutcome::Renamed, QString()},
    };
    const QString fat =
        makeVolumeImage(dir, QStringLiteral("fat.img"), ImageKind::Fat32, QStringLiteral("OLD"));
    const QString exfat =
        makeVolumeImage(dir, QStringLiteral("exfat.img"), ImageKind::ExFat, QStringLiteral("OLD"));
    LabelTool tool;
    for (const Step& step : steps) {
        const bool isFat = step.kind == ImageKind::Fat32;
        const QString image = isFat ? fat : exfat;
        const QString type = isFat ? QStringLiteral("vfat") : QStringLiteral("exfat");
        EXPECT_EQ(label(tool, image, type, step.label), step.outcome) << step.label.toStdString();
        EXPECT_EQ(labelOf(image), step.labelAfter) << step.label.toStdString();
    }
}

// A fatlabel planted first in PATH runs for an ordinary user, never for root.
TEST(LabelTool, RootRunsToolsFromSystemFoldersOnly) {
    TempDir dir;
    const QString planted = dir.writeFile(QStringLiteral("bin/fatlabel"), "#!/bin/sh\ntouch /tmp/pwned\n");
    ASSERT_TRUE(QFile::setPermissions(planted, QFile::ExeOwner | QFile::ReadOwner));
    const ScopedEnvironment path("PATH", QFile::encodeName(dir.filePath(QStringLiteral("bin"))) + ':' +
                                             qgetenv("PATH"));
    EXPECT_EQ(labelToolPath(QStringLiteral("fatlabel"), false), planted);
    const QString asRoot = labelToolPath(QStringLiteral("fatlabel"), true);
    EXPECT_TRUE(asRoot == "/usr/sbin/fatlabel" || asRoot == "/sbin/fatlabel") << asRoot.toStdString();
    EXPECT_TRUE(labelToolPath(QStringLiteral("no-such-label-tool"), true).isEmpty());
}

TEST(LabelTool, OtherFileSystemsAreNotOffered) {
    LabelTool tool;
    EXPECT_EQ(label(tool, QStringLiteral("/dev/null"), QStringLiteral("ext4"), QStringLiteral("X")),
              LabelOutcome::NotOffered);
}

} // namespace
