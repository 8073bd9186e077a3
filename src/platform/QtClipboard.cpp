#include "QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

QtClipboard::QtClipboard()
    : m_changed(QObject::connect(
        QGuiApplication::clipboard(), &QClipboard::dataChanged, [this] { m_text.reset(); }))
{ }

QtClipboard::~QtClipboard()
{
    QObject::disconnect(m_changed);
}

void QtClipboard::clear()
{
    m_text.reset();
    QGuiApplication::clipboard()->clear();
}

void QtClipboard::setText(const QString &text, bool secret)
{
    setData(text, secret, {});
}

void QtClipboard::setStampedText(const QString &text, const QByteArray &stamp)
{
    setData(text, true, stamp);
}

void QtClipboard::setData(const QString &text, bool secret, const QByteArray &stamp)
{
    m_text.reset();
    auto *data = new QMimeData;
    data->setText(text);
    if (secret)
        data->setData(QString::fromLatin1(secretHint), QByteArrayLiteral("secret"));
    if (!stamp.isEmpty())
        data->setData(QString::fromLatin1(copyStamp), stamp);
    QGuiApplication::clipboard()->setMimeData(data);
}

QString QtClipboard::text() const
{
    if (!m_text)
        m_text = QGuiApplication::clipboard()->text();
    return *m_text;
}
