#include "Splash.h"

#include "intl/Captions.h"
#include "intl/Dictionary.h"
#include "records/Twips.h"

#include <QLabel>

namespace {

struct SplashLabel
{
    const char *name;
    const char *text;
    Twips geometry;
    const char *family;
    bool greyBackground;
};

constexpr SplashLabel splashLabels[] = {
    {"Label1(0)", "Password storage program for Windows", {1020, 945, 3450, 240}, "Arial", false},
    {"Label1(1)", "1.0 December 2026", {5295, 390, 1155, 225}, "Arial", true},
    {"Label1(2)", "Vaultine", {5265, 135, 1215, 315}, "Arial", true},
    {"Label1(3)", "Powered by", {4830, 2115, 1575, 375}, nullptr, false},
    {"Label3", "Keep safe", {1005, 645, 1050, 285}, "Times New Roman", false},
    {"Label4", "vaultine.example", {2340, 5250, 2715, 255}, "Arial", false},
};

} // namespace

Splash::Splash(const Dictionary &dictionary, std::function<void()> showMainWindow, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_showMainWindow(std::move(showMainWindow))
{
    setObjectName(QStringLiteral("Splash"));
    setFixedSize(Twips::pixels(6720), Twips::pixels(5925));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    for (const SplashLabel &row : splashLabels) {
        auto *label = new QLabel(QString::fromLatin1(row.text), this);
        label->setObjectName(QString::fromLatin1(row.name));
        label->setGeometry(row.geometry.toPixels());
        if (row.family)
            label->setFont(QFont(QString::fromLatin1(row.family)));
        if (row.greyBackground)
            label->setStyleSheet(QStringLiteral("background: #c0c0c0"));
    }

    if (!dictionary.isEnglish())
        applyCaptions(this, CaptionTable::translated(CaptionTable::splash, dictionary));
    // A label grows to its caption, within the window.
    for (QLabel *label : findChildren<QLabel *>()) {
        const QSize needed = label->sizeHint().boundedTo(size() - QSize(label->x(), label->y()));
        label->resize(label->size().expandedTo(needed));
    }

    m_timer1.setSingleShot(true);
    m_timer1.setInterval(1000);
    connect(&m_timer1, &QTimer::timeout, this, &Splash::ShowMainWindow);
    m_timer1.start();
}

void Splash::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    ShowMainWindow();
}

void Splash::ShowMainWindow()
{
    m_timer1.stop();
    if (m_handedOver)
        return;
    m_handedOver = true;
    m_showMainWindow();
    close();
}
