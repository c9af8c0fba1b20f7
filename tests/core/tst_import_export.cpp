#include "import/readers/bookmarkfilereader.h"
#include "import/readers/importfoldermaker.h"
#include "import/readers/bookmarkfilewriter.h"
#include "store/bookmarkcipher.h"
#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Writes values as an earlier run left them; no default set joins them.
void putPlain(Hive &hive, const QByteArray &name, const QByteArray &plain)
{
    hive.createKey(BookmarkStore::KeyPath);
    hive.setValue(BookmarkStore::KeyPath, "INI", "YES");
    hive.setValue(BookmarkStore::KeyPath, name, bookmarkCipherEncipher(plain));
}

// The folder path of a folder, \A\B, built by following the parents.
QString pathOf(BookmarkStore &store, int folderId)
{
    QString path;
    for (int steps = 0; folderId != 0 && steps < 100; ++steps) {
        const auto folder = store.folder(folderId);
        if (!folder)
            break;
        path.prepend(QLatin1Char('\\') + folder->name);
        folderId = folder->parentId;
    }
    return path;
}

// path|title|address|comments per bookmark, sorted, so two stores compare whole.
QStringList describe(BookmarkStore &store)
{
    QStringList lines;
    store.endBookmarkScan();
    while (store.nextBookmark()) {
        const CurrentBookmark &b = store.currentBookmark();
        lines << pathOf(store, store.folder(b.folderId) ? b.folderId : 0) + '|' + b.title + '|'
                     + b.address + '|' + b.comments;
    }
    store.endBookmarkScan();
    lines.sort();
    return lines;
}

// What the import does with each row: its folder made, the bookmark added.
void importRows(BookmarkStore &store, const ImportReadResult &read)
{
    ImportFolderMaker maker(store, read.folders);
    for (int f = 0; f < read.folders.count(); ++f)
        QVERIFY(maker.storeFolder(f) >= 0);
    for (const ImportRow &row : read.rows) {
        const int folder = maker.storeFolder(row.folder);
        QVERIFY(folder >= 0);
        const QString comments = QString(row.comment).replace('\n', '\t');
        QVERIFY(store.addBookmark({row.address, row.title.left(100), comments, {}, 0,
                                   QString::number(folder)}) >= 0);
    }
}

} // namespace

class TestImportExport final : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip();
    void fileCarriesRatingsAndComments();
    void escaping_data();
    void escaping();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();

private:
    QTemporaryDir m_dir;
};

void TestImportExport::roundTrip()
{
    MemoryHive hive;
    putPlain(hive, "gr101", "Work");
    putPlain(hive, "gr102", QString("Ünïcode 日本 \"q\" it's").toUtf8() + "\n101");
    putPlain(hive, "gr103", "R&D <lab>\n0");
    putPlain(hive, "gr2147483647", "Max\n103");
    putPlain(hive, "gr104", "Empty &amp; idle\n101");
    putPlain(hive, "ur0-1001", "http://top.example/?a=1&b=2&amp;c\nTop & more &amp;\nSays <b>\"hi\"</b>\tand &#39;more&#39;\n\n0");
    putPlain(hive, "ur101-1002", "https://w.example/\nWork page\n\n\n3");
    putPlain(hive, "ur102-1003", QString("https://u.example/ü\nСлово 🙂 <b>\n\n\n0").toUtf8());
    putPlain(hive, "ur2147483647-2147483647", "http://max.example/\nAt the edge\n\n\n5");
    putPlain(hive, "ur2147483647-1004", "http://q.example/\"x\"\nQuoted\n\n\n0");
    // Its folder is gone: the file must still hold it.
    putPlain(hive, "ur555-1005", "http://orphan.example/\nOrphan\n\n\n0");
    BookmarkStore store(&hive);
    QCOMPARE(store.bookmarkCount(), 6);

    const QString path = m_dir.filePath("roundtrip.html");
    QCOMPARE(BookmarkFileWriter::exportBookmarks(store, path), QString());
    const auto read = BookmarkFileReader::parseBookmarkFile(path, "NN Bookmarks");
    QCOMPARE(read.error, QString());

    MemoryHive emptyHive;
    QVERIFY(BookmarkStore::markFirstRunDone(&emptyHive));
    BookmarkStore imported(&emptyHive);
    importRows(imported, read);

    // Every field as it was, byte for byte, entities in the text included.
    QCOMPARE(describe(imported), describe(store));
    QVERIFY(describe(imported).contains(
        "|Top & more &amp;|http://top.example/?a=1&b=2&amp;c|Says <b>\"hi\"</b>\tand &#39;more&#39;"));
    // Empty folders come back too.
    QCOMPARE(imported.folderCount(), store.folderCount());
}

void TestImportExport::fileCarriesRatingsAndComments()
{
    MemoryHive hive;
    putPlain(hive, "ur0-1001", "http://r.example/\nRated\nfirst line\tsecond <line>\n\n4");
    putPlain(hive, "ur0-1002", "http://n.example/\nUnrated\n\n\n0");
    BookmarkStore store(&hive);
    const QByteArray text = BookmarkFileWriter::bookmarkFileText(store);
    QVERIFY(text.startsWith("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"));
    QVERIFY(text.contains("<DT><A HREF=\"http://r.example/\" RATING=\"4\">Rated</A>\n"
                          "    <DD>first line\nsecond &lt;line&gt;\n"));
    QVERIFY(text.contains("<DT><A HREF=\"http://n.example/\">Unrated</A>\n    </DL><p>")
            || text.contains("<DT><A HREF=\"http://n.example/\">Unrated</A>\n</DL><p>"));
    QVERIFY(text.endsWith("</DL><p>\n"));
}

void TestImportExport::escaping_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("escaped");
    QTest::addColumn<QByteArray>("address");

    QTest::newRow("plain") << "abc" << QByteArray("abc") << QByteArray("abc");
    QTest::newRow("markers") << "</A><DT><A HREF=\"x\">" << QByteArray("&lt;/A&gt;&lt;DT&gt;&lt;A HREF=\"x\"&gt;")
                             << QByteArray("&lt;/A&gt;&lt;DT&gt;&lt;A HREF=&quot;x&quot;&gt;");
    QTest::newRow("entity stays text") << "a&amp;b" << QByteArray("a&amp;amp;b") << QByteArray("a&amp;amp;b");
    QTest::newRow("unicode") << "ü 日本 🙂" << QString("ü 日本 🙂").toUtf8() << QString("ü 日本 🙂").toUtf8();
    QTest::newRow("long, specials past the first eight bytes")
        << "abcdefgh<ijklmnop>&qrstuvwxyz\"0123456789"
        << QByteArray("abcdefgh&lt;ijklmnop&gt;&amp;qrstuvwxyz\"0123456789")
        << QByteArray("abcdefgh&lt;ijklmnop&gt;&amp;qrstuvwxyz&quot;0123456789");
    QTest::newRow("specials on the sixteen-byte edges")
        << "0123456789abcde<>ghijklmnopqrstü\"vwxyz0123456789&"
        << QString("0123456789abcde&lt;&gt;ghijklmnopqrstü\"vwxyz0123456789&amp;").toUtf8()
        << QString("0123456789abcde&lt;&gt;ghijklmnopqrstü&quot;vwxyz0123456789&amp;").toUtf8();
    QTest::newRow("line breaks") << "a\r\nb" << QByteArray("a\r\nb") << QByteArray("a%0D%0Ab");
}

void TestImportExport::escaping()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, escaped);
    QFETCH(QByteArray, address);
    QByteArray out;
    BookmarkFileWriter::appendEscaped(out, text);
    QCOMPARE(out, escaped);
    out.clear();
    BookmarkFileWriter::appendEscapedAddress(out, text);
    QCOMPARE(out, address);
}

void TestImportExport::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<QString>("relative");
    QTest::newRow("missing folder") << "missing/folder/out.html";
    QTest::newRow("path is a folder") << "afolder";
    QTest::newRow("parent is a file") << "afile/out.html";
}

void TestImportExport::failedWriteKeepsOldFile()
{
    QFETCH(QString, relative);
    QVERIFY(QDir(m_dir.path()).mkpath("afolder/inside"));
    QFile file(m_dir.filePath("afile"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write("old"), 3);
    file.close();

    MemoryHive hive;
    putPlain(hive, "ur0-1001", "http://x.example/\nX\n\n\n0");
    BookmarkStore store(&hive);
    QVERIFY(!BookmarkFileWriter::exportBookmarks(store, m_dir.filePath(relative)).isEmpty());
    QVERIFY(QFileInfo(m_dir.filePath("afolder/inside")).isDir());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("old"));
}

QTEST_GUILESS_MAIN(TestImportExport)
#include "tst_import_export.moc"
