#include "Captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

namespace {

// A caption wider than three tenths of the screen is cut with an ellipsis, its whole text then
// the control's tooltip, so that a window keeps its boxes and buttons on the screen.
QString fitted(QObject *control, QWidget *widget, const QString &text)
{
    const int width = QGuiApplication::primaryScreen()->availableGeometry().width() * 3 / 10;
    const QFontMetrics metrics(widget ? widget->font() : QGuiApplication::font());
    const QString shown = metrics.elidedText(text, Qt::ElideRight, width);
    if (shown != text)
        control->setProperty("toolTip", text);
    return shown;
}

} // namespace

void applyCaptions(const QList<CaptionTable::Caption> &captions,
    const std::function<QObject *(const QString &)> &find)
{
    using Property = CaptionTable::Property;
    for (const CaptionTable::Caption &caption : captions) {
        QObject *control = find(caption.control);
        auto *widget = qobject_cast<QWidget *>(control);
        auto *action = qobject_cast<QAction *>(control);
        if (caption.property == Property::Title && widget)
            widget->setWindowTitle(caption.text);
        else if (caption.property == Property::Name && widget)
            widget->setAccessibleName(caption.text);
        else if (auto *box = qobject_cast<QLineEdit *>(control);
                 caption.property == Property::Placeholder && box)
            box->setPlaceholderText(caption.text);
        else if (caption.property == Property::Tooltip && widget)
            widget->setToolTip(caption.text);
        else if (caption.property == Property::Tooltip && action)
            action->setToolTip(caption.text);
        else if (action)
            action->setText(fitted(action, nullptr, caption.text));
        else if (auto *button = qobject_cast<QAbstractButton *>(control))
            button->setText(fitted(button, button, caption.text));
        else if (auto *label = qobject_cast<QLabel *>(control))
            label->setText(fitted(label, label, caption.text));
        else if (auto *frame = qobject_cast<QGroupBox *>(control))
            frame->setTitle(fitted(frame, frame, caption.text));
    }
}

void applyCaptions(QWidget *window, const QList<CaptionTable::Caption> &captions)
{
    applyCaptions(captions, [window](const QString &name) -> QObject * {
        return window->objectName() == name ? window : window->findChild<QObject *>(name);
    });
}

QString withoutAccessKey(QString caption)
{
    const qsizetype at = caption.indexOf(u'&');
    return at < 0 ? caption : caption.remove(at, 1);
}
