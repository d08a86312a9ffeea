#pragma once
// The main window: layout from frmMain.ui, the control arrays, start-up and the
// event handlers. Handlers stay short and hand the work to the logic folders.

#include "app/MainWindowServices.h"
#include "update/Download.h"
#include "update/ServerFiles.h"
#include "update/StatusSink.h"

#include <QMainWindow>
#include <array>
#include <memory>

class QLabel;
class QTimer;

namespace Ui {
class frmMain;
}

namespace norvane {

class OptionButton;
class StatusPanel;
class cDrive;
namespace platform {
class Dialogs;
}

class frmMain : public QMainWindow, private StatusSink {
    Q_OBJECT
public:
    explicit frmMain(MainWindowServices services, QWidget* parent = nullptr);
    ~frmMain() override;

    // Downloads and files.
    QByteArray OpenURL(const QString& url, const QString& kind, int accessType);
    bool WriteFile(const QString& path, const QByteArray& content);

    // The one-shot start of the update search.
    void Timer1_Timer();

    // State of the window, read by the other windows and by tests.
    cDrive& drive() { return *m_drive; }
    qint16 SelFirm() const { return m_SelFirm; }
    qint16 SelSett() const { return m_SelSett; }
    const Catalogue& catalogue() const { return m_catalogue; }
    const std::array<QString, 6>& SettName() const { return m_SettName; }
    const std::array<QString, 5>& Reihenfolge() const { return m_Reihenfolge; }
    StatusPanel& statusPanel(int number) { return *m_panels.at(number - 1); }

private:
    void createControlArrays();
    void connectHandlers();
    void applyFonts();
    void showDecoration();

    // Start-up.
    void Form_Load();
    void LoadSettings();
    void HookWindow();

    // Update search, receiver and channel-list choice.
    void SearchUpdates();
    void showNews(const QByteArray& body);
    void takeCatalogue(const QByteArray& body);
    void preselectReceiver(int row);
    void showReceiverPicture(int row);
    void reportNoConnection();
    void reportOutdated();
    void Firm_Option_Click(int index);
    void Sett_Option_Click(int index);
    void Cmdgarantiecheck_Click();
    void cmdtest_Click();

    // Stick panel.
    void cmbSize_Click();
    void chkAuto_Click();
    void SetLabelCap();

    void setStatus(int panel, const QString& text, const QString& toolTip);
    platform::Dialogs& dialogs();

    // StatusSink: the running status of package downloads.
    void showDownloadStatus(const QString& text, const QString& toolTip) override;
    void processPendingEvents() override;

    MainWindowServices m_services;
    std::unique_ptr<Ui::frmMain> ui;
    std::unique_ptr<platform::Dialogs> m_ownDialogs;
    std::unique_ptr<cDrive> m_drive;
    Downloader m_downloader;

    std::array<OptionButton*, 11> Firm_Option{};
    std::array<OptionButton*, 5> Sett_Option{};
    std::array<QLabel*, 4> lbl_news{};
    std::array<QLabel*, 3> lblSize{};
    std::array<StatusPanel*, 2> m_panels{};
    QTimer* Timer1 = nullptr;

    std::array<QString, 6> m_SettName;
    std::array<QString, 5> m_Reihenfolge;
    Catalogue m_catalogue;
    qint16 m_SelFirm = -1;
    qint16 m_SelSett = -1;
    bool m_AutoDetect = false;
};

} // namespace norvane
