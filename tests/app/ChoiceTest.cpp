// Choosing receivers and channel lists after the search, and the warranty page.

#include "MainWindowFixture.h"
#include "support/Clicks.h"
#include "update/ServerUrls.h"
#include "widgets/OptionButton.h"

#include <QPushButton>
#include <QTest>

namespace norvane::test {
namespace {

class Choice : public MainWindowTest {
protected:
    void SetUp() override {
        // Receiver 0 has Österreich and Deutschland, receiver 1 only Österreich,
        // receiver 2 both again.
        serveSearch(
            "2.0", "a;b;c;d",
            catalogueOf({
                catalogueRow(QStringLiteral("A"), QStringLiteral("a.zip"),
                             {QStringLiteral("at_a.sdx"), QStringLiteral("de_a.sdx")}),
                catalogueRow(QStringLiteral("B"), QStringLiteral("b.zip"), {QStringLiteral("at_b.sdx")}),
                catalogueRow(QStringLiteral("C"), QStringLiteral("c.zip"),
                             {QStringLiteral("at_c.sdx"), QStringLiteral("de_c.sdx")}),
            }));
        searched().show();
    }
    OptionButton* receiver(int i) {
        return child<OptionButton>(qPrintable(QStringLiteral("Firm_Option_%1").arg(i)));
    }
    OptionButton* list(int i) {
        return child<OptionButton>(qPrintable(QStringLiteral("Sett_Option_%1").arg(i)));
    }
};

TEST_F(Choice, ChoosingAListShowsItsStateAndOrder) {
    clickIndicator(list(1));
    EXPECT_EQ(window().SelSett(), 1);
    EXPECT_TRUE(list(1)->isChecked());
    EXPECT_FALSE(list(0)->isChecked());
    EXPECT_EQ(text("lbl_settstand"), QStringLiteral("Stand: de_a.sdx vom A"));
    EXPECT_EQ(text("lbl_reihenfolge"), window().Reihenfolge()[1]);
}

TEST_F(Choice, AReceiverWithoutTheChosenListDropsIt) {
    clickIndicator(list(1));
    clickIndicator(receiver(1));
    EXPECT_EQ(window().SelFirm(), 1);
    EXPECT_FALSE(receiver(0)->isChecked());
    EXPECT_EQ(window().SelSett(), -1);
    EXPECT_FALSE(list(1)->isEnabled());
    EXPECT_FALSE(list(1)->isChecked());
    EXPECT_TRUE(list(0)->isEnabled());
    EXPECT_FALSE(list(0)->isChecked()) << "a receiver change never chooses a list";
    EXPECT_EQ(text("lbl_settstand"), QStringLiteral("Stand: Nicht verfügbar"));
    EXPECT_EQ(text("lbl_reihenfolge"), window().Reihenfolge()[1]);
    EXPECT_EQ(text("lbl_firmstand"), QStringLiteral("Stand: Stand B"));
}

TEST_F(Choice, AReceiverWithTheChosenListKeepsItAndItsLabel) {
    clickIndicator(list(1));
    clickIndicator(receiver(2));
    EXPECT_EQ(window().SelSett(), 1);
    EXPECT_TRUE(list(1)->isChecked());
    EXPECT_EQ(text("lbl_settstand"), QStringLiteral("Stand: de_a.sdx vom A"));
    EXPECT_EQ(text("lbl_Aenderung"), QStringLiteral("Änderungen C"));
}

TEST_F(Choice, ClickingTheChosenReceiverKeepsItChosen) {
    clickIndicator(receiver(0));
    EXPECT_TRUE(receiver(0)->isChecked());
    EXPECT_EQ(window().SelFirm(), 0);
}

TEST_F(Choice, WarrantyCheckOpensThePageOnTheServer) {
    QTest::mouseClick(child<QPushButton>("Cmdgarantiecheck"), Qt::LeftButton);
    EXPECT_EQ(shell.urls, QStringList{server.url() + QStringLiteral("/norv_grauimport_h.php")});
}

} // namespace
} // namespace norvane::test
