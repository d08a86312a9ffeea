#include "app/frmMain.h"
#include "platform/WorkerThread.h"

#include "app/MainTables.h"
#include "app/MainWindowFonts.h"
#include "app/UnzipDialogs.h"
#include "app/messages/Messages.h"
#include "platform/desktop/QtDialogs.h"
#include "platform/drives/DeviceEvents.h"
#include "stick/cDrive.h"
#include "ui_frmMain.h"
#include "unzip/VBUnzBas.h"
#include "widgets/Accessibility.h"
#include "widgets/OptionButton.h"
#include "widgets/PictureBox.h"
#include "widgets/StatusPanel.h"
#include "winproc/basDeklare.h"

#include <QImageReader>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QTimer>

// The window's pictures are compiled into the static app library; the linker
// keeps them only when they are registered by name.
static void initMainWindowResources() {
    Q_INIT_RESOURCE(resources);
}

namespace norvane {

namespace {

constexpr int kSearchDelayMs = 4000;

// A PNG of the window's resources, read by Qt's own PNG reader. Left to guess the format,
// the image reader first offers the file to every image-format plugin, loading each plugin
// and the libraries behind it (JPEG, GIF, ...) before the window can be shown.
QPixmap resourcePng(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace

frmMain::frmMain(MainWindowServices services, QWidget* parent)
    : QMainWindow(parent), m_services(std::move(services)), ui(std::make_unique<Ui::frmMain>()),
      m_downloader(static_cast<StatusSink&>(*this), m_services.transferLimits) {
    initMainWindowResources();
    ui->setupUi(this);
    createControlArrays();
    applyFonts();
    showDecoration();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kSearchDelayMs);
    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);

    connectHandlers();
    Form_Load();
    Timer1->start();
}

frmMain::~frmMain() {
    if (m_stickRecovery)
        m_stickRecovery->wait();
    if (m_winProc)
        m_winProc->WindowProc(WM_DESTROY, 0, 0);
}

void frmMain::createControlArrays() {
    Firm_Option = {ui->Firm_Option_0, ui->Firm_Option_1, ui->Firm_Option_2, ui->Firm_Option_3,
                   ui->Firm_Option_4, ui->Firm_Option_5, ui->Firm_Option_6, ui->Firm_Option_7,
                   ui->Firm_Option_8, ui->Firm_Option_9, ui->Firm_Option_10};
    Sett_Option = {ui->Sett_Option_0, ui->Sett_Option_1, ui->Sett_Option_2, ui->Sett_Option_3,
                   ui->Sett_Option_4};
    lbl_news = {ui->lbl_news_0, ui->lbl_news_1, ui->lbl_news_2, ui->lbl_news_3};
    lblSize = {ui->lblSize_0, ui->lblSize_1, ui->lblSize_2};

    // The status bar's panels: the stick state, the running status, and whether the
    // server's files are signed.
    for (int i = 0; i < int(m_panels.size()); ++i) {
        m_panels[i] = new StatusPanel(ui->StatusBar1);
        m_panels[i]->setObjectName(QStringLiteral("StatusBar1_Panel%1").arg(i + 1));
        ui->StatusBar1->addWidget(m_panels[i], i == 1 ? 1 : 0);
    }
    m_panels[0]->setMinimumWidth(220);
    // How far a package download or the unpacking is, beside the running status.
    m_runProgress = new QProgressBar(ui->StatusBar1);
    m_runProgress->setObjectName(QStringLiteral("runProgress"));
    m_runProgress->setTextVisible(false);
    m_runProgress->setMaximumWidth(200);
    m_runProgress->setAccessibleName(QStringLiteral("Fortschritt"));
    m_runProgress->hide();
    ui->StatusBar1->addPermanentWidget(m_runProgress);

    // Captions name the field next to them, for keyboard and screen-reader users.
    ui->Label1->setBuddy(ui->txtDT_Cap);
    ui->Label11->setBuddy(ui->cmbSize);
    ui->Label7->setBuddy(ui->txtOpenPath);

    // Labels that show values are read by their text, or by the caption beside
    // them while empty, never by the title of their frame.
    markValueLabel(ui->lblLW, ui->Label12->text());
    markValueLabel(ui->lblHDSize, ui->Label4->text());
    markValueLabel(ui->lblHDUsed, ui->Label9->text());
    markValueLabel(ui->lblHDFree, ui->Label3->text());
    markValueLabel(ui->lblLWx, ui->Label8->text());
    for (QLabel* label : {ui->lbl_firmstand, ui->lbl_Aenderung, ui->lbl_settstand, ui->lbl_reihenfolge})
        markValueLabel(label);
    for (QLabel* label : lbl_news)
        markValueLabel(label);
}

void frmMain::connectHandlers() {
    for (int i = 0; i < int(Firm_Option.size()); ++i)
        connect(Firm_Option[i], &OptionButton::selected, this, [this, i] { Firm_Option_Click(i); });
    for (int i = 0; i < int(Sett_Option.size()); ++i)
        connect(Sett_Option[i], &OptionButton::selected, this, [this, i] { Sett_Option_Click(i); });
    connect(ui->Cmdgarantiecheck, &QPushButton::clicked, this, &frmMain::Cmdgarantiecheck_Click);
    connect(ui->cmdtest, &QPushButton::clicked, this, &frmMain::cmdtest_Click);
    connect(ui->cmbSize, &QComboBox::currentIndexChanged, this, &frmMain::cmbSize_Click);
    connect(ui->chkAuto, &QCheckBox::stateChanged, this, &frmMain::chkAuto_Click);
    connect(ui->cmdSearch, &QPushButton::clicked, this, &frmMain::cmdSearch_Click);
    connect(ui->Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(ui->cmdEject, &QPushButton::clicked, this, &frmMain::cmdEject_Click);
    connect(ui->cmdOpen, &QPushButton::clicked, this, &frmMain::cmdOpen_Click);
    connect(ui->cmdSaveOnStick, &QPushButton::clicked, this, &frmMain::cmdSaveOnStick_Click);
    connect(ui->cmdChoose, &QPushButton::clicked, this, &frmMain::cmdChoose_Click);
    // The bar fills its box: drawn again at the box's new size.
    connect(ui->Picture1, &PictureBox::resized, this, [this] {
        if (m_fillPercent >= 0)
            showFillBar(m_fillPercent);
    });
    ui->txtOpenPath->installEventFilter(this);
    ui->txtDT_Cap->installEventFilter(this);
}

void frmMain::applyFonts() {
    const MainWindowFonts fonts = mainWindowFonts();
    for (QLabel* label : {ui->Label16, ui->Label17, ui->Label18, ui->Label19, ui->Label21})
        label->setFont(fonts.news);
    for (QLabel* label : lbl_news)
        label->setFont(fonts.news);
    ui->lbl_reihenfolge->setFont(fonts.order);
    ui->Label10->setFont(fonts.slogan);
}

void frmMain::showDecoration() {
    const auto show = [](QLabel* image, const char* resource) {
        image->setPixmap(resourcePng(QString::fromLatin1(resource)));
    };
    show(ui->Image2, ":/pictures/image2.png");
    show(ui->Image3, ":/pictures/image3.png");
    show(ui->Image4, ":/pictures/image4.png");
    show(ui->Image5, ":/pictures/image5.png");
}

void frmMain::Form_Load() {
    m_drive = std::make_unique<cDrive>(
        m_services.drives, StickPanel{static_cast<StickView&>(*this), m_services.ini, m_services.shell,
                                      m_services.programFolder, messages::removableDriveText()});
    m_winProc = std::make_unique<basDeklare>(*m_drive, [this] { return m_AutoDetect; });
    m_unzipDialogs = std::make_unique<UnzipDialogs>(dialogs());
    m_unzip = std::make_unique<VBUnzBas>(*m_unzipDialogs);
    m_SettName = settNames();
    m_Reihenfolge = reihenfolgen();
    m_SelFirm = -1;
    m_SelSett = -1;
    setWindowTitle(mainWindowCaption());
    m_detectionDeferred = m_services.detectDrivesAfterFirstPaint;
    if (m_detectionDeferred)
        installEventFilter(this); // waits for the first paint

    // The item data is the power of 1024 by which sizes are divided for display.
    {
        // Filling a combo box selects its first item on its own; the handler
        // must run once, for the explicit selection below.
        const QSignalBlocker quiet(ui->cmbSize);
        ui->cmbSize->addItem(QStringLiteral("MB"), 2);
        ui->cmbSize->addItem(QStringLiteral("GB"), 3);
        ui->cmbSize->setCurrentIndex(-1);
    }
    ui->cmbSize->setCurrentIndex(0); // runs the unit handler: the first stick detection

    LoadSettings();
    setWindowIcon(QIcon(resourcePng(QStringLiteral(":/icons/103.png"))));
    HookWindow();

    setStatus(2, QStringLiteral("Suche nach Updates..."), QStringLiteral("Updates werden gesucht."));
    ui->cmdChoose->setText(QStringLiteral("Suche Updates..."));
    setChooseEnabled(false);
}

void frmMain::HookWindow() {
    m_winProc->HookWindow();
    if (m_services.deviceEvents)
        m_winProc->listenTo(*m_services.deviceEvents, *this);
}

// The unit handlers of the load have run without detecting; the detection they would have
// run happens once, now that the window is on screen. In the load it came before the
// window was put into its searching state, so it leaves the update button as it finds it:
// the search, not the stick found here, makes "Starte Update" clickable.
void frmMain::detectAfterFirstPaint() {
    if (!m_detectionDeferred)
        return;
    m_detectionDeferred = false;
    removeEventFilter(this);
    if (m_drive->p_GetDriveLetters(cDrive::kFirst).isEmpty()) {
        const bool enabled = ui->cmdChoose->isEnabled();
        const QString caption = ui->cmdChoose->text();
        m_drive->detectStick();
        setUpdateButton(enabled, caption);
    }
    SetLabelCap();
}

void frmMain::deviceChange(unsigned message, unsigned wParam) {
    m_winProc->WindowProc(message, wParam, 0);
}

void frmMain::Timer1_Timer() {
    // The search runs once per program run, however it ends.
    Timer1->stop();
    // A window not painted yet: the search finds the stick the load would have found.
    detectAfterFirstPaint();
    SearchUpdates();
}

QByteArray frmMain::OpenURL(const QString& url, const QString& kind, int accessType, qint64 maxBytes) {
    return m_downloader.OpenURL(url, kind, accessType, maxBytes);
}

void frmMain::cancelDownloads() {
    m_downloader.cancelAll();
}

void frmMain::setStatus(int panel, const QString& text, const QString& toolTip) {
    StatusPanel& target = statusPanel(panel);
    target.setText(text);
    target.setEnabled(true);
    target.setToolTip(toolTip);
}

void frmMain::showDownloadStatus(PackageKind kind, int dots) {
    const messages::PanelText said = messages::downloadStatus(kind, dots);
    setStatus(2, said.text, said.toolTip);
}

void frmMain::processPendingEvents() {
    platform::runPendingEvents();
}

platform::MessageResult frmMain::showBox(const messages::Box& box) {
    return messages::showOn(dialogs(), box);
}

platform::Dialogs& frmMain::dialogs() {
    if (m_services.dialogs)
        return *m_services.dialogs;
    if (!m_ownDialogs)
        m_ownDialogs = std::make_unique<platform::QtDialogs>(this);
    return *m_ownDialogs;
}

} // namespace norvane
