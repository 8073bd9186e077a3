#include "ClipboardHold.h"

#include "platform/QtClipboard.h"

#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

ClipboardHold::End ClipboardHold::hold(
    const QString &text, bool secret, std::chrono::milliseconds time)
{
    QtClipboard clipboard;
    clipboard.setText(text, secret);
    QEventLoop waiting;
    End end = End::TimeOver;
    QTimer::singleShot(time, Qt::PreciseTimer, &waiting, &QEventLoop::quit);
    const QMetaObject::Connection taken
        = QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, &waiting, [&] {
              if (!QGuiApplication::clipboard()->ownsClipboard()) {
                  end = End::Taken;
                  waiting.quit();
              }
          });
    waiting.exec();
    // Emptying the clipboard below changes it too.
    QObject::disconnect(taken);
    if (end == End::TimeOver && clipboard.text() == text)
        clipboard.clear();
    return end;
}
