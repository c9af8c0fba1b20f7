#include "fakepage.h"
#include "organiser/bookmarkdialog.h"
#include "organiser/ratingcombobox.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>


// Adds a bookmark at the top level and makes it current, as the page does before editing.
static void makeCurrent(FakePage &page, const BookmarkRecord &record)
{
    BookmarkRecord added = record;
    added.folderOrKey = QStringLiteral("0");
    QVERIFY(page.store().addBookmark(added) >= 0);
}

class TestBookmarkDialog : public QObject
{
    Q_OBJECT

private:
    static void showAndWait(QDialog &dialog)
    {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
    static void clickOk(BookmarkDialog &dialog)
    {
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    }

private slots:
    void aNewBookmarkStartsAtHttp()
    {
        FakePage page;
        BookmarkDialog dialog(page, BookmarkDialog::Mode::Add);
        showAndWait(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add a New Bookmark"));
        QCOMPARE(dialog.addressEdit()->text(), QStringLiteral("http://"));
        QCOMPARE(dialog.addressEdit()->selectedText(), QStringLiteral("http://"));
        QVERIFY(!dialog.okButton()->isEnabled());
        QCOMPARE(dialog.ratingBox()->currentText(), QStringLiteral("  Not set"));

        QTest::keyClick(dialog.addressEdit(), Qt::Key_End);
        QTest::keyClicks(dialog.addressEdit(), "w");
        QCOMPARE(dialog.addressEdit()->text(), QStringLiteral("http://w"));
        QVERIFY(dialog.okButton()->isEnabled());
        QTest::keyClick(dialog.addressEdit(), Qt::Key_Backspace);
        QVERIFY(!dialog.okButton()->isEnabled());
        QTest::keyClick(dialog.addressEdit(), Qt::Key_Backspace);
        QVERIFY(dialog.okButton()->isEnabled()); // "http:/" is an address the user may mean
        dialog.addressEdit()->selectAll();
        QTest::keyClick(dialog.addressEdit(), Qt::Key_Delete);
        QCOMPARE(dialog.addressEdit()->text(), QString());
        QVERIFY(!dialog.okButton()->isEnabled());
        QTest::keyClicks(dialog.addressEdit(), "ftp://x");
        QVERIFY(dialog.okButton()->isEnabled());
    }

    void anAddressIsStoredAsGiven_data()
    {
        QTest::addColumn<bool>("afterPreset"); // typed behind "http://" rather than over it
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("typed over the preset") << false << "https://example.org/" << "https://example.org/";
        QTest::newRow("https behind the preset") << true << "https://example.org/" << "https://example.org/";
        QTest::newRow("ftp behind the preset") << true << "ftp://files.example/a" << "ftp://files.example/a";
        QTest::newRow("HTTP behind the preset") << true << "HTTP://x.example/" << "HTTP://x.example/";
        QTest::newRow("a host behind the preset") << true << "example.org/x" << "http://example.org/x";
        QTest::newRow("a password is no scheme") << true << "me:pw@host/" << "http://me:pw@host/";
    }

    void anAddressIsStoredAsGiven()
    {
        QFETCH(bool, afterPreset);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        FakePage page;
        BookmarkDialog dialog(page, BookmarkDialog::Mode::Add);
        showAndWait(dialog);
        if (afterPreset)
            QTest::keyClick(dialog.addressEdit(), Qt::Key_End);
        QTest::keyClicks(dialog.addressEdit(), typed);
        clickOk(dialog);
        QVERIFY(page.edited);
        QCOMPARE(page.edited->address, stored);
    }

    void aProposedPageIsShownReadyToAccept()
    {
        FakePage page;
        BookmarkDialog dialog(page, BookmarkDialog::Mode::Add);
        dialog.setPrefill("https://example.org/news", "Example news");
        showAndWait(dialog);
        QCOMPARE(dialog.addressEdit()->text(), QStringLiteral("https://example.org/news"));
        QCOMPARE(dialog.titleEdit()->text(), QStringLiteral("Example news"));
        QVERIFY(dialog.okButton()->isEnabled());
        clickOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(page.edited->address, QStringLiteral("https://example.org/news"));
        QCOMPARE(page.edited->title, QStringLiteral("Example news"));
    }

    void editingShowsTheStoredBookmark_data()
    {
        QTest::addColumn<int>("rating");
        QTest::addColumn<QString>("shown");
        QTest::newRow("not set") << 0 << "  Not set";
        QTest::newRow("one star") << 1 << "  1 star";
        QTest::newRow("five stars") << 5 << "  5 stars";
    }

    void editingShowsTheStoredBookmark()
    {
        QFETCH(int, rating);
        QFETCH(QString, shown);
        FakePage page;
        makeCurrent(page, {"http://example.com/", "Example", "", "", rating, ""});
        BookmarkDialog dialog(page, BookmarkDialog::Mode::Edit);
        showAndWait(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Edit Bookmark"));
        QCOMPARE(dialog.addressEdit()->text(), QStringLiteral("http://example.com/"));
        QCOMPARE(dialog.titleEdit()->text(), QStringLiteral("Example"));
        QCOMPARE(dialog.ratingBox()->currentText(), shown);
        QVERIFY(dialog.okButton()->isEnabled());
    }

    void theRatingListOffersSixPicturedEntries()
    {
        RatingComboBox box;
        const QStringList expected = {"  Not set", "  1 star",  "  2 stars",
                                      "  3 stars", "  4 stars", "  5 stars"};
        QCOMPARE(box.count(), expected.size());
        for (int i = 0; i < box.count(); ++i) {
            QCOMPARE(box.itemText(i), expected.at(i));
            QVERIFY(!box.itemIcon(i).isNull());
        }
        box.setRating(7);
        QCOMPARE(box.rating(), 0);
    }

    void okHandsEveryFieldToThePage()
    {
        FakePage page;
        BookmarkDialog dialog(page, BookmarkDialog::Mode::Add);
        showAndWait(dialog);
        QTest::keyClick(dialog.addressEdit(), Qt::Key_End);
        QTest::keyClicks(dialog.addressEdit(), "example.net");
        QTest::keyClicks(dialog.titleEdit(), "Example net");
        dialog.ratingBox()->setFocus();
        QTest::keyClick(dialog.ratingBox(), Qt::Key_Down);
        QTest::keyClick(dialog.ratingBox(), Qt::Key_Down);
        QTest::keyClick(dialog.ratingBox(), Qt::Key_Down);
        clickOk(dialog);
        QVERIFY(page.edited.has_value());
        QCOMPARE(page.edited->address, QStringLiteral("http://example.net"));
        QCOMPARE(page.edited->title, QStringLiteral("Example net"));
        QCOMPARE(page.edited->comments, QString());
        QCOMPARE(page.edited->rating, 3);
        QCOMPARE(page.edited->reserved, QString());
    }

    void commentsOnThreeLinesComeBackOnThreeLines()
    {
        FakePage page;
        {
            BookmarkDialog dialog(page, BookmarkDialog::Mode::Add);
            showAndWait(dialog);
            QTest::keyClicks(dialog.addressEdit(), "example.org");
            QPlainTextEdit *comments = dialog.commentsEdit();
            QTest::keyClicks(comments, "user: ann");
            QTest::keyClick(comments, Qt::Key_Return);
            QTest::keyClicks(comments, "password: kept elsewhere");
            QTest::keyClick(comments, Qt::Key_Return);
            QTest::keyClicks(comments, "third line");
            clickOk(dialog);
        }
        QCOMPARE(page.edited->comments,
                 QStringLiteral("user: ann\tpassword: kept elsewhere\tthird line"));

        BookmarkRecord stored = *page.edited;
        makeCurrent(page, stored);
        page.edited.reset();
        BookmarkDialog again(page, BookmarkDialog::Mode::Edit);
        showAndWait(again);
        QCOMPARE(again.commentsEdit()->blockCount(), 3);
        QCOMPARE(again.commentsEdit()->toPlainText(),
                 QStringLiteral("user: ann\npassword: kept elsewhere\nthird line"));
        QTest::mouseClick(again.okButton(), Qt::LeftButton);
        QCOMPARE(page.edited->comments, stored.comments);
    }

    void heldLineBreaksAreShownAsLines_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("tab") << "a\tb"
                             << "a\nb";
        QTest::newRow("carriage return and tab") << "a\r\tb"
                                                 << "a\nb";
        QTest::newRow("tab at the end") << "a\t"
                                        << "a\n";
        QTest::newRow("plain") << "no breaks"
                               << "no breaks";
    }

    void heldLineBreaksAreShownAsLines()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        FakePage page;
        makeCurrent(page, {"http://example.com/", "Example", stored, "", 0, ""});
        BookmarkDialog dialog(page, BookmarkDialog::Mode::Edit);
        QCOMPARE(dialog.commentsEdit()->toPlainText(), shown);
    }

    void typingStopsAtEachLimit_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("limit");
        QTest::newRow("address") << "address" << 500;
        QTest::newRow("title") << "title" << 100;
        QTest::newRow("comments") << "comments" << 250;
    }

    void typingStopsAtEachLimit()
    {
        QFETCH(QString, field);
        QFETCH(int, limit);
        FakePage page;
        BookmarkDialog dialog(page, BookmarkDialog::Mode::Add);
        showAndWait(dialog);
        dialog.addressEdit()->clear();
        QWidget *edit = field == "address" ? static_cast<QWidget *>(dialog.addressEdit())
                        : field == "title" ? static_cast<QWidget *>(dialog.titleEdit())
                                           : static_cast<QWidget *>(dialog.commentsEdit());
        const QString typed = QString(limit, 'a') + "bcdef";
        QTest::keyClicks(edit, typed);
        dialog.addressEdit()->setText(dialog.addressEdit()->text().isEmpty()
                                          ? QStringLiteral("http://x")
                                          : dialog.addressEdit()->text());
        clickOk(dialog);
        const QString kept = field == "address" ? page.edited->address
                             : field == "title" ? page.edited->title
                                                : page.edited->comments;
        QCOMPARE(kept, QString(limit, 'a'));
    }

    void pastingPastTheCommentLimitKeepsTheTextBefore()
    {
        FakePage page;
        BookmarkDialog dialog(page, BookmarkDialog::Mode::Add);
        showAndWait(dialog);
        QPlainTextEdit *comments = dialog.commentsEdit();
        QTest::keyClicks(comments, "startend");
        QTextCursor cursor = comments->textCursor();
        cursor.setPosition(5);
        comments->setTextCursor(cursor);
        comments->insertPlainText(QString(300, 'x'));
        QCOMPARE(comments->toPlainText(), "start" + QString(242, 'x') + "end");
        QCOMPARE(comments->textCursor().position(), 247);
    }

    // Text that an import brought in longer than a limit is not cut by merely editing.
    void storedTextsOverALimitAreKeptWhole()
    {
        FakePage page;
        const QString title(150, 't');
        const QString comments(300, 'c');
        makeCurrent(page, {"http://example.com/", title, comments, "", 2, ""});
        BookmarkDialog dialog(page, BookmarkDialog::Mode::Edit);
        showAndWait(dialog);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QCOMPARE(page.edited->title, title);
        QCOMPARE(page.edited->comments, comments);
    }

    void cancellingLeavesThePageAlone_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("close box") << "close";
        QTest::newRow("Escape") << "escape";
    }

    void cancellingLeavesThePageAlone()
    {
        QFETCH(QString, how);
        FakePage page;
        makeCurrent(page, {"http://example.com/", "Example", "note", "", 4, ""});
        const int bookmarks = page.store().bookmarkCount();
        BookmarkDialog dialog(page, BookmarkDialog::Mode::Edit);
        showAndWait(dialog);
        QTest::keyClicks(dialog.titleEdit(), " changed");
        if (how == "cancel")
            QTest::mouseClick(
                dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel),
                Qt::LeftButton);
        else if (how == "close")
            dialog.close();
        else
            QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.isHidden());
        QVERIFY(!page.edited.has_value());
        QCOMPARE(page.store().bookmarkCount(), bookmarks);
        QCOMPARE(page.store().currentBookmark().title, QStringLiteral("Example"));
    }
};

QTEST_MAIN(TestBookmarkDialog)
#include "tst_organiser_bookmarkdialog.moc"
