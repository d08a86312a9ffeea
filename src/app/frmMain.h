#pragma once
// The main window: layout from frmMain.ui, the control arrays, start-up and the
// event handlers. Handlers stay short and hand the work to the logic folders.

#include "app/MainWindowServices.h"
#include "platform/Failure.h"
#include "signature/Manifest.h"
#include "signature/SignedServers.h"
#include "stick/StickView.h"
#include "update/Download.h"
#include "update/UpdateRunView.h"
#include "update/catalogue/ServerFiles.h"
#include "update/http/StatusSink.h"

#include <QMainWindow>
#include <QPointer>
#include <QThread>
#include <array>
#include <memory>

class QLabel;
class QProgressBar;
class QTimer;

namespace Ui {
class frmMain;
}

namespace norvane {

class OptionButton;
class StatusPanel;
class cDrive;
namespace messages {
struct Box;
struct PanelText;
} // namespace messages
namespace platform {
class Dialogs;
enum class MessageResult;
} // namespace platform

class basDeklare;
class UnzipDialogs;
class VBUnzBas;

class frmMain : public QMainWindow, private StatusSink, private StickView, private UpdateRunView {
    Q_OBJECT
public:
    explicit frmMain(MainWindowServices services, QWidget* parent = nullptr);
    ~frmMain() override;

    // A server file into memory (see Downloader): the transfer runs on a worker thread while
    // this window's thread waits in a local event loop.
    QByteArray OpenURL(const QString& url, const QString& kind, int accessType,
                       qint64 maxBytes = Downloader::kDefaultLimit);
    // Makes every running download return as failed, its temporary file removed.
    void cancelDownloads();

    // The one-shot start of the update search.
    void Timer1_Timer();

    // "Starte Update": fixes the plan from the choice and the stick and runs the update;
    // updateRunning() is true while one runs.
    void cmdChoose_Click();
    bool updateRunning() const { return m_updateRunning; }

    // State of the window, read by the other windows and by tests.
    cDrive& drive() { return *m_drive; }
    qint16 SelFirm() const { return m_SelFirm; }
    qint16 SelSett() const { return m_SelSett; }
    const Catalogue& catalogue() const { return m_catalogue; }
    // The verified list of digests of a signed server; nothing for an unsigned one.
    const std::optional<Manifest>& signedManifest() const { return m_signedManifest; }
    const std::array<QString, 6>& SettName() const { return m_SettName; }
    const std::array<QString, 5>& Reihenfolge() const { return m_Reihenfolge; }
    StatusPanel& statusPanel(int number) { return *m_panels.at(number - 1); }
    bool AutoDetect() const { return m_AutoDetect; }
    bool PathChanged() const { return m_PathChanged; }
    // Where the program settings are kept.
    QString settingsFile() const;

    // Stick panel operations other windows and the close use.
    void SetLabelCap();
    void SavePath();
    void SaveSettings();
    void Unload_Prog();
    // A device-change message from the platform, handed to the window procedure.
    void deviceChange(unsigned message, unsigned wParam);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControlArrays();
    void connectHandlers();
    void applyFonts();
    void showDecoration();

    // Start-up.
    void Form_Load();
    void LoadSettings();
    bool applySetting(const QString& key, const QString& value);
    void HookWindow();
    void detectAfterFirstPaint();
    void Form_QueryUnload();

    // Update search, receiver and channel-list choice.
    void SearchUpdates();
    void showNews(const QByteArray& body);
    void takeCatalogue(const QByteArray& body);
    void preselectReceiver(int row);
    void showReceiverPicture(int row);
    void reportNoConnection(const Failure& why = {});
    SignedServers loadSignedServers();
    void showSignature(const messages::PanelText& status);
    bool acceptServerFiles(SignedServers& signedServers, const QList<QPair<QString, QByteArray>>& files);
    void reportOutdated();
    void Firm_Option_Click(int index);
    void Sett_Option_Click(int index);
    void Cmdgarantiecheck_Click();
    void cmdtest_Click();

    // Stick panel.
    void cmbSize_Click();
    void chkAuto_Click();
    void cmdSearch_Click();
    void Command1_Click();
    void txtDT_Cap_Validate();
    void cmdOpen_Click();
    void cmdSaveOnStick_Click();
    void txtOpenPath_KeyPress();
    void cmdEject_Click();
    void showEjectOutcome(const Failure& failure);
    void updateEjectButton();
    // While the stick is ejected or renamed, "Benennen", "Auswerfen", "Inhalt anzeigen",
    // "USB-Stick finden / aktualisieren" and "Starte Update" are disabled; afterwards
    // each shows again what it would show without the wait.
    void setStickBusy(bool busy);
    // "Starte Update" enabled or not, as far as the stick's being busy allows.
    void setChooseEnabled(bool enabled);

    // StickView: the panel as the drive object fills it.
    void setDriveCaption(const QString& root) override;
    QString openPathText() const override;
    void setOpenPathText(const QString& text) override;
    void setVolumeLabelText(const QString& label) override;
    void setFileSystemText(const QString& fileSystem) override;
    void showStickFound(bool found, const QString& picturePath) override;
    // cmdChoose: enabled state and caption.
    void setUpdateButton(bool enabled, const QString& caption);
    // Panel 1 of the status bar: picture file, text, enabled state, tool tip.
    void setStickStatus(const QString& picturePath, const QString& text, bool enabled,
                        const QString& toolTip);
    int unitPosition() const override;
    int unitPower() const override;
    void setSizeCaptions(const QString& total, const QString& free, const QString& used) override;
    void setSwatchColours(Rgb used, Rgb free) override;
    void showFillBar(int percent) override;
    void clearFillBar() override;
    void showDrivePicker() override;

    // UpdateRunView: what the update run shows.
    void refreshStickCapacity() override;
    bool windowClosed() const override;
    bool confirmUpdate(const QString& firmName, const QString& settName) override;
    void showRunPhase(RunPhase phase) override;
    void showRecovery(const Recovery& recovery) override;
    void showRunProgress(qint64 done, qint64 total) override;
    void hideRunProgress() override;
    void tellFailure(const Failure& failure, RunEnd end) override;
    void tellDownloadFailed(const QString& package, const Failure& failure) override;
    void tellDone() override;
    void openWebPage(const QString& url) override;

    void setStatus(int panel, const QString& text, const QString& toolTip);
    platform::Dialogs& dialogs();
    // Shows a box of the table of messages and returns the button pressed.
    platform::MessageResult showBox(const messages::Box& box);
    void recoverStick(const QString& root);

    // StatusSink: the running status of package downloads.
    void showDownloadStatus(PackageKind kind, int dots) override;
    // StatusSink and UpdateRunView.
    void processPendingEvents() override;

    MainWindowServices m_services;
    std::unique_ptr<Ui::frmMain> ui;
    std::unique_ptr<platform::Dialogs> m_ownDialogs;
    std::unique_ptr<cDrive> m_drive;
    std::unique_ptr<basDeklare> m_winProc;
    Downloader m_downloader;
    // One extraction object for the program run: a refused password stays refused.
    std::unique_ptr<UnzipDialogs> m_unzipDialogs;
    std::unique_ptr<VBUnzBas> m_unzip;

    std::array<OptionButton*, 11> Firm_Option{};
    std::array<OptionButton*, 5> Sett_Option{};
    std::array<QLabel*, 4> lbl_news{};
    std::array<QLabel*, 3> lblSize{};
    std::array<StatusPanel*, 3> m_panels{}; // stick state, running status, signature
    QProgressBar* m_runProgress = nullptr;
    QTimer* Timer1 = nullptr;

    std::array<QString, 6> m_SettName;
    std::array<QString, 5> m_Reihenfolge;
    Catalogue m_catalogue;
    std::optional<Manifest> m_signedManifest;
    qint16 m_SelFirm = -1;
    qint16 m_SelSett = -1;
    bool m_AutoDetect = false;
    bool m_PathChanged = false;
    bool m_closed = false;
    bool m_updateRunning = false;
    // The first stick detection waits for the first paint (detectDrivesAfterFirstPaint).
    bool m_detectionDeferred = false;
    bool m_stickShown = false;    // the panel shows a stick ("Auswerfen" may eject it)
    bool m_stickBusy = false;     // the stick is being ejected or renamed
    bool m_chooseEnabled = false; // what "Starte Update" shows once the stick is not busy
    int m_fillPercent = -1;       // the percent the fill bar shows; -1: cleared
    // The recovery of the stick last taken into use, while it runs.
    QPointer<QThread> m_stickRecovery;
    QString m_recoveredRoot;
};

} // namespace norvane
