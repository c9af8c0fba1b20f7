#include "importtesting.h"

#include "../core/failinghive.h"
#include "../core/storesnapshot.h"

#include "import/importfavoritesdialog.h"
#include "controls/hoverbutton.h"
#include "import/importprogress.h"
#include "store/hive/sqlitehive.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>

// Every way an import can end leaves no write transaction open: the changes
// made after it reach the file at once, not at the next commit or at exit.
class TestImportTransactions final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void importLeavesNoTransactionOpen_data();
    void importLeavesNoTransactionOpen();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

using Tab = ImportFavoritesDialog::Tab;

enum Ending { Answered, Cancelled, Failed };

QByteArray bookmarkLine(const QString &address, const QString &title)
{
    return "<DT><A HREF=\"" + address.toUtf8() + "\">" + title.toUtf8() + "</A>\n";
}

// The import dialog's page over a hive file that can be made to refuse the commit.
class FailingPage final : public TopLevelPage
{
public:
    explicit FailingPage(const QString &path) : m_failing(m_file)
    {
        m_file.open(path);
        m_failing.createKey(BookmarkStore::KeyPath);
        m_failing.setValue(BookmarkStore::KeyPath, "INI", "YES");
        m_store = std::make_unique<BookmarkStore>(&m_failing);
    }
    BookmarkStore &store() override { return *m_store; }

    SqliteHive m_file;
    FailingHive m_failing;

private:
    std::unique_ptr<BookmarkStore> m_store;
};

} // namespace

void TestImportTransactions::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("USERPROFILE", m_dir->filePath(QStringLiteral("profile")).toUtf8());
    Prompts::instance().takeAsked();
    ImportFavoritesDialog::setPathChooser({});
}

void TestImportTransactions::cleanup()
{
    QCOMPARE(Prompts::instance().pendingAnswers(), 0);
    ImportProgress::setShowDelay(400);
    m_dir.reset();
}

void TestImportTransactions::importLeavesNoTransactionOpen_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("reply");
    QTest::addColumn<int>("ending");
    QTest::addColumn<bool>("remove");
    for (const bool remove : {false, true}) {
        const char *removing = remove ? ", removing" : "";
        QTest::addRow("yes%s", removing) << QMessageBox::Yes << int(Answered) << remove;
        QTest::addRow("no%s", removing) << QMessageBox::No << int(Answered) << remove;
        QTest::addRow("cancelled%s", removing) << QMessageBox::No << int(Cancelled) << remove;
        QTest::addRow("failed%s", removing) << QMessageBox::Yes << int(Failed) << remove;
    }
}

void TestImportTransactions::importLeavesNoTransactionOpen()
{
    QFETCH(QMessageBox::StandardButton, reply);
    QFETCH(int, ending);
    QFETCH(bool, remove);
    // The duplicate comes first, so the question is asked before any cancel.
    QByteArray lines = bookmarkLine("http://dup.example/", "Dup");
    for (int i = 0; i < (ending == Cancelled ? 3000 : 3); ++i)
        lines += bookmarkLine(QStringLiteral("http://%1.example/").arg(i), QString::number(i));
    const QString file = writeFile(m_dir->filePath(QStringLiteral("bookmarks.html")), lines);
    const QString hivePath = m_dir->filePath(QStringLiteral("hive.sqlite3"));
    FailingPage page(hivePath);
    page.store().addBookmark({"http://dup.example/", "Old", {}, {}, 0, "0"});
    const int doomed = page.store().addFolder(QStringLiteral("Doomed"), 0);

    ImportFavoritesDialog::setPathChooser([&](QWidget *, Tab) { return file; });
    ImportFavoritesDialog dialog(page, &page.m_file);
    dialog.show();
    QTest::mouseClick(dialog.tabBar(), Qt::LeftButton, {}, dialog.tabBar()->tabRect(1).center());
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.selectAllButton(), Qt::LeftButton);
    if (remove)
        QTest::mouseClick(dialog.removeOnImport(Tab::BookmarkFileTab), Qt::LeftButton);
    QTimer canceller;
    if (ending == Cancelled) {
        ImportProgress::setShowDelay(0);
        connect(&canceller, &QTimer::timeout, &dialog, [&] {
            auto *progress = dialog.findChild<QProgressDialog *>();
            if (progress && progress->isVisible() && progress->value() > 100)
                progress->cancel();
        });
        canceller.start(0);
    }
    page.m_failing.restartCounting();
    // The first commit is the one made before the question.
    page.m_failing.failCommitAt = ending == Failed ? 2 : 0;
    // The question is a real box, answered as the person would: nothing
    // written before it may wait uncommitted while it is open.
    bool openWhileAsked = true;
    QTimer asker;
    connect(&asker, &QTimer::timeout, &dialog, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->button(reply))
            return;
        asker.stop();
        openWhileAsked = page.m_file.isInTransaction();
        if (ending != Answered)
            answer({QMessageBox::Ok});
        box->button(reply)->click();
    });
    asker.start(10);
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);
    canceller.stop();
    QVERIFY(!asker.isActive());
    QVERIFY(!openWhileAsked);
    QCOMPARE(Prompts::instance().pendingAnswers(), 0);
    QVERIFY(!page.m_file.isInTransaction());

    // What the person does next lands on the file before the call returns.
    QVERIFY(page.store().deleteFolder(QString::number(doomed)));
    QVERIFY(page.store().addBookmark({"http://after.example/", "After", {}, {}, 0, "0"}) >= 0);
    QVERIFY(!page.m_file.isInTransaction());
    SqliteHive other;
    QCOMPARE(other.open(hivePath), SqliteHive::OpenResult::Opened);
    BookmarkStore onFile(&other);
    QCOMPARE(storeSnapshot(page.store()), storeSnapshot(onFile));
}

QTEST_MAIN(TestImportTransactions)
#include "tst_import_transactions.moc"
