#include "Captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>

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
        else if (caption.property == Property::Tooltip && widget)
            widget->setToolTip(caption.text);
        else if (caption.property == Property::Tooltip && action)
            action->setToolTip(caption.text);
        else if (action)
            action->setText(caption.text);
        else if (auto *button = qobject_cast<QAbstractButton *>(control))
            button->setText(caption.text);
        else if (auto *label = qobject_cast<QLabel *>(control))
            label->setText(caption.text);
        else if (auto *frame = qobject_cast<QGroupBox *>(control))
            frame->setTitle(caption.text);
    }
}

void applyCaptions(QWidget *window, const QList<CaptionTable::Caption> &captions)
{
    applyCaptions(captions, [window](const QString &name) -> QObject * {
        return window->objectName() == name ? window : window->findChild<QObject *>(name);
    });
}
