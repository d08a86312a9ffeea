#pragma once
// A picture box: a framed area with a persistent picture that code draws into
// with the classic operations (clear, filled boxes, text at a current position,
// reading a point). What is drawn stays on screen until the next clear; nothing
// has to be redrawn on repaint.
//
// Positions and sizes are in the box's own pixels, inside its frame. Colours are
// 0x00BBGGRR values (red in the lowest byte).

#include <QFrame>
#include <QImage>

namespace norvane {

class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Fills the picture with the background colour, moves the current position
    // to 0, 0 and drops the accessible description of what was shown.
    void Cls();

    // The drawable size inside the frame.
    float ScaleWidth() const;
    float ScaleHeight() const;

    // A filled box from (x1, y1) up to, not including, (x2, y2) in one colour.
    void Line(float x1, float y1, float x2, float y2, quint32 colour);

    // Size of a text in the box's font.
    float TextWidth(const QString& text) const;
    float TextHeight(const QString& text) const;

    // Where the next printed text starts (its top-left corner).
    float CurrentX() const { return m_currentX; }
    void CurrentX(float x) { m_currentX = x; }
    float CurrentY() const { return m_currentY; }
    void CurrentY(float y) { m_currentY = y; }

    // The colour at a position, or -1 outside the picture.
    qint64 Point(float x, float y) const;

    // The colour of printed text.
    quint32 ForeColor() const { return m_foreColor; }
    void ForeColor(quint32 colour) { m_foreColor = colour; }

    // Writes a text at the current position and moves the position below it.
    void Print(const QString& text);

    // The persistent picture as it is shown.
    const QImage& picture() const { return m_picture; }

Q_SIGNALS:
    // The drawable size changed. The picture keeps what was drawn (new area in the
    // background colour); whoever drew a size-dependent picture may draw it again.
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage blankPicture() const;
    QColor background() const;

    QImage m_picture;
    float m_currentX = 0;
    float m_currentY = 0;
    quint32 m_foreColor = 0x000000;
};

} // namespace norvane
