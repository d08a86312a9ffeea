#pragma once
// One panel of the main window's status bar: an optional small picture, a text
// and a tool tip. The panel is greyed when disabled.

#include <QWidget>

class QLabel;

namespace norvane {

class StatusPanel : public QWidget {
    Q_OBJECT
public:
    explicit StatusPanel(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const;
    void setPicture(const QPixmap& picture);
    bool hasPicture() const;

private:
    QLabel* m_picture;
    QLabel* m_text;
};

} // namespace norvane
