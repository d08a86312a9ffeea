#pragma once
// The drive picker: opened when several removable drives were found, it lists
// them with their volume names and hands the one the user picks back to the
// drive object. A modeless window owned by the main window; it deletes itself
// when closed.

#include "widgets/cLV.h"

#include <QWidget>
#include <memory>

class QCloseEvent;

namespace Ui {
class frmAuswahl;
}

namespace norvane {

class cDrive;

class frmAuswahl : public QWidget {
    Q_OBJECT
public:
    frmAuswahl(cDrive& drive, QWidget* owner);
    ~frmAuswahl() override;

    // The drive "Verwenden" hands back: the first drive until the user picks a row.
    QString ChosenDrive() const { return m_ChosenDrive; }
    // Lists the drive object's drives afresh, the choice back at the first of them; the
    // window of a fresh enumeration while the picker is open.
    void fillRows();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void ListView1_ItemClick(const QString& drive);
    void cmdOK_Click();
    void cmdCancel_Click();

    std::unique_ptr<Ui::frmAuswahl> ui;
    cDrive& m_drive;
    cLV m_lv;
    QString m_ChosenDrive;
    bool m_handingBack = false;
};

// Pixels for a length in twips (1440 to the inch) at the screen's logical dpi;
// 15 twips make one pixel at 96 dpi.
int twipsToPixels(int twips, double logicalDpi);

} // namespace norvane
