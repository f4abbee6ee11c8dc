// Only web addresses reach the system browser; the scripted user answers
// in place of a person.
#include <QtTest>

#include "ScriptedPrompts.h"

using namespace vantrel;

class UserPromptsTest : public QObject {
    Q_OBJECT
private slots:
    void onlyHttpAndHttpsAreBrowsable() {
        QVERIFY(IsBrowsableAddress("https://bank.example.com/pay?order=1"));
        QVERIFY(IsBrowsableAddress("HTTP://bank.example.com"));
        QVERIFY(!IsBrowsableAddress("file:///etc/passwd"));
        QVERIFY(!IsBrowsableAddress("javascript:alert(1)"));
        QVERIFY(!IsBrowsableAddress("https://"));
        QVERIFY(!IsBrowsableAddress("cmd.exe /c del"));
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
