#pragma once

#include <QLineEdit>

// A record field: tells when it is entered and when a key is released in it, and turns any
// line break put into it into a single space, so that a record stays one line.
class FieldEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit FieldEdit(QWidget *parent = nullptr);

signals:
    void entered();
    void keyReleased(int key);
    void mouseMoved();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void joinLines();
};
