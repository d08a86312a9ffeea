#include "widgets/PictureBox.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QResizeEvent>
#include <cmath>

namespace norvane {

namespace {

QColor toQColor(quint32 colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

} // namespace

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
    m_picture = blankPicture();
}

QColor PictureBox::background() const {
    return palette().color(backgroundRole());
}

QImage PictureBox::blankPicture() const {
    // Drawn at the screen's pixel density so that text stays sharp when scaled.
    const qreal ratio = devicePixelRatioF();
    const QSize size = contentsRect().size().expandedTo(QSize(0, 0));
    QImage picture(size * ratio, QImage::Format_RGB32);
    picture.setDevicePixelRatio(ratio);
    picture.fill(background());
    return picture;
}

void PictureBox::Cls() {
    m_picture = blankPicture();
    m_currentX = 0;
    m_currentY = 0;
    setAccessibleDescription(QString());
    update();
}

float PictureBox::ScaleWidth() const {
    return static_cast<float>(contentsRect().width());
}

float PictureBox::ScaleHeight() const {
    return static_cast<float>(contentsRect().height());
}

void PictureBox::Line(float x1, float y1, float x2, float y2, quint32 colour) {
    QPainter painter(&m_picture);
    painter.fillRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized(), toQColor(colour));
    update();
}

float PictureBox::TextWidth(const QString& text) const {
    return static_cast<float>(QFontMetricsF(font(), this).horizontalAdvance(text));
}

float PictureBox::TextHeight(const QString&) const {
    return static_cast<float>(QFontMetricsF(font(), this).height());
}

qint64 PictureBox::Point(float x, float y) const {
    const qreal ratio = m_picture.devicePixelRatio();
    const QPoint pixel(static_cast<int>(std::floor(x * ratio)), static_cast<int>(std::floor(y * ratio)));
    if (x < 0 || y < 0 || !m_picture.valid(pixel))
        return -1;
    const QRgb rgb = m_picture.pixel(pixel);
    return qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb);
}

void PictureBox::Print(const QString& text) {
    QPainter painter(&m_picture);
    painter.setFont(font());
    painter.setPen(toQColor(m_foreColor));
    const QFontMetricsF metrics(font(), this);
    painter.drawText(QPointF(m_currentX, m_currentY + metrics.ascent()), text);
    m_currentX = 0;
    m_currentY += static_cast<float>(metrics.height());
    update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), m_picture);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    if (m_picture.deviceIndependentSize().toSize() == contentsRect().size())
        return;
    QImage larger = blankPicture();
    QPainter(&larger).drawImage(QPointF(0, 0), m_picture);
    m_picture = larger;
    Q_EMIT resized();
}

} // namespace norvane
