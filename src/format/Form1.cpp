#include "format/Form1.h"

#include "app/messages/FormatMessages.h"
#include "format/ConsoleRunner.h"
#include "format/DiskLine.h"
#include "platform/Dialogs.h"
#include "platform/Text.h"
#include "platform/drives/Drives.h"
#include "platform/process/ConsoleProcess.h"
#include "platform/process/Groups.h"
#include "ui_Form1.h"
#include "widgets/WindowPlacement.h"

#include <QCloseEvent>
#include <QDir>
#include <QTimer>

namespace norvane {

namespace {

constexpr int kSearchIntervalMs = 4000;

QString withTrailingSeparator(const QString& folder) {
    return folder.endsWith(u'/') || folder.endsWith(QDir::separator()) ? folder : folder + QDir::separator();
}

} // namespace

Form1::Form1(Form1Services services, QWidget* owner)
    : QWidget(owner, Qt::Window), m_services(std::move(services)), ui(std::make_unique<Ui::Form1>()) {
    ui->setupUi(this);
    openOverOwner(*this);
    // Designer keeps whole points only; the headings are 14.25 and 9.75 points.
    QFont heading = ui->Label1->font();
    heading.setPointSizeF(14.25);
    ui->Label1->setFont(heading);
    QFont stepHeading = ui->Label3->font();
    stepHeading.setPointSizeF(9.75);
    ui->Label3->setFont(stepHeading);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(size());

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kSearchIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(ui->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);

    Form_Load();
    Timer1->start();
}

Form1::~Form1() = default;

bool Form1::IsUserAdmin() const {
    return m_services.isUserAdmin ? m_services.isUserAdmin() : platform::currentUserIsAdministrator();
}

void Form1::Form_Load() {
    showStep1();
}

void Form1::showStep1() {
    m_WizardStep = 0;
    ui->Label3->setText(messages::formatStepHeading(1));
    ui->Label2->setText(messages::formatStepText(1));
    ui->Command1->setEnabled(true);
    ui->Command2->setEnabled(false);
}

void Form1::Command2_Click() {
    // The drive found stays in NewDrive until the next search replaces it.
    showStep1();
}

void Form1::Timer1_Timer() {
    if (m_WizardStep != 1)
        return;
    const std::optional<platform::DriveRecord> found = m_snapshot.FindNewFixedDrive(m_services.drives);
    if (!found)
        return;
    m_NewDrive = fixedDriveDesignation(found->root);
    m_WizardStep = 2;
    m_diskLine = diskLine(*found);
    ui->Label3->setText(messages::formatStepHeading(3));
    ui->Label2->setText(messages::formatStepText(3, m_NewDrive, m_diskLine));
    ui->Command1->setEnabled(true);
}

void Form1::Command1_Click() {
    // Message boxes and the formatter's run let events through; a press that
    // arrives meanwhile must not ask again or start a second format.
    if (m_busy)
        return;
    const QString folder = withTrailingSeparator(m_services.programFolder);

    if (!IsUserAdmin()) {
        messages::showOn(m_services.dialogs, messages::formatNeedsAdministrator());
        finish();
        return;
    }

    if (m_WizardStep == 0) {
        m_snapshot.SnapshotFixedDrives(m_services.drives);
        m_WizardStep = 1;
        ui->Label3->setText(messages::formatStepHeading(2));
        ui->Label2->setText(messages::formatStepText(2));
        ui->Command1->setEnabled(false);
        ui->Command2->setEnabled(true);
        return;
    }
    if (m_WizardStep == 2)
        runFormat(folder);
}

void Form1::runFormat(const QString& folder) {
    const QString drive = m_NewDrive;
    m_busy = true;
    const platform::MessageResult answer =
        messages::showOn(m_services.dialogs, messages::formatConfirmation(drive, m_diskLine));
    // The user may have gone back while the question was open.
    if (answer != platform::MessageResult::Ok || m_WizardStep != 2) {
        m_busy = false;
        return;
    }

    ui->Command1->setEnabled(false);
    ui->Command2->setEnabled(false);
    const QString output =
        RunConsoleCommand(console(), m_services.dialogs, folder + QString::fromLatin1(kFormatterProgram),
                          {QStringLiteral("-c64"), drive});
    const bool done = output.contains(QStringLiteral("Done"), Qt::CaseSensitive);
    messages::showOn(m_services.dialogs, messages::formatResult(done));
    m_busy = false;
    finish();
}

void Form1::finish() {
    close();
    if (QWidget* owner = parentWidget()) {
        owner->show();
        owner->activateWindow();
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing in the middle of a format would pull the window from under the run.
    if (m_busy) {
        event->ignore();
        return;
    }
    Timer1->stop();
    event->accept();
}

platform::ConsoleProcess& Form1::console() {
    if (m_services.console)
        return *m_services.console;
    if (!m_ownConsole)
        m_ownConsole = std::make_unique<platform::QtConsoleProcess>();
    return *m_ownConsole;
}

} // namespace norvane
