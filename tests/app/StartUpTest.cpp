// The main window as it comes up: controls, fixed tables, caption and the
// searching state, before the update search has run.

#include "MainWindowFixture.h"
#include "app/MainWindowFonts.h"
#include "platform/desktop/FontWarmUp.h"
#include "stick/cDrive.h"
#include "widgets/OptionButton.h"
#include "widgets/StatusPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace norvane::test {
namespace {

using StartUp = MainWindowTest;

TEST_F(StartUp, CaptionIsTitleOneSpaceAndVersion) {
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Norvane USB-Stick Internetupdate Tool 2.0"));
}

TEST_F(StartUp, WindowWaitsForTheSearch) {
    frmMain& w = window();
    auto* choose = child<QPushButton>("cmdChoose");
    EXPECT_EQ(choose->text(), QStringLiteral("Suche Updates..."));
    EXPECT_FALSE(choose->isEnabled());
    EXPECT_EQ(w.statusPanel(2).text(), QStringLiteral("Suche nach Updates..."));
    EXPECT_EQ(w.statusPanel(2).toolTip(), QStringLiteral("Updates werden gesucht."));
    EXPECT_TRUE(w.statusPanel(2).isEnabled());

    auto* timer = child<QTimer>("Timer1");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 4000);
    EXPECT_EQ(w.SelFirm(), -1);
    EXPECT_EQ(w.SelSett(), -1);
    EXPECT_TRUE(server.requests().isEmpty()) << "the server is only asked by the timer";
}

TEST_F(StartUp, ChoicesStartDisabledAndUnselected) {
    window();
    for (int i = 0; i <= 10; ++i) {
        auto* option = child<OptionButton>(qPrintable(QStringLiteral("Firm_Option_%1").arg(i)));
        EXPECT_FALSE(option->isEnabled()) << i;
        EXPECT_FALSE(option->isChecked()) << i;
        EXPECT_EQ(option->isHidden(), i >= 9) << i;
    }
    for (int i = 0; i <= 4; ++i) {
        auto* option = child<OptionButton>(qPrintable(QStringLiteral("Sett_Option_%1").arg(i)));
        EXPECT_FALSE(option->isEnabled()) << i;
        EXPECT_FALSE(option->isChecked()) << i;
    }
}

TEST_F(StartUp, UnitChoiceHoldsMegaAndGigabytesAndDetectsOnce) {
    drives.addStick(QStringLiteral("/media/anna/STICK/"), 1'000'000'000);
    window();
    auto* unit = child<QComboBox>("cmbSize");
    ASSERT_EQ(unit->count(), 2);
    EXPECT_EQ(unit->itemText(0), QStringLiteral("MB"));
    EXPECT_EQ(unit->itemData(0).toInt(), 2);
    EXPECT_EQ(unit->itemText(1), QStringLiteral("GB"));
    EXPECT_EQ(unit->itemData(1).toInt(), 3);
    EXPECT_EQ(unit->currentIndex(), 0);
    // The unit handler ran once and, with no stick current yet, enumerated the drives.
    EXPECT_EQ(drives.enumerations, 1);
    EXPECT_EQ(window().drive().p_GetDriveLetters(QStringLiteral("0")), QStringLiteral("/media/anna/STICK/"));
    for (const char* name : {"lblSize_0", "lblSize_1", "lblSize_2"})
        EXPECT_EQ(text(name), QStringLiteral("MB")) << name;
}

// The first detection runs once, after the first paint or at the latest before the search,
// for both unit handlers of the load. Wherever it runs it leaves the searching state alone:
// only the search makes "Starte Update" clickable; a stick plugged in later does as always.
TEST_F(StartUp, DetectionAfterTheFirstPaintLeavesTheSearchingState) {
    struct Case {
        const char* what;
        bool stickAtStart;
        bool painted; // false: the timer comes before the first paint
    };
    for (const Case c : {Case{"stick, painted", true, true}, Case{"no stick, painted", false, true},
                         Case{"stick, search before the paint", true, false}}) {
        SCOPED_TRACE(c.what);
        drives.clear();
        drives.enumerations = 0;
        if (c.stickAtStart)
            drives.addStick(QStringLiteral("/media/anna/STICK/"), 1'000'000'000);
        programFolder.writeFile(QStringLiteral("Settings.ini"), "[USB Tool]\r\ncmbSize=1\r\n");
        serveSearch("2.0", "a;b;c;d",
                    catalogueOf(QList<QByteArray>(9, catalogueRow(QStringLiteral("Q"), {}))));
        detectDrivesAfterFirstPaint = true;
        resetWindow();
        frmMain& w = window();
        EXPECT_EQ(drives.enumerations, 0) << "no enumeration before the window is painted";
        EXPECT_EQ(text("lblSize_0"), QStringLiteral("GB"));
        auto* choose = child<QPushButton>("cmdChoose");

        if (c.painted) {
            w.show();
            // Ends as soon as the paint has come; the bound is for a busy machine.
            EXPECT_TRUE(QTest::qWaitFor([&] { return drives.enumerations > 0; }, 60'000));
            QCoreApplication::processEvents();
            EXPECT_EQ(choose->text(), QStringLiteral("Suche Updates..."));
            EXPECT_FALSE(choose->isEnabled());
            EXPECT_EQ(w.statusPanel(2).text(), QStringLiteral("Suche nach Updates..."));
            EXPECT_EQ(w.statusPanel(1).text(),
                      c.stickAtStart ? QStringLiteral("USB Stick") : QStringLiteral("No Stick"));
        }
        w.Timer1_Timer();
        EXPECT_EQ(drives.enumerations, 1) << "one detection, for both unit handlers of the load";
        EXPECT_EQ(text("lblLW"), c.stickAtStart ? QStringLiteral("/media/anna/STICK/") : QString());
        for (const char* name : {"lblSize_0", "lblSize_1", "lblSize_2"})
            EXPECT_EQ(text(name), QStringLiteral("GB")) << name;
        EXPECT_EQ(choose->text(), QStringLiteral("Starte Update"));
        EXPECT_EQ(choose->isEnabled(), c.stickAtStart);

        if (!c.stickAtStart) {
            drives.addStick(QStringLiteral("/media/anna/LATER/"), 1'000'000'000);
            child<QPushButton>("cmdSearch")->click();
            EXPECT_EQ(choose->text(), QStringLiteral("Starte Update"));
            EXPECT_TRUE(choose->isEnabled());
        }
    }
}

TEST_F(StartUp, ChangingTheUnitFromCodeRunsTheHandlerLikeAClick) {
    window();
    child<QComboBox>("cmbSize")->setCurrentIndex(1);
    for (const char* name : {"lblSize_0", "lblSize_1", "lblSize_2"})
        EXPECT_EQ(text(name), QStringLiteral("GB")) << name;
    EXPECT_EQ(drives.enumerations, 2) << "no stick is current, so the handler detects afresh";
}

TEST_F(StartUp, ChannelListNamesAndOrderPreviews) {
    const frmMain& w = window();
    EXPECT_EQ(w.SettName()[0], QStringLiteral("Auswahl nicht verfügbar"));
    EXPECT_EQ(w.SettName()[1], QStringLiteral("Österreich - Programmierung"));
    EXPECT_EQ(w.SettName()[5], QStringLiteral("Spain - List"));
    for (int list = 0; list < 5; ++list) {
        const QString preview = w.Reihenfolge()[list];
        EXPECT_EQ(preview.count(QStringLiteral("\r\n")), 4) << list;
        EXPECT_FALSE(preview.endsWith(u'\n')) << list;
        const QStringList lines = preview.split(QStringLiteral("\r\n"));
        for (int line = 0; line < lines.size(); ++line) {
            // The second column's number ends with its point in column 14.
            EXPECT_EQ(lines[line].at(13), u'.') << list << ":" << line << " " << qPrintable(lines[line]);
            EXPECT_TRUE(lines[line].startsWith(QString::number(line + 1) + u'.'));
        }
    }
    EXPECT_EQ(w.Reihenfolge()[2].split(QStringLiteral("\r\n")).last(), QStringLiteral("5. Canale5 10. ..."));
}

TEST_F(StartUp, OrderPreviewUsesAFixedPitchFont) {
    EXPECT_TRUE(QFontInfo(child<QLabel>("lbl_reihenfolge")->font()).fixedPitch());
}

// The program start prepares the window's fonts on a thread: it ends whether it was given
// fonts or not, and the fonts it measured resolve alike in the window thread afterwards.
TEST(FontWarmUp, EndsWithOrWithoutFontsAndLeavesTheWindowsFontsAlone) {
    { const platform::FontWarmUp unused; }
    platform::FontWarmUp warmUp;
    warmUp.measure([] { return mainWindowFonts().all(); });
    warmUp.finish();
    EXPECT_TRUE(QFontInfo(mainWindowFonts().order).fixedPitch());
    EXPECT_TRUE(QFontInfo(mainWindowFonts().slogan).italic());
}

// The pictures are read by the PNG reader directly, never offered to the image plugins.
TEST_F(StartUp, DecorationAndIconAreLoaded) {
    for (const char* name : {"Image2", "Image3", "Image4", "Image5"}) {
        const QPixmap picture = child<QLabel>(name)->pixmap();
        EXPECT_FALSE(picture.isNull()) << name;
    }
    EXPECT_FALSE(window().windowIcon().isNull());
    EXPECT_EQ(child<QLabel>("Image3")->pixmap().size(), QSize(300, 50));
}

TEST_F(StartUp, HiddenFramesKeepTheirControls) {
    window().show();
    EXPECT_FALSE(child<QGroupBox>("Frame1")->isVisible());
    EXPECT_FALSE(child<QGroupBox>("Frame3")->isVisible());
    EXPECT_FALSE(child<QCheckBox>("chkAuto")->isChecked());
    EXPECT_EQ(child<QLineEdit>("txtOpenPath")->text(), QString());
    EXPECT_TRUE(child<QGroupBox>("Frame2")->isVisible());
}

// Every control of the window: name, kind and design-time caption.
TEST_F(StartUp, ControlsCarryTheirNamesKindsAndCaptions) {
    struct Control {
        const char* name;
        const char* kind;
        const char* caption;
    };
    const Control controls[] = {
        {"Frame8", "QGroupBox", "Seriennummern Garantie-Check"},
        {"Cmdgarantiecheck", "QPushButton", "Garantie Check"},
        {"Label13", "QLabel",
         "Garantie-Überprüfung für Norv Q300 HD und Q400 HD! Momentan nur für Österreich möglich!"},
        {"Frame7", "QGroupBox", "Update-Anleitung"},
        {"Label16", "QLabel", "1. USB Stick an PC anschließen."},
        {"Label17", "QLabel", "2. Norvane Receivertype wählen."},
        {"Label18", "QLabel", "3. Senderlisten Type wählen."},
        {"Label19", "QLabel", "4. Starte Update klicken."},
        {"Label21", "QLabel",
         "Zum Updaten USB Stick in Receiver stecken und im Menü den Punkt USB - Data Transfer auswählen."},
        {"Image2", "QLabel", nullptr},
        {"frm_News", "QGroupBox", "News"},
        {"lbl_news_0", "QLabel", ""},
        {"lbl_news_3", "QLabel", ""},
        {"Frame4", "QGroupBox", "FAT32 Format Assistent für externe USB 2.0 Festplatten"},
        {"cmdtest", "QPushButton", "USB-HDD Format Assistent"},
        {"Image5", "QLabel", nullptr},
        {"Frame5", "QGroupBox", "Norvane Receiver Type"},
        {"Firm_Option_0", "norvane::OptionButton", "Norvane Q110"},
        {"Firm_Option_3", "norvane::OptionButton", "Norvane Q140"},
        {"Firm_Option_4", "norvane::OptionButton", "Norvane Q200 HD"},
        {"Firm_Option_8", "norvane::OptionButton", "Norvane Q400 HD"},
        {"Firm_Option_9", "norvane::OptionButton", "Norvane Q510 PVR"},
        {"Firm_Option_10", "norvane::OptionButton", "Norvane Q520 PVR"},
        {"lbl_firmstand", "QLabel", "Stand:"},
        {"lbl_Aenderung", "QLabel", ""},
        {"Image1", "QLabel", nullptr},
        {"Frame6", "QGroupBox", "Settings"},
        {"Sett_Option_0", "norvane::OptionButton", "Österreich"},
        {"Sett_Option_1", "norvane::OptionButton", "Deutschland"},
        {"Sett_Option_2", "norvane::OptionButton", "Italia"},
        {"Sett_Option_3", "norvane::OptionButton", "France"},
        {"Sett_Option_4", "norvane::OptionButton", "Spain"},
        {"lbl_settstand", "QLabel", "Stand:"},
        {"lbl_reihenfolge", "QLabel", "Reihenfolge"},
        {"Frame1", "QGroupBox", "Grundeinstellungen"},
        {"chkAuto", "QCheckBox", "autom. erkennen von neuen Laufwerken"},
        {"cmdSearchx", "QPushButton", "jetzt suchen"},
        {"Label2", "QLabel", "Info File Name"},
        {"Label5", "QLabel", "USB.ini"},
        {"Frame2", "QGroupBox", "USB Stick Informationen"},
        {"cmdSearch", "QPushButton", "USB-Stick finden / aktualisieren"},
        {"cmdOpen", "QPushButton", "Inhalt anzeigen"},
        {"Label12", "QLabel", "Laufwerk:"},
        {"lblLW", "QLabel", ""},
        {"Label1", "QLabel", "Bezeichnung"},
        {"txtDT_Cap", "QLineEdit", ""},
        {"Command1", "QPushButton", "Benennen"},
        {"Label4", "QLabel", "Speicherplatz:"},
        {"lblHDSize", "QLabel", ""},
        {"Label9", "QLabel", "Belegt:"},
        {"lblHDUsed", "QLabel", ""},
        {"lblHDUsedColor", "QLabel", nullptr},
        {"Label3", "QLabel", "Frei:"},
        {"lblHDFree", "QLabel", ""},
        {"lblHDFreeColor", "QLabel", nullptr},
        {"Label11", "QLabel", "Angabe in"},
        {"cmbSize", "QComboBox", nullptr},
        {"Picture1", "norvane::PictureBox", nullptr},
        {"txtFAT", "QLineEdit", ""},
        {"Label6", "QLabel", "(Funktioniert nur mit angeschlossenen USB-Stick)"},
        {"Frame3", "QGroupBox", "zusätzliches"},
        {"Label7", "QLabel", "Standard Pfad"},
        {"txtOpenPath", "QLineEdit", ""},
        {"cmdSaveOnStick", "QPushButton", "speichern"},
        {"cmdOpenx", "QPushButton", "Öffnen"},
        {"cmdChoosex", "QPushButton", "Pfad wählen"},
        {"Label8", "QLabel", "Laufwerkspfad"},
        {"lblLWx", "QLabel", ""},
        {"cmdChoose", "QPushButton", nullptr},
        {"StatusBar1", "QStatusBar", nullptr},
        {"Label10", "QLabel", nullptr},
        {"Image3", "QLabel", nullptr},
        {"Image4", "QLabel", nullptr},
    };
    for (const Control& control : controls) {
        const auto* widget = window().findChild<QWidget*>(QString::fromLatin1(control.name));
        ASSERT_NE(widget, nullptr) << control.name;
        EXPECT_STREQ(widget->metaObject()->className(), control.kind) << control.name;
        if (!control.caption)
            continue;
        const QString expected = QString::fromUtf8(control.caption);
        QString actual;
        if (auto* box = qobject_cast<const QGroupBox*>(widget))
            actual = box->title();
        else if (auto* label = qobject_cast<const QLabel*>(widget))
            actual = label->text();
        else if (auto* button = qobject_cast<const QAbstractButton*>(widget))
            actual = button->text();
        else if (auto* edit = qobject_cast<const QLineEdit*>(widget))
            actual = edit->text();
        EXPECT_EQ(actual, expected) << control.name;
    }
    for (const char* name : {"lblSize_0", "lblSize_1", "lblSize_2"})
        EXPECT_NE(window().findChild<QLabel*>(QString::fromLatin1(name)), nullptr) << name;
}

} // namespace
} // namespace norvane::test
