#include "CsvImport.h"
#include "CsvTable.h"
#include "vault/RecordBook.h"
#include "vault/RecordCodec.h"

#include <QStringEncoder>
#include <QTest>

// The exports of other password stores and browsers, each written from its published header
// with made-up records, and the files refused whole.
class CsvTest : public QObject
{
    Q_OBJECT

private slots:
    void samplesGiveTheirRecords_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("columns"); // as --columns names them
        QTest::addColumn<QStringList>("records"); // none: refused
        QTest::addColumn<QString>("told"); // the ignored columns, or the refusal's start
        const auto row = [](const char *name, const QByteArray &file, const QStringList &records,
                             const QString &told = {}, const QStringList &columns = {}) {
            QTest::newRow(name) << file << columns << records << told;
        };
        const auto utf16 = [](QStringEncoder::Encoding encoding, const QString &text) {
            QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
            return QByteArray(encoder(text));
        };
        row("url-first browser export",
            "url,username,password,httpRealm,formActionOrigin,guid,timeCreated,timeLastUsed,"
            "timePasswordChanged\n"
            "https://mail.example.org/login,jo,pw1,,https://mail.example.org,{1},1,2,3\n"
            "https://shop.example:8080,,pw2,,,{2},1,2,3\n",
            {"mail.example.org:!jo:!pw1:!:!https://mail.example.org/login",
                "shop.example:!:!pw2:!:!https://shop.example:8080"},
            "httpRealm, formActionOrigin, guid, timeCreated, timeLastUsed, timePasswordChanged");
        row("name-url browser export, empty name",
            "name,url,username,password,note\r\n"
            "Mail,https://m.example,jo,pw,\r\n,example.net/a,an,pa,x\r\n",
            {"Mail:!jo:!pw:!:!https://m.example", "example.net:!an:!pa:!x:!example.net/a"});
        row("folder-type-name, login_ fields",
            "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,"
            "login_password,login_totp\nWork,,login,Wiki,\"a, b\",,0,https://w,wu,wp,\n",
            {"Wiki:!wu:!wp:!a, b:!https://w"},
            "folder, favorite, type, fields, reprompt, login_totp");
        row("url-username-password-totp-extra-name",
            "url,username,password,totp,extra,name,grouping,fav\nhttp://sn,u,p,,note,Bank,,0\n",
            {"Bank:!u:!p:!note:!http://sn"}, "totp, grouping, fav");
        row("title-url-username-password, tags",
            "Title,Url,Username,Password,OTPAuth,Favorite,Archived,Tags,Notes\n"
            "Forum,https://f,fu,fp,,false,false,x,\"one\ntwo\"\n",
            {u"Forum:!fu:!fp:!one\u2028two:!https://f"_qs}, "OTPAuth, Favorite, Archived, Tags");
        row("all quoted, group first",
            "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\n"
            "\"Root\",\"Shop\",\"s\",\"p\"\"q\",\"\",\"\"\n",
            {"Shop:!s:!p\"q:!:!"}, "Group");
        row("account-login name-web site-comments",
            "Account,Login Name,Password,Web Site,Comments\nBank,b,p,https://b,c\n",
            {"Bank:!b:!p:!c:!https://b"});
        row("name-login-password-website-comment, spaces in names",
            " Name , LOGIN ,Pass, Web site ,Comment\nN,l,p,w,c\n", {"N:!l:!p:!c:!w"});
        row("site-email-pass, username preferred over email",
            "Site,Email,Username,Pass,Extra\nS,e@x,u,p,\n", {"S:!u:!p:!:!"}, "Email");
        row("type-name-url-username-password-note-totp-vault",
            "type,name,url,username,password,note,totp,vault\nlogin,T,https://t,u,p,n,,Private\n",
            {"T:!u:!p:!n:!https://t"}, "type, totp, vault");
        row("semicolon, UTF-16 LE",
            utf16(QStringEncoder::Utf16LE,
                u"Title;Username;Password;URL;Notes\r\nCaf\u00e9;u;p,q;http://c;\"a;\r\nb\"\r\n"_qs),
            {u"Caf\u00e9:!u:!p,q:!a;\u2028b:!http://c"_qs});
        row("tab, UTF-16 BE", utf16(QStringEncoder::Utf16BE, "name\tlogin\tpassword\nT\t\tp w\n"),
            {"T:!:!p w:!:!"});
        row("semicolon, UTF-8 mark", "\xef\xbb\xbfname;url;username;password\nA;;u;p\n",
            {"A:!u:!p:!:!"});
        row("label/value pairs",
            "Mail,Username,jo,Password,pw,URL,https://m,PIN,12\n"
            "Bank,Password,bp,Notes,n,PIN,34\n,URL,https://x.example,Password,xp\n",
            {"Mail:!jo:!pw:!:!https://m", "Bank:!:!bp:!n:!",
                "x.example:!:!xp:!:!https://x.example"},
            "PIN");
        row("label/value pairs under a header",
            "Title,Field,Value,Field,Value\nMail,login,jo,password,pw\n", {"Mail:!jo:!pw:!:!"});
        row("no header, columns named",
            "Mail,https://m,jo,x,pw,\"a\nnote\"\n,https://x.example,u,,p,\n",
            {u"Mail:!jo:!pw:!a\u2028note:!https://m"_qs, "x.example:!u:!p:!:!https://x.example"},
            "column 4", {"name", "url", "username", "", "password", "notes"});
        row("former database", EncodeRecord("Mail:jo:pw:http://m\r\n\r\nBank:b:p:\r\n"),
            {"Mail:!jo:!pw:!:!http://m", "Bank:!b:!p:!:!"});
        row("refused: no header", "Mail,https://m,jo,pw\n", {}, "The first line names no known");
        row("refused: unknown column named", "Mail,pw\n", {}, "--columns names no field by pasword",
            {"name", "pasword"});
        row("refused: no service or address", "user,password\nu,p\n", {},
            "The first line names no column for the service");
    }
    void samplesGiveTheirRecords()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, columns);
        QFETCH(QStringList, records);
        QFETCH(QString, told);
        // As import decides without --csv.
        const std::optional<CsvTable::Table> former
            = columns.isEmpty() ? CsvImport::formerDatabase(file) : std::nullopt;
        const CsvImport import(former ? *former : CsvTable::parse(file), columns);
        if (records.isEmpty()) {
            QVERIFY2(import.refusal().startsWith(told), qPrintable(import.refusal()));
            return;
        }
        QCOMPARE(import.refusal(), QString());
        QCOMPARE(import.ignoredColumns().join(QStringLiteral(", ")), told);
        const CsvImport::Outcome outcome = import.newRecords(RecordBook());
        QCOMPARE(outcome.lines, records);
        QCOMPARE(outcome.skipped + outcome.duplicates, 0);
    }
};

QTEST_GUILESS_MAIN(CsvTest)
#include "tst_csv.moc"
