// What the user reads when the stick refuses a write: one text per fault, each naming
// the file; and the stick files of the update run telling which copy failed and why.
#include "update/StickMessages.h"
#include "update/StickFolder.h"

#include "support/TempDir.h"

#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

namespace norvane {
namespace {

using platform::StickFault;

TEST(StickMessages, EachFaultHasItsOwnTextNamingTheFile) {
    QSet<QString> texts;
    for (const StickFault fault : {StickFault::Link, StickFault::NameTooLong, StickFault::NoSpace,
                                   StickFault::ReadOnly, StickFault::Gone, StickFault::NotAFile,
                                   StickFault::BadName, StickFault::NameClash, StickFault::Other}) {
        const QString text = stickFaultLines(fault, "fw/a:b.txt", "fw/A:B.TXT").join('\n');
        EXPECT_TRUE(text.contains(QString::fromUtf8("„fw/a:b.txt“"))) << text.toStdString();
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 9);
    EXPECT_TRUE(stickFaultLines(StickFault::NameClash, "Readme.TXT", "README.txt")
                    .join('\n')
                    .contains(QString::fromUtf8("„Readme.TXT“ und „README.txt“")));
}

// A missing file of the program folder is named as such, not blamed on the stick; a link
// on the stick is named as a link (the file behind it: the whole run's test).
TEST(StickMessages, StickFolderNamesWhatACopyRefused) {
    test::TempDir dir;
    const QString stick = dir.mkdir("stick");
    const QString program = dir.mkdir("program");
    dir.writeFile("program/norvstick.ico", "icon");
    const QString keys = dir.writeFile("home/authorized_keys", "keys");
    ASSERT_TRUE(QFile::link(keys, stick + "norvstick.ico"));

    StickFolder missing(stick, program);
    EXPECT_FALSE(missing.copyFromProgramFolder("autorun.inf"));
    EXPECT_EQ(missing.problem(), missingProgramFileLines("autorun.inf"));

    StickFolder linked(stick, program);
    EXPECT_FALSE(linked.copyFromProgramFolder("norvstick.ico"));
    EXPECT_EQ(linked.problem(), stickFaultLines(StickFault::Link, "norvstick.ico"));
    EXPECT_EQ(linked.existingSize("norvstick.ico"), 0); // the link's target is not measured
}

} // namespace
} // namespace norvane
