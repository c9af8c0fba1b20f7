#include "app/aboutdialog.h"
#include "app/welcomedialog.h"
#include "controls/linklabel.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestShellDialogs : public QObject
{
    Q_OBJECT

private:
    static QStringList labelTexts(const QDialog &dialog)
    {
        QStringList texts;
        for (const QLabel *label : dialog.findChildren<QLabel *>()) {
            if (!label->text().isEmpty())
                texts.append(label->text());
        }
        return texts;
    }
    static QPushButton *okButton(const QDialog &dialog)
    {
        auto *box = dialog.findChild<QDialogButtonBox *>();
        return box ? box->button(QDialogButtonBox::Ok) : nullptr;
    }
    static std::unique_ptr<QDialog> make(const QString &which)
    {
        if (which == QLatin1String("about"))
            return std::make_unique<AboutDialog>();
        return std::make_unique<WelcomeDialog>();
    }

private slots:
    void aboutShowsVersionAndSite();
    void welcomeShowsItsGreeting();
    void welcomeTitleIsSixteenPoint();
    void closing_data();
    void closing();
};

void TestShellDialogs::aboutShowsVersionAndSite()
{
    AboutDialog about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Harbrow v1.0"));
    const QStringList texts = labelTexts(about);
    QVERIFY(texts.contains(QStringLiteral("The Harbrow browser version 1.0")));
    QVERIFY(texts.contains(QStringLiteral("For latest version go to:")));
    QVERIFY(texts.contains(QStringLiteral("website  http://www.harbrow.org")));
    auto *icon = about.findChild<QLabel *>(QStringLiteral("icon"));
    QVERIFY(icon);
    QVERIFY(!icon->pixmap().isNull());
    QVERIFY(okButton(about)->isDefault());
}

void TestShellDialogs::welcomeShowsItsGreeting()
{
    WelcomeDialog welcome;
    QCOMPARE(welcome.windowTitle(), QStringLiteral("Harbrow"));
    QCOMPARE(welcome.title()->text(), QStringLiteral("Harbrow Browser"));
    auto *message = welcome.findChild<QLabel *>(QStringLiteral("message"));
    QVERIFY(message);
    QCOMPARE(message->text(),
             QStringLiteral("         Harbrow is your FREE and FAST and SECURE browser\n"
                            "  No trace No cookies 1 click on a button and your history is "
                            "real history...."));
    QVERIFY(okButton(welcome)->isDefault());
}

void TestShellDialogs::welcomeTitleIsSixteenPoint()
{
    WelcomeDialog welcome;
    welcome.show();
    QVERIFY(QTest::qWaitForWindowExposed(&welcome));
    QCOMPARE(welcome.title()->font().pointSize(), 16);
    auto *message = welcome.findChild<QLabel *>(QStringLiteral("message"));
    QCOMPARE(message->font(), welcome.font());
    QVERIFY(welcome.title()->height() > message->fontMetrics().height());
    // The whole greeting fits.
    QVERIFY(message->width() >= message->sizeHint().width());
}

void TestShellDialogs::closing_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("expected");

    for (const char *dialog : {"about", "welcome"}) {
        QTest::addRow("%s, OK", dialog) << dialog << "ok" << int(QDialog::Accepted);
        QTest::addRow("%s, Enter", dialog) << dialog << "enter" << int(QDialog::Accepted);
        QTest::addRow("%s, Escape", dialog) << dialog << "escape" << int(QDialog::Rejected);
    }
}

void TestShellDialogs::closing()
{
    QFETCH(QString, dialog);
    QFETCH(QString, how);
    QFETCH(int, expected);

    std::unique_ptr<QDialog> shown = make(dialog);
    QTimer::singleShot(0, shown.get(), [&] {
        if (how == QLatin1String("ok"))
            QTest::mouseClick(okButton(*shown), Qt::LeftButton);
        else
            QTest::keyClick(shown.get(),
                            how == QLatin1String("enter") ? Qt::Key_Return : Qt::Key_Escape);
    });
    QCOMPARE(shown->exec(), expected);
    QVERIFY(!shown->isVisible());
}

QTEST_MAIN(TestShellDialogs)
#include "tst_shell_dialogs.moc"
