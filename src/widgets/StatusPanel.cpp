#include "widgets/StatusPanel.h"

#include <QHBoxLayout>
#include <QLabel>

namespace norvane {

StatusPanel::StatusPanel(QWidget* parent)
    : QWidget(parent), m_picture(new QLabel(this)), m_text(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(4);
    layout->addWidget(m_picture);
    layout->addWidget(m_text, 1);
    // A long text (the dots of a large download) is cut at the panel's edge; it never
    // widens the status bar and with it the window. The text still asks for its width,
    // so a panel beside a stretching one shows its whole text where there is room.
    m_text->setMinimumWidth(1);
    m_picture->hide();
}

void StatusPanel::setText(const QString& text) {
    m_text->setText(text);
}

QString StatusPanel::text() const {
    return m_text->text();
}

void StatusPanel::setPicture(const QPixmap& picture) {
    m_picture->setPixmap(picture);
    m_picture->setVisible(!picture.isNull());
}

bool StatusPanel::hasPicture() const {
    return !m_picture->pixmap().isNull();
}

} // namespace norvane
