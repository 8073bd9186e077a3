#include "Splash.h"

#include "intl/Captions.h"
#include "intl/Dictionary.h"
#include "intl/Twips.h"
#include "platform/Shell.h"
#include "records/ClickLabel.h"
#include "records/Product.h"

#include <QHash>
#include <QScreen>

namespace {

enum class Look { Plain, Grey, White, Red };

struct SplashLabel
{
    const char *name;
    const char *text;
    Twips geometry;
    const char *family;
    Look look;
};

constexpr SplashLabel splashLabels[] = {
    {"Label1(0)", "Password storage program for the desktop", {1020, 945, 3450, 240}, "Arial",
        Look::Plain},
    {"Label1(1)", "1.0 Dec 2026", {5295, 390, 1155, 225}, "Arial", Look::Grey},
    {"Label1(2)", "Vaultine", {5265, 135, 1215, 315}, "Arial", Look::Grey},
    {"Label1(3)", "Powered by", {4830, 2115, 1575, 375}, nullptr, Look::Plain},
    {"Label2", "Engine 1.0 -                  Vaultine", {4890, 3240, 1710, 495}, nullptr,
        Look::White}, // the credit line, on the engine picture
    {"Label3", "Keep safe", {1005, 645, 1050, 285}, "Times New Roman", Look::Plain},
    {"Label4", "vaultine.example", {2340, 5250, 2715, 255}, "Arial", Look::Plain},
    {"Label5", "Click HERE to Hide", {2835, 4155, 1680, 195}, nullptr, Look::Red},
};

struct SplashPicture
{
    const char *name;
    const char *file;
    Twips geometry;
};

constexpr SplashPicture splashPictures[] = {
    {"Image1", "vault", {360, 1560, 1800, 1800}}, {"Image2", "engine", {4800, 2520, 1890, 1290}},
    {"Image3", "key", {1650, 5130, 600, 600}}, // opens the maker's web page
};

void setLook(QLabel *label, Look look)
{
    static const QHash<Look, QString> styles {
        {Look::Grey, QStringLiteral("background: #c0c0c0")},
        {Look::White, QStringLiteral("color: white")},
        {Look::Red, QStringLiteral("color: #ff0000; background: white")},
    };
    label->setStyleSheet(styles.value(look));
}

} // namespace

Splash::Splash(const Dictionary &dictionary, Shell &shell, std::function<void()> showMainWindow,
    Role role, QWidget *parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_showMainWindow(std::move(showMainWindow))
{
    setObjectName(QStringLiteral("Splash"));
    setFixedSize(Twips::pixels(6720), Twips::pixels(5925));
    setAutoFillBackground(true);
    // Black on white in every theme, as its pictures are drawn.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);

    for (const SplashPicture &row : splashPictures) {
        auto *picture = new ClickLabel(this);
        picture->setObjectName(QString::fromLatin1(row.name));
        picture->setPixmap(QPixmap(QStringLiteral(":/pictures/%1.png").arg(row.file)));
        picture->setGeometry(row.geometry.toPixels());
    }
    for (const SplashLabel &row : splashLabels) {
        auto *label = new ClickLabel(QString::fromLatin1(row.text), this);
        label->setObjectName(QString::fromLatin1(row.name));
        label->setGeometry(row.geometry.toPixels());
        label->setWordWrap(row.look == Look::White);
        if (row.family)
            label->setFont(QFont(QString::fromLatin1(row.family)));
        setLook(label, row.look);
    }
    const auto openMakerPage = [&shell] { shell.open(makerAddress); };
    for (const char *link : {"Label4", "Image3"}) {
        auto *control = findChild<ClickLabel *>(QString::fromLatin1(link));
        control->setAttribute(Qt::WA_NoMousePropagation);
        control->setCursor(Qt::PointingHandCursor);
        connect(control, &ClickLabel::clicked, this, openMakerPage);
    }
    auto *label5 = findChild<ClickLabel *>(QStringLiteral("Label5"));
    label5->setAttribute(Qt::WA_NoMousePropagation);
    label5->setVisible(role == Role::About);
    connect(label5, &ClickLabel::clicked, this, &QWidget::close);

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
    if (role == Role::StartUp)
        m_timer1.start();
}

void Splash::centreOn(const QScreen *screen)
{
    move(screen->availableGeometry().center() - rect().center());
}

void Splash::mouseReleaseEvent(QMouseEvent *event)
{
    QDialog::mouseReleaseEvent(event);
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
