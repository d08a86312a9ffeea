// The format wizard: its steps, the search for the attached disk, the format run
// judged by the formatter's output, the administrator refusal, and the way in
// from the main window.

#include "format/Form1.h"
#include "FakeFormatter.h"
#include "app/frmMain.h"
#include "platform/Dialogs.h"
#include "platform/drives/FolderDrives.h"
#include "platform/process/Groups.h"
#include "storage/basINI.h"
#include "support/FakeDialogs.h"
#include "support/FakeDrives.h"
#include "support/FakeShell.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace norvane::test {
namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

const QString kDisk = QStringLiteral("/media/anna/USB DISK/");
const QString kStep1 =
    QStringLiteral("Vergewisseren Sie sich dass die USB-Platte NICHT am PC angeschlossen ist "
                   "und drücken Sie dann auf WEITER.");

class Form1Test : public ::testing::Test {
protected:
    Form1Test() { drives.add(QStringLiteral("/"), platform::DriveFixed); }

    Form1& wizard() {
        if (!m_wizard) {
            m_wizard = new Form1({.drives = drives,
                                  .dialogs = dialogs,
                                  .programFolder = programFolder,
                                  .isUserAdmin = [this] { return admin; }},
                                 &owner);
            m_wizard->show();
        }
        return *m_wizard;
    }
    QPushButton* button(const char* name) { return wizard().findChild<QPushButton*>(QLatin1String(name)); }
    QString label(const char* name) { return wizard().findChild<QLabel*>(QLatin1String(name))->text(); }
    bool closed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return m_wizard.isNull();
    }
    // Forward in step 1, then the disk arrives and the search finds it.
    void reachStep3() {
        button("Command1")->click();
        drives.add(kDisk, platform::DriveFixed);
        wizard().Timer1_Timer();
        ASSERT_EQ(wizard().WizardStep(), 2);
    }
    QString formatter() const { return programFolder + QStringLiteral("/fat32format"); }
    QStringList texts() const {
        QStringList shown;
        for (const ShownMessage& message : dialogs.shown())
            shown << message.text;
        return shown;
    }

    QWidget owner;
    FakeDrives drives;
    FakeDialogs dialogs;
    TempDir dir;
    // Spaces in the path and no trailing separator.
    QString programFolder = dir.filePath(QStringLiteral("Program Files/Norvane USB Tool"));
    bool admin = true;

private:
    QPointer<Form1> m_wizard;
};

TEST_F(Form1Test, StepsFindTheDiskAttachedAfterTheSnapshot) {
    Form1& w = wizard();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Fat32 Format Assistent"));
    EXPECT_EQ(label("Label3"), QStringLiteral("Schritt 1:"));
    EXPECT_EQ(label("Label2"), kStep1);
    EXPECT_TRUE(button("Command1")->isEnabled());
    EXPECT_FALSE(button("Command2")->isEnabled());
    auto* timer = w.findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 4000);

    // Attached too early: the disk is part of the snapshot and never found.
    drives.add(kDisk, platform::DriveFixed);
    w.Timer1_Timer();
    EXPECT_EQ(w.WizardStep(), 0) << "the tick does nothing in step 1";
    button("Command1")->click();
    EXPECT_EQ(w.WizardStep(), 1);
    EXPECT_EQ(label("Label3"), QStringLiteral("Schritt 2:"));
    EXPECT_EQ(
        label("Label2"),
        QStringLiteral("Schließen Sie jetzt die USB-Festplatte an.\r\n\r\nFalls die Festplatte nicht "
                       "gefunden wird, schließen Sie die Platte nochmal ab und gehen einen Schritt ZURÜCK."));
    EXPECT_FALSE(button("Command1")->isEnabled());
    EXPECT_TRUE(button("Command2")->isEnabled());
    w.Timer1_Timer();
    EXPECT_EQ(w.WizardStep(), 1);

    // Detached, back, forward, attached: found.
    drives.remove(kDisk);
    button("Command2")->click();
    EXPECT_EQ(w.WizardStep(), 0);
    EXPECT_EQ(label("Label2"), kStep1);
    reachStep3();
    EXPECT_EQ(w.NewDrive(), QStringLiteral("/media/anna/USB DISK"));
    EXPECT_EQ(label("Label3"), QStringLiteral("Schritt 3:"));
    EXPECT_EQ(label("Label2"),
              QStringLiteral("USB-Festplatte gefunden!\r\nLaufwerksbuchstabe: /media/anna/USB DISK"));
    EXPECT_TRUE(button("Command1")->isEnabled());
    EXPECT_TRUE(button("Command2")->isEnabled());

    // Back from step 3 keeps the designation until the next search.
    button("Command2")->click();
    EXPECT_EQ(w.WizardStep(), 0);
    EXPECT_EQ(w.NewDrive(), QStringLiteral("/media/anna/USB DISK"));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(Form1Test, FormatRunIsJudgedByDoneInItsOutput) {
    struct Case {
        const char* name;
        const char* script; // nullptr: no formatter in the program folder
        QStringList messages;
    } cases[] = {
        {"Done on its own line", "echo Checking; echo Done", {"Formatierung abgeschlossen."}},
        {"Done inside a line", "printf 'AllDoneNow'", {"Formatierung abgeschlossen."}},
        {"done in lower case", "echo done", {"Formatierung fehlgeschlagen."}},
        {"prints nothing", "exit 0", {"Formatierung fehlgeschlagen."}},
        {"formatter missing", nullptr, {"New process could not be created!", "Formatierung fehlgeschlagen."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(formatter());
        if (c.script)
            writeScript(formatter(), QStringLiteral("printf '%s\\n' \"$@\" > \"$0.args\"\n") +
                                         QString::fromUtf8(c.script));
        dialogs = FakeDialogs();
        drives.remove(kDisk);
        owner.hide();
        reachStep3();
        button("Command1")->click();

        ASSERT_GE(dialogs.shown().size(), 2u);
        const ShownMessage& question = dialogs.shown().front();
        EXPECT_EQ(question.icon, MessageIcon::None);
        EXPECT_EQ(question.buttons, MessageButtons::OkCancel);
        EXPECT_EQ(question.title, QStringLiteral("Wollen Sie formatieren ?"));
        EXPECT_EQ(question.text,
                  QStringLiteral("ACHTUNG: ALLE DATEN AUF DER USB-DISK WERDEN GELÖSCHT:\r\n\r\nWollen Sie "
                                 "wirklich die Festplatte /media/anna/USB DISK formatieren?\r\n\r\nFür "
                                 "Datenverlust wird keine Haftung übernommen.\r\n\r\nFormatieren mit OK ?"));
        EXPECT_EQ(texts().mid(1), c.messages);
        EXPECT_TRUE(dialogs.shown().back().title.isEmpty());
        EXPECT_EQ(dialogs.shown().back().icon, MessageIcon::None);
        if (c.script) {
            EXPECT_EQ(test::fileBytes(formatter() + QStringLiteral(".args"), "<missing>"),
                      QByteArray("-c64\n/media/anna/USB DISK\n"));
        }
        EXPECT_TRUE(closed());
        EXPECT_TRUE(owner.isVisible()) << "the main window is shown again";
    }
}

TEST_F(Form1Test, CancelStaysInStep3AndTheNextPressAsksAgain) {
    reachStep3();
    dialogs.answerNext(MessageResult::Cancel);
    button("Command1")->click();
    EXPECT_EQ(wizard().WizardStep(), 2);
    EXPECT_TRUE(button("Command1")->isEnabled());
    EXPECT_TRUE(button("Command2")->isEnabled());
    EXPECT_FALSE(closed());

    dialogs.answerNext(MessageResult::Cancel);
    button("Command1")->click();
    EXPECT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].title, QStringLiteral("Wollen Sie formatieren ?"));
    EXPECT_FALSE(QFile::exists(formatter() + QStringLiteral(".args")));
}

TEST_F(Form1Test, WithoutAdministratorRightsTheWizardRefusesAndCloses) {
    admin = false;
    wizard();
    const int rootsBefore = drives.enumerations;
    button("Command1")->click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Critical);
    EXPECT_EQ(dialogs.shown()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("Keine Administrator-Rechte !"));
    EXPECT_EQ(
        dialogs.shown()[0].text,
        QStringLiteral("Zum Formatieren benötigen Sie Administrator-Rechte\r\nMelden Sie sich bei Windows "
                       "als Administrator an, oder verständigen Sie Ihren Systemadministrator!"));
    EXPECT_EQ(drives.enumerations, rootsBefore) << "no snapshot is taken";
    EXPECT_TRUE(closed());
    EXPECT_TRUE(owner.isVisible());
}

TEST_F(Form1Test, PressesDuringARunningFormatStartNoSecondOne) {
    writeScript(formatter(), QStringLiteral("echo run >> \"$0.log\"; sleep 1; echo Done"));
    reachStep3();
    bool closedDuringRun = true;
    QTimer::singleShot(300, [&] {
        EXPECT_TRUE(wizard().formatRunning());
        button("Command1")->click();
        button("Command2")->click();
        closedDuringRun = wizard().close();
    });
    button("Command1")->click();

    EXPECT_FALSE(closedDuringRun) << "the window stays while the formatter runs";
    EXPECT_EQ(test::fileBytes(formatter() + QStringLiteral(".log"), "<missing>"), QByteArray("run\n"));
    EXPECT_EQ(texts(),
              QStringList({dialogs.shown().front().text, QStringLiteral("Formatierung abgeschlossen.")}));
    EXPECT_TRUE(closed());
}

// An ordinary user in "sudo" on folder drives: an eSATA drive mounted during step 2
// is never offered, the USB disk is, named as the user knows it.
TEST(Form1FolderDrives, AUserInSudoIsOfferedOnlyTheUsbDisk) {
    TempDir dir;
    for (const char* folder : {"system", "daten", "usb"})
        dir.mkdir(QString::fromLatin1(folder));
    const QByteArray system = "[system]\nRoot=system\nType=fixed\nTransport=nvme\n";
    const QByteArray internal = "[daten]\nRoot=daten\nType=fixed\nTransport=esata\nLabel=Daten\n";
    const QByteArray usb = "[usb]\nRoot=usb\nType=fixed\nCapacity=2000398934016\nVendor=WD\n"
                           "Model=Elements 25A3\nLabel=DATEN\n";
    const QString table = dir.writeFile(QStringLiteral("drives.ini"), system);
    platform::FolderDrives drives(table);
    FakeDialogs dialogs;
    const platform::GroupSource groups = [](const QString& group) -> std::optional<QStringList> {
        if (group == QLatin1String("sudo"))
            return QStringList{QStringLiteral("anna")};
        return std::nullopt;
    };
    QWidget owner;
    auto* wizard =
        new Form1({.drives = drives,
                   .dialogs = dialogs,
                   .programFolder = dir.path(),
                   .isUserAdmin = [&] { return platform::isAdministrator("anna", groups, false); }},
                  &owner);
    wizard->show();
    const auto accessibleText = [&](const char* name) {
        QAccessibleInterface* label =
            QAccessible::queryAccessibleInterface(wizard->findChild<QLabel*>(QLatin1String(name)));
        return label ? label->text(QAccessible::Name) : QString();
    };

    wizard->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    ASSERT_TRUE(dialogs.shown().empty()) << "no refusal for a member of sudo";
    EXPECT_EQ(accessibleText("Label3"), QStringLiteral("Schritt 2:"));

    dir.writeFile(QStringLiteral("drives.ini"), system + internal);
    wizard->Timer1_Timer();
    EXPECT_EQ(wizard->WizardStep(), 1) << "the internal drive is not offered";

    dir.writeFile(QStringLiteral("drives.ini"), system + internal + usb);
    wizard->Timer1_Timer();
    ASSERT_EQ(wizard->WizardStep(), 2);
    const QString root = QDir::cleanPath(dir.filePath(QStringLiteral("usb")));
    const QString line = QStringLiteral("Laufwerk: WD Elements 25A3, 2000,4 GB, „DATEN“");
    EXPECT_EQ(accessibleText("Label2"),
              QStringLiteral("USB-Festplatte gefunden!\r\nLaufwerksbuchstabe: ") + root + "\r\n" + line);

    dialogs.answerNext(MessageResult::Cancel);
    wizard->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.contains(" formatieren?\r\n" + line + "\r\n\r\nFür Datenverlust"))
        << dialogs.shown()[0].text.toStdString();
    delete wizard;
}

TEST(MainWindowFormat, ButtonOpensOneModelessWizardOwnedByTheMainWindow) {
    FakeDrives drives;
    FakeShell shell;
    FakeDialogs dialogs;
    basINI ini;
    TempDir programFolder;
    frmMain main(MainWindowServices{.drives = drives,
                                    .shell = shell,
                                    .ini = ini,
                                    .dialogs = &dialogs,
                                    .programFolder = programFolder.path(),
                                    .serverAddress = QStringLiteral("http://127.0.0.1:9")});
    main.show();
    auto* cmdtest = main.findChild<QPushButton*>(QStringLiteral("cmdtest"));
    ASSERT_NE(cmdtest, nullptr);

    cmdtest->click();
    const QList<Form1*> opened = main.findChildren<Form1*>();
    ASSERT_EQ(opened.size(), 1);
    QPointer<Form1> first = opened.front();
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->isWindow());
    EXPECT_EQ(first->windowModality(), Qt::NonModal);
    EXPECT_EQ(first->parentWidget(), &main);

    cmdtest->click();
    EXPECT_EQ(main.findChildren<Form1*>().size(), 1) << "an open wizard is shown again, not a second one";

    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    cmdtest->click();
    ASSERT_EQ(main.findChildren<Form1*>().size(), 1);
    EXPECT_EQ(main.findChildren<Form1*>().front()->WizardStep(), 0);
}

} // namespace
} // namespace norvane::test
