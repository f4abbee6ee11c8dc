// Only web addresses reach the system browser; the scripted user answers
// in place of a person.
#include <QtTest>

#include "ScriptedPrompts.h"
#include "common/WebAddress.h"

using namespace vantrel;

class UserPromptsTest : public QObject {
    Q_OBJECT
private slots:
    // The save dialog's suffix follows the type chosen in its list.
    void aFilterGivesItsFirstPatternsExtension() {
        QCOMPARE(FilterSuffix("Excel 2007 文档 (*.xlsx *.XLSX)"), QString("xlsx"));
        QCOMPARE(FilterSuffix("Excel 文档 (*.xls *.XLS)"), QString("xls"));
        QCOMPARE(FilterSuffix("所有文件 (*)"), QString());
    }

    void onlyHttpAndHttpsAreBrowsable() {
        QVERIFY(IsBrowsableAddress("https://bank.example.com/pay?order=1"));
        QVERIFY(IsBrowsableAddress("HTTP://bank.example.com"));
        QVERIFY(!IsBrowsableAddress("file:///etc/passwd"));
        QVERIFY(!IsBrowsableAddress("javascript:alert(1)"));
        QVERIFY(!IsBrowsableAddress("https://"));
        QVERIFY(!IsBrowsableAddress("cmd.exe /c del"));
        QVERIFY(IsBrowsableAddress("  HTTPS://x.y/  "));
    }

    // The Qt check and the core's (used for the online-banking address) are
    // one rule; and every address it lets through is one Qt's strict URL
    // parser takes as a web address with the same host, so the opener does
    // not turn down what the rule accepted. `host` is empty for a refusal.
    void theRuleMatchesTheCoreAndQtCanOpenWhatItAccepts_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("host");
        QTest::newRow("query and fragment") << "https://bank.example.com/pay?order=1&sign=AB#top" << "bank.example.com";
        QTest::newRow("blanks, upper case") << "  HTTPS://X.Y:443/  " << "x.y";
        QTest::newRow("IPv4 and port") << "http://1.2.3.4:8080/" << "1.2.3.4";
        QTest::newRow("IPv6") << "http://[::1]/p" << "::1";
        QTest::newRow("Chinese path") << "https://x.y/订单?id=网银" << "x.y";
        QTest::newRow("escapes") << "https://x.y/%E4%B8%AD" << "x.y";
        QTest::newRow("sub-delimiters") << "https://a_b.example/a;b=c,d+e*!'()~$" << "a_b.example";
        QTest::newRow("no host") << "https://" << "";
        QTest::newRow("empty label") << "https://x..y/" << "";
        QTest::newRow("port too big") << "https://x.y:65536/" << "";
        QTest::newRow("user name") << "https://bank.example@evil.example/" << "";
        QTest::newRow("blank inside") << "https://x.y/a b" << "";
        QTest::newRow("bad escape") << "https://x.y/%zz" << "";
        QTest::newRow("angle brackets") << "https://x.y/<b>" << "";
        QTest::newRow("Chinese host") << "https://中文.cn/" << "";
        QTest::newRow("file") << "file:///etc/passwd" << "";
        QTest::newRow("script") << "javascript:alert(1)" << "";
        QTest::newRow("bare word") << "x.y" << "";
    }

    void theRuleMatchesTheCoreAndQtCanOpenWhatItAccepts() {
        QFETCH(QString, address);
        QFETCH(QString, host);
        const QByteArray utf8 = address.toUtf8();
        const bool core = CheckBrowsableAddress(std::string_view(utf8.constData(), size_t(utf8.size()))).ok();
        QCOMPARE(IsBrowsableAddress(address), core);
        QCOMPARE(core, !host.isEmpty());
        if (!core) return;
        const QUrl url(address.trimmed(), QUrl::StrictMode);
        QVERIFY2(url.isValid(), qPrintable(url.errorString()));
        QCOMPARE(url.host(), host);
    }

    void scriptedPromptsReplaceTheDialogsWhileInstalled() {
        {
            test::ScriptedPrompts user;
            user.answers = {IdYes};
            QCOMPARE(Prompts().messageBox(nullptr, "转账?", "系统提示", MbYesNo), int(IdYes));
            QCOMPARE(Prompts().messageBox(nullptr, "again", "系统提示", MbYesNo), int(IdNo));
            QCOMPARE(user.messages.size(), size_t(2));
            QCOMPARE(user.messages[0].title, QString("系统提示"));
            QVERIFY(!Prompts().openUrl("ftp://x"));
            QCOMPARE(user.refusedUrls.size(), 1);
        }
        QVERIFY(dynamic_cast<test::ScriptedPrompts*>(&Prompts()) == nullptr);
    }
};

QTEST_MAIN(UserPromptsTest)
#include "UserPromptsTest.moc"
