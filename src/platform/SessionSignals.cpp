#include "SessionSignals.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString login = QStringLiteral("org.freedesktop.login1");
const QString loginPath = QStringLiteral("/org/freedesktop/login1");
const QString loginManager = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

SessionSignals::SessionSignals(QObject *parent)
    : QObject(parent)
{
    // From any sender and path: screen savers differ in both.
    QDBusConnection session = QDBusConnection::sessionBus();
    for (const char *screenSaver : {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver"})
        session.connect(QString(), QString(), QString::fromLatin1(screenSaver),
            QStringLiteral("ActiveChanged"), this, SLOT(screenSaverChanged(bool)));
    QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected())
        return;
    system.connect(login, loginPath, loginManager, QStringLiteral("PrepareForSleep"), this,
        SLOT(preparingForSleep(bool)));
    findSession(QStringLiteral("GetSessionByPID"), quint32(QCoreApplication::applicationPid()));
}

void SessionSignals::findSession(const QString &method, const QVariant &argument)
{
    QDBusMessage call = QDBusMessage::createMethodCall(login, loginPath, loginManager, method);
    call << argument;
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), this);
    const bool byProcess = argument.typeId() == QMetaType::UInt;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [this, byProcess](QDBusPendingCallWatcher *answer) { sessionFound(answer, byProcess); });
}

// A process outside any session (started by a service) still has the one the environment
// names.
void SessionSignals::sessionFound(QDBusPendingCallWatcher *call, bool byProcess)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    if (reply.isValid()) {
        QDBusConnection::systemBus().connect(login, reply.value().path(),
            QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Lock"), this,
            SLOT(sessionLocked()));
        return;
    }
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    if (byProcess && !id.isEmpty())
        findSession(QStringLiteral("GetSession"), id);
}

void SessionSignals::screenSaverChanged(bool active)
{
    if (active)
        emit locking();
}

void SessionSignals::preparingForSleep(bool sleeping)
{
    if (sleeping)
        emit locking();
}

void SessionSignals::sessionLocked()
{
    emit locking();
}
