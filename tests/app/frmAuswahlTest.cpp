// The drive picker: rows from the drive object, the hand-back of the chosen
// drive, fixed columns and what a screen reader is told.

#include "app/frmAuswahl.h"
#include "stick/cDrive.h"
#include "support/FakeDrives.h"
#include "winproc/HeaderGestures.h"

#include <QAccessible>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

namespace norvane {
namespace {

// A drive object that records what the picker hands back.
class ChoosingDrive final : public cDrive {
public:
    using cDrive::cDrive;
    void ChooseUSB_Info(const QString& sItem) override {
        chosen.append(sItem);
        if (whileChoosing)
            whileChoosing();
    }
    QStringList chosen;
    std::function<void()> whileChoosing;
};

const QString kFirst = QStringLiteral("/media/anna/NORVANE/");
const QString kSecond = QStringLiteral("/media/anna/disk/");

struct Picker {
    test::FakeDrives drives;
    ChoosingDrive drive{drives};
    QWidget owner;
    QPointer<frmAuswahl> window;

    Picker() {
        drives.addStick(kFirst, 4'000'000'000, QStringLiteral("NORVANE"));
        drives.addStick(kSecond, 8'000'000'000); // no volume name
        drive.mp_GetDriveTyps();                 // the enumeration that finds both and opens the picker
        window = new frmAuswahl(drive, &owner);
        window->show();
    }
    ~Picker() { delete window.data(); }

    QTreeWidget* list() const { return window->findChild<QTreeWidget*>(QStringLiteral("ListView1")); }
    void clickRow(int row) {
        const QRect rect = list()->visualItemRect(list()->topLevelItem(row));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void press(const char* button) { window->findChild<QPushButton*>(QString::fromLatin1(button))->click(); }
    bool gone() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window.isNull();
    }
};

TEST(frmAuswahl, ListsTheDrivesAndHandsBackTheFirstWhenNothingWasPicked) {
    Picker p;
    EXPECT_EQ(p.window->windowTitle(), QStringLiteral("USB Stick Tool"));
    EXPECT_FALSE(p.window->windowIcon().isNull());
    EXPECT_TRUE(p.window->isWindow());
    EXPECT_EQ(p.window->parentWidget(), &p.owner);
    EXPECT_FALSE(p.window->isModal());

    QTreeWidget* list = p.list();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), kFirst);
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("NORVANE"));
    EXPECT_EQ(list->topLevelItem(1)->text(0), kSecond);
    EXPECT_EQ(list->topLevelItem(1)->text(1), QString());

    p.press("cmdOK");
    EXPECT_EQ(p.drive.chosen, QStringList{kFirst});
    EXPECT_TRUE(p.gone());
}

TEST(frmAuswahl, OnlyVerwendenHandsBackThePickedRow) {
    struct Row {
        const char* name;
        std::function<void(Picker&)> finish;
        QStringList chosen;
    };
    const Row rows[] = {
        {"Verwenden", [](Picker& p) { p.press("cmdOK"); }, {kSecond}},
        {"Abbruch", [](Picker& p) { p.press("cmdCancel"); }, {}},
        {"close box", [](Picker& p) { p.window->close(); }, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Picker p;
        p.clickRow(1);
        EXPECT_EQ(p.window->ChosenDrive(), kSecond);
        row.finish(p);
        EXPECT_EQ(p.drive.chosen, row.chosen);
        EXPECT_TRUE(p.gone());
    }
}

TEST(frmAuswahl, HandsBackOnceEvenWhenClickedAgainWhileTheDriveIsTakenIntoUse) {
    Picker p;
    bool aliveWhileChoosing = false;
    p.drive.whileChoosing = [&] {
        // A message box of the stick detection runs events: more clicks arrive.
        p.press("cmdOK");
        p.window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        aliveWhileChoosing = !p.window.isNull();
    };
    p.press("cmdOK");
    EXPECT_EQ(p.drive.chosen, QStringList{kFirst});
    EXPECT_TRUE(aliveWhileChoosing);
    EXPECT_TRUE(p.gone());
}

TEST(frmAuswahl, ColumnsKeepTheirWidthsAndReadAsANamedTable) {
    Picker p;
    QHeaderView& header = *p.list()->header();
    const int drivePixels = twipsToPixels(1800, p.window->logicalDpiX());
    const int namePixels = twipsToPixels(2000, p.window->logicalDpiX());
    EXPECT_EQ(twipsToPixels(1800, 96), 120);
    EXPECT_EQ(twipsToPixels(2000, 144), 200);

    test::dragDivider(header, 0, 50);
    test::doubleClickDivider(header, 0);
    test::dragDivider(header, 1, -40);
    EXPECT_EQ(header.sectionSize(0), drivePixels);
    EXPECT_EQ(header.sectionSize(1), namePixels);

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(p.list());
    ASSERT_NE(accessible, nullptr);
    EXPECT_TRUE(accessible->role() == QAccessible::Tree || accessible->role() == QAccessible::Table);
    QAccessibleTableInterface* table = accessible->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columnCount(), 2);
    EXPECT_EQ(table->columnDescription(0), QStringLiteral("Laufwerksbuchstabe"));
    EXPECT_EQ(table->columnDescription(1), QStringLiteral("Laufwerksbezeichnung"));
    EXPECT_EQ(table->rowCount(), 2);
}

} // namespace
} // namespace norvane
