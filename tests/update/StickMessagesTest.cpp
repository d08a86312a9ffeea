// What the user reads when the stick refuses a write: one text per fault, each naming
// the file.
#include "update/StickMessages.h"
#include <QSet>

#include <gtest/gtest.h>

namespace norvane {
namespace {

TEST(StickMessages, EachFaultHasItsOwnTextNamingTheFile) {
    QSet<QString> texts;
    for (const FailureKind fault :
         {FailureKind::StickLink, FailureKind::StickNameTooLong, FailureKind::StickNoSpace,
          FailureKind::StickReadOnly, FailureKind::StickGone, FailureKind::StickNotAFile,
          FailureKind::StickBadName, FailureKind::StickNameClash, FailureKind::StickOther}) {
        const QString text = stickFaultLines(fault, "fw/a:b.txt", "fw/A:B.TXT").join('\n');
        EXPECT_TRUE(text.contains(QString::fromUtf8("„fw/a:b.txt“"))) << text.toStdString();
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 9);
    EXPECT_TRUE(stickFaultLines(FailureKind::StickNameClash, "Readme.TXT", "README.txt")
                    .join('\n')
                    .contains(QString::fromUtf8("„Readme.TXT“ und „README.txt“")));
    // Two spellings of one name that differ in more than case are not called a case clash.
    const QString composed = QString::fromUtf8("Kan\u00e4le.txt"),
                  decomposed = QString::fromUtf8("Kana\u0308le.txt");
    EXPECT_FALSE(
        stickFaultLines(FailureKind::StickNameClash, composed, decomposed).join('\n').contains("Groß"));
}

} // namespace
} // namespace norvane
