#include "platform/ProgramFolders.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <unistd.h>

// A tree holding a portable copy ("dist"), a "bin" without "share" and an installed copy.
class FoldersTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_tree = std::make_unique<QTemporaryDir>();
        for (const char *path : {"dist", "b/bin", "usr/bin", "usr/share/vaultine", "home"})
            QDir(m_tree->path()).mkpath(QString::fromLatin1(path));
        QFile(path("file")).open(QIODevice::WriteOnly);
    }

    void dataFolderIsChosen_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("dataHome"); // "-": unset; "./x": relative; "": HOME unset too
        QTest::addColumn<QString>("userFolder");
        const auto row = [](const char *name, QString executable, QString home, QString user) {
            QTest::newRow(name) << executable << home << user;
        };
        row("portable", "dist", "xdg", "dist");
        row("bin without share", "b/bin", "xdg", "b/bin");
        row("installed", "usr/bin", "xdg", "xdg/vaultine");
        row("no XDG_DATA_HOME", "usr/bin", "-", "home/.local/share/vaultine");
        row("relative", "usr/bin", "./x", "home/.local/share/vaultine");
        row("neither", "usr/bin", "", "");
        row("not creatable", "usr/bin", "file/x", "file/x/vaultine");
        row("open to others", "usr/bin", "open", "open/vaultine"); // made beforehand, mode 0777
        row("another user's", "usr/bin", "foreign", "foreign/vaultine");
    }

    void dataFolderIsChosen()
    {
        QFETCH(QString, executable);
        QFETCH(QString, dataHome);
        QFETCH(QString, userFolder);
        QProcessEnvironment environment;
        if (!dataHome.isEmpty())
            environment.insert(QStringLiteral("HOME"), path("home"));
        if (!dataHome.isEmpty() && dataHome != QLatin1String("-"))
            environment.insert(QStringLiteral("XDG_DATA_HOME"),
                dataHome.startsWith(u'.') ? dataHome : path(dataHome));
        if (dataHome == QLatin1String("open") || dataHome == QLatin1String("foreign")) {
            QDir(m_tree->path()).mkpath(userFolder);
            QFile::setPermissions(path(userFolder), QFile::Permissions(0x7777));
        }
        const QByteArray foreign = QFile::encodeName(path("foreign/vaultine"));
        if (dataHome == QLatin1String("foreign") && chown(foreign.constData(), 4711, 4711) != 0)
            QSKIP("Only root can give a folder to another user.");
        const ProgramFolders folders = ProgramFolders::locate(path(executable), environment);
        QCOMPARE(folders.userFolder(), userFolder.isEmpty() ? userFolder : path(userFolder));
        QCOMPARE(folders.installed(), executable == QLatin1String("usr/bin"));
        QCOMPARE(folders.prepare(),
            !userFolder.isEmpty() && !QStringList({"file/x", "foreign"}).contains(dataHome));
        if (folders.installed() && folders.prepare())
            QCOMPARE(QFile::permissions(folders.userFolder()) & 0x7077, QFile::Permissions(0x7000));
        QVERIFY(folders.failureText().contains(
            userFolder.isEmpty() ? QStringLiteral("XDG_DATA_HOME") : folders.userFolder()));
    }

    void shippedFilesAreLookedUpInOrder_data()
    {
        QTest::addColumn<QStringList>("holders");
        QTest::addColumn<QString>("found");
        const QString user = QStringLiteral("xdg/vaultine"), shared("usr/share/vaultine");
        QTest::newRow("data folder first") << QStringList {user, shared} << user;
        QTest::newRow("then share") << QStringList {shared} << shared;
        QTest::newRow("nowhere") << QStringList {} << user;
    }

    void shippedFilesAreLookedUpInOrder()
    {
        QFETCH(QStringList, holders);
        QFETCH(QString, found);
        for (const QString &holder : holders) {
            QDir(m_tree->path()).mkpath(holder + QStringLiteral("/Help"));
            QFile(path(holder + QStringLiteral("/Help/help.html"))).open(QIODevice::WriteOnly);
        }
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("XDG_DATA_HOME"), path("xdg"));
        const ProgramFolders folders = ProgramFolders::locate(path("usr/bin"), environment);
        QCOMPARE(folders.shippedFile(QStringLiteral("Help/help.html")),
            path(found + QStringLiteral("/Help/help.html")));
        QCOMPARE(folders.shippedFolders(QStringLiteral("intl")),
            QStringList({path("xdg/vaultine/intl"), path("usr/share/vaultine/intl")}));
    }

private:
    QString path(const QString &relative) const { return m_tree->filePath(relative); }

    std::unique_ptr<QTemporaryDir> m_tree;
};

QTEST_GUILESS_MAIN(FoldersTest)
#include "tst_folders.moc"
