#pragma once

#include <QLineEdit>

#include <optional>

// A record field: tells why it got the focus, when it is clicked and when the mouse moves
// over it. A selection
// that entering the field made (the "http://" prompt of an empty Path) survives the click
// that entered it.
class FieldEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit FieldEdit(QWidget *parent = nullptr);
    // A secret's selected text is kept out of the primary selection, which a middle click
    // pastes anywhere and clipboard managers keep.
    void setSecret(bool secret) { m_secret = secret; }

signals:
    void entered(Qt::FocusReason reason);
    void clicked();
    void mouseMoved();

protected:
    bool event(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    struct Selection
    {
        int start;
        int length;
    };
    std::optional<Selection> m_selectionToKeep;
    bool m_secret = false;
};
