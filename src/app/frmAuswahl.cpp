#include "app/frmAuswahl.h"
#include "ui_frmAuswahl.h"

#include "stick/cDrive.h"
#include "widgets/WindowPlacement.h"
#include "winproc/ListViewHook.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QIcon>
#include <QPointer>
#include <QScrollBar>
#include <cmath>

// The window icon is compiled into the static app library; registering it here
// lets the picker find it whichever window the program or a test builds first.
static void initPickerResources() {
    Q_INIT_RESOURCE(resources);
}

namespace norvane {

namespace {

constexpr int kDriveColumnTwips = 1800;
constexpr int kNameColumnTwips = 2000;

} // namespace

int twipsToPixels(int twips, double logicalDpi) {
    return static_cast<int>(std::nearbyint(twips * logicalDpi / 1440.0));
}

frmAuswahl::frmAuswahl(cDrive& drive, QWidget* owner)
    : QWidget(owner, Qt::Window), ui(std::make_unique<Ui::frmAuswahl>()), m_drive(drive) {
    initPickerResources();
    setAttribute(Qt::WA_DeleteOnClose);
    ui->setupUi(this);
    openOverOwner(*this);
    connect(ui->ListView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current)
            ListView1_ItemClick(current->text(0));
    });
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmAuswahl::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmAuswahl::cmdCancel_Click);
    Form_Load();
}

frmAuswahl::~frmAuswahl() = default;

void frmAuswahl::Form_Load() {
    setWindowIcon(QIcon(QStringLiteral(":/icons/103.png")));

    QTreeWidget* list = ui->ListView1;
    list->setColumnCount(2);
    list->setHeaderLabels({QStringLiteral("Laufwerksbuchstabe"), QStringLiteral("Laufwerksbezeichnung")});
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionResizeMode(QHeaderView::Fixed);
    const double dpi = logicalDpiX();
    header->resizeSection(0, twipsToPixels(kDriveColumnTwips, dpi));
    header->resizeSection(1, twipsToPixels(kNameColumnTwips, dpi));
    m_lv.FlatListView(*list);
    // The list is wide enough for both columns; nothing scrolls sideways.
    list->setMinimumWidth(header->length() + 2 * list->frameWidth() +
                          list->verticalScrollBar()->sizeHint().width());

    fillRows();
    winproc::HookListView(*list);
}

void frmAuswahl::fillRows() {
    QTreeWidget* list = ui->ListView1;
    {
        // Filling the list makes rows current; the choice starts at the first drive below.
        const QSignalBlocker quiet(list);
        list->clear();
        for (const platform::DriveRecord& volume : m_drive.listedVolumes()) {
            const QString drive = volume.root;
            auto* row = new QTreeWidgetItem({drive, volume.volume.label});
            // Long roots do not fit the fixed column; the tool tip shows them whole.
            row->setToolTip(0, drive);
            list->addTopLevelItem(row);
        }
        // The highlighted row and the drive handed back start out the same.
        if (list->topLevelItemCount() > 0)
            list->setCurrentItem(list->topLevelItem(0));
    }
    m_ChosenDrive = m_drive.p_GetDriveLetters(cDrive::kFirst);
}

void frmAuswahl::ListView1_ItemClick(const QString& drive) {
    m_ChosenDrive = drive;
}

void frmAuswahl::cmdOK_Click() {
    // Taking the stick into use may show a message box whose event loop takes
    // further clicks: the drive is handed back once, and the window stays until
    // the hand-back is over.
    if (m_handingBack)
        return;
    m_handingBack = true;
    ui->cmdOK->setEnabled(false);
    ui->cmdCancel->setEnabled(false);
    const QPointer<frmAuswahl> self(this);
    m_drive.ChooseUSB_Info(m_ChosenDrive);
    if (!self)
        return; // the owner went away meanwhile
    m_handingBack = false;
    close();
}

void frmAuswahl::cmdCancel_Click() {
    close();
}

void frmAuswahl::closeEvent(QCloseEvent* event) {
    if (m_handingBack) {
        event->ignore();
        return;
    }
    winproc::UnhookListView(*ui->ListView1);
    event->accept();
}

} // namespace norvane
