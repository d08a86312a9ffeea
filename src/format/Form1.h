#pragma once
// The FAT32 format wizard: in three steps it finds the USB hard disk the user
// attaches (a fixed drive on a hot-pluggable disk that was not there before),
// names it by maker, model, size and label, and runs the formatting program on
// it. Modeless, owned by the main window.

#include "format/FixedDrives.h"

#include <QWidget>
#include <functional>
#include <memory>

class QTimer;

namespace Ui {
class Form1;
}

namespace norvane {

namespace platform {
class ConsoleProcess;
class Dialogs;
class Drives;
} // namespace platform

struct Form1Services {
    platform::Drives& drives;
    platform::Dialogs& dialogs;
    // The program folder, where the formatting program lies.
    QString programFolder;
    // Runs the formatting program; null: a real child process.
    platform::ConsoleProcess* console = nullptr;
    // Answers the administrator check; empty: the user's group membership.
    std::function<bool()> isUserAdmin = {};
};

// The formatting program in the program folder.
inline constexpr const char* kFormatterProgram = "fat32format";

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Form1Services services, QWidget* owner = nullptr);
    ~Form1() override;

    bool IsUserAdmin() const;
    // The search for the attached disk, every 4 seconds in step 2.
    void Timer1_Timer();

    qint16 WizardStep() const { return m_WizardStep; }
    const QString& NewDrive() const { return m_NewDrive; }
    // True from the confirmation of a format until its result has been told.
    bool formatRunning() const { return m_busy; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void showStep1();
    void runFormat(const QString& folder);
    void finish();
    platform::ConsoleProcess& console();

    Form1Services m_services;
    std::unique_ptr<Ui::Form1> ui;
    std::unique_ptr<platform::ConsoleProcess> m_ownConsole;
    QTimer* Timer1 = nullptr;
    FixedDriveSnapshot m_snapshot;
    qint16 m_WizardStep = 0;
    QString m_NewDrive;
    QString m_diskLine; // names the disk found, for step 3 and the confirmation
    bool m_busy = false;
};

} // namespace norvane
