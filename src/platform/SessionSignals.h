#pragma once

#include <QObject>

class QDBusPendingCallWatcher;

// The session's moments to lock the window, heard on D-Bus: the screen saver turning on
// (org.freedesktop.ScreenSaver, or GNOME's) on the session bus; logind locking this session,
// or the machine going to sleep, on the system bus. A bus or a logind that is not there is
// passed over without a word.
class SessionSignals : public QObject
{
    Q_OBJECT

public:
    explicit SessionSignals(QObject *parent = nullptr);

signals:
    void locking();

private slots:
    void screenSaverChanged(bool active);
    void preparingForSleep(bool sleeping);
    void sessionLocked();

private:
    // Asks logind for this session's object by the manager's method, then listens to it.
    void findSession(const QString &method, const QVariant &argument);
    void sessionFound(QDBusPendingCallWatcher *call, bool byProcess);
};
