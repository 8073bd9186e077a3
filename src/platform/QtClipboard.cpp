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
    m_text.reset();
    auto *data = new QMimeData;
    data->setText(text);
    if (secret)
        data->setData(QString::fromLatin1(secretHint), QByteArrayLiteral("secret"));
    QGuiApplication::clipboard()->setMimeData(data);
}

QString QtClipboard::text() const
{
    if (!m_text)
        m_text = QGuiApplication::clipboard()->text();
    return *m_text;
}
