#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>

class Dictionary;
class Shell;

// The splash window. At start-up it hands over to the main window after 1000 ms or when a
// mouse button is released over it, whichever comes first, and only once. As the About box
// it shows "Click HERE to Hide" and stays until it is clicked.
class Splash : public QDialog
{
    Q_OBJECT

public:
    enum class Role { StartUp, About };

    Splash(const Dictionary &dictionary, Shell &shell, std::function<void()> showMainWindow,
        Role role = Role::StartUp, QWidget *parent = nullptr);

    bool isTimerActive() const { return m_timer1.isActive(); }
    // Puts the window in the middle of the screen.
    void centreOn(const QScreen *screen);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    // A dialog to the desktop's screen readers, closed only by a click, not by Escape.
    void closeEvent(QCloseEvent *event) override { QWidget::closeEvent(event); }
    void reject() override { }

private:
    void ShowMainWindow();

    std::function<void()> m_showMainWindow;
    QTimer m_timer1;
    bool m_handedOver = false;
};
