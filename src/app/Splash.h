#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

class Dictionary;

// The splash window: shown at start-up, it hands over to the main window after 1000 ms or
// when a mouse button is released over it, whichever comes first, and only once.
class Splash : public QWidget
{
    Q_OBJECT

public:
    Splash(const Dictionary &dictionary, std::function<void()> showMainWindow,
        QWidget *parent = nullptr);

    bool isTimerActive() const { return m_timer1.isActive(); }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void ShowMainWindow();

    std::function<void()> m_showMainWindow;
    QTimer m_timer1;
    bool m_handedOver = false;
};
