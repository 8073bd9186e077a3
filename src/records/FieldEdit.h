#pragma once

#include <QLineEdit>
#include <QSet>

// A record field: tells when it is entered and when a key is released in it, and turns any
// line break put into it into a single space, so that a record stays one line.
// pressedHere is false for a release whose press went elsewhere, such as the Return that
// closed a message box.
class FieldEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit FieldEdit(QWidget *parent = nullptr);

signals:
    void entered();
    void keyReleased(int key, bool pressedHere);
    void mouseMoved();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void joinLines();

    QSet<int> m_pressedKeys;
};
