#include "import/readers/bookmarkfilereader.h"
#include "import/readers/filelimits.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QString Top = QStringLiteral("NN Bookmarks");

// title|address|label|path per row.
QStringList describe(const ImportReadResult &result)
{
    QStringList lines;
    for (const ImportRow &row : result.rows)
        lines << row.title + '|' + row.address + '|' + row.label + '|'
                     + result.folders.path(row.folder);
    return lines;
}

// The scan exactly as first designed: every marker sought afresh from each
// position. Slow, but the reference the fast scan must agree with.
QStringList referenceScan(const std::string &text)
{
    auto between = [&](size_t begin, size_t end) {
        if (begin == std::string::npos || end == std::string::npos || end <= begin)
            return QString();
        return QString::fromUtf8(text.substr(begin, end - begin)).replace("&amp;", "&");
    };
    auto after = [](size_t at) { return at == std::string::npos ? at : at + 1; };
    QStringList stack;
    QStringList rows;
    size_t position = 0;
    while (true) {
        const size_t h = text.find("<DT><H3", position);
        const size_t d = text.find("</DL><p>", position);
        const size_t a = text.find("<DT><A HREF=", position);
        if (h == std::string::npos && a == std::string::npos)
            break;
        if (d < h && d < a) {
            if (stack.isEmpty())
                break;
            stack.removeLast();
            position = d + 1;
        } else if (h < a) {
            stack << between(after(text.find('>', h + 7)), text.find("</H3>", h));
            position = h + 1;
        } else {
            const size_t open = text.find('"', a);
            const size_t close = open == std::string::npos ? open : text.find('"', open + 1);
            const size_t start = after(text.find('>', a + 12));
            const size_t end = start == std::string::npos ? start : text.find("</A>", start);
            QString path;
            for (const QString &name : std::as_const(stack))
                path += '\\' + name;
            rows << between(start, end) + '|' + between(after(open), close) + '|'
                        + (stack.isEmpty() ? Top : stack.last()) + '|' + path;
            position = a + 1;
        }
    }
    return rows;
}

} // namespace

class TestImportBookmarkFile final : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void agreesWithReferenceScan();
    void refusesHugeFiles();
    void unreadableFileSaysWhy();
    void cancelLeavesNoRows();
    void candidateSearch();
    void decodesText_data();
    void decodesText();
    void commentsAndEmptyFolders();
    void deepNestingKeptAt256();
    void removeElements_data();
    void removeElements();
    void changedFileIsLeftWhole_data();
    void changedFileIsLeftWhole();
    void fifoIsNeverOpened();
    void failedRewriteKeepsOriginal();

private:
    QString write(const QString &relative, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

QString TestImportBookmarkFile::write(const QString &relative, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestImportBookmarkFile::parse_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("rows");

    const QByteArray nested = "<DL><p>\n"
                              "<DT><H3 ADD_DATE=\"1\">A</H3>\n<DL><p>\n"
                              "<DT><H3>B</H3>\n<DL><p>\n"
                              "<DT><A HREF=\"http://b.example/\">In B</A>\n"
                              "</DL><p>\n"
                              "<DT><A HREF=\"http://a.example/\">In A</A>\n"
                              "</DL><p>\n"
                              "</DL><p>\n";
    const QStringList nestedRows{"In B|http://b.example/|B|\\A\\B",
                                 "In A|http://a.example/|A|\\A"};
    QTest::newRow("nested folders") << nested << nestedRows;
    QTest::newRow("crlf") << QByteArray(nested).replace("\n", "\r\n") << nestedRows;

    QTest::newRow("top level around a folder")
        << QByteArray("<DL><p>\n<DT><A HREF=\"http://1.example/\">One</A>\n"
                      "<DT><H3>F</H3>\n<DL><p>\n<DT><A HREF=\"http://2.example/\">Two</A>\n"
                      "</DL><p>\n<DT><A HREF=\"http://3.example/\">Three</A>\n</DL><p>\n")
        << QStringList{"One|http://1.example/|NN Bookmarks|", "Two|http://2.example/|F|\\F",
                       "Three|http://3.example/|NN Bookmarks|"};
    QTest::newRow("lower-case markers")
        << QByteArray("<dl><p>\n<dt><h3>F</h3>\n<dl><p>\n<dt><a href=\"http://x.example/\">X</a>\n")
        << QStringList();
    QTest::newRow("entity decoded, no trimming")
        << QByteArray("<DT><A HREF=\"http://r.example/?a=1&amp;b=2\"> R &amp; D </A>\n")
        << QStringList{" R & D |http://r.example/?a=1&b=2|NN Bookmarks|"};
    QTest::newRow("early end of list stops")
        << QByteArray("<DT><A HREF=\"http://1.example/\">One</A>\n</DL><p>\n"
                      "<DT><A HREF=\"http://2.example/\">Two</A>\n")
        << QStringList{"One|http://1.example/|NN Bookmarks|"};
    QTest::newRow("missing end markers")
        << QByteArray("<DT><H3>Open\n<DT><A HREF=\"http://x.example/ no close")
        << QStringList{"|||\\"};

    QTest::newRow("firefox")
        << QByteArray("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n"
                      "<H1>Bookmarks Menu</H1>\n\n<DL><p>\n"
                      "    <DT><H3 ADD_DATE=\"1\" PERSONAL_TOOLBAR_FOLDER=\"true\">Bookmarks "
                      "Toolbar</H3>\n    <DL><p>\n"
                      "        <DT><A HREF=\"https://f.example/\" ADD_DATE=\"2\" ICON=\"data:x\">"
                      "Fox</A>\n        <DD>A description\n"
                      "    </DL><p>\n"
                      "    <HR>    <DT><A HREF=\"https://g.example/\">Menu</A>\n</DL>\n")
        << QStringList{"Fox|https://f.example/|Bookmarks Toolbar|\\Bookmarks Toolbar",
                       "Menu|https://g.example/|NN Bookmarks|"};
    QTest::newRow("chrome")
        << QByteArray("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
                      "    <DT><H3 ADD_DATE=\"1\" LAST_MODIFIED=\"2\" "
                      "PERSONAL_TOOLBAR_FOLDER=\"true\">Bookmarks bar</H3>\n    <DL><p>\n"
                      "        <DT><A HREF=\"https://c.example/\" ADD_DATE=\"3\" ICON=\"data:y\">"
                      "Chrome</A>\n    </DL><p>\n</DL><p>\n")
        << QStringList{"Chrome|https://c.example/|Bookmarks bar|\\Bookmarks bar"};
    // Konqueror writes <P> and a bare </DL>: the folder is never closed.
    QTest::newRow("kde")
        << QByteArray("<DL><P>\n<DT><H3 FOLDED>KDE</H3>\n<DL><P>\n"
                      "<DT><A HREF=\"https://k.example/\">Konq</A>\n</DL>\n<HR>\n"
                      "<DT><A HREF=\"https://after.example/\">After</A>\n</DL>\n")
        << QStringList{"Konq|https://k.example/|KDE|\\KDE", "After|https://after.example/|KDE|\\KDE"};
}

void TestImportBookmarkFile::parse()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, rows);
    const QString path = write(QStringLiteral("parse/bookmarks.html"), text);
    const auto result = BookmarkFileReader::parseBookmarkFile(path, Top);
    QVERIFY(result.error.isEmpty());
    QCOMPARE(describe(result), rows);
    if (!text.contains("&#") && !text.contains("&lt;"))
        QCOMPARE(referenceScan(text.toStdString()), rows);
}

void TestImportBookmarkFile::decodesText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("named") << QByteArray("Caf\xc3\xa9 Cr\xc3\xa8me &amp; Co &lt;tag&gt; &quot;q&quot; &#39;s&apos;")
                           << QString("Café Crème & Co <tag> \"q\" 's'");
    QTest::newRow("numeric") << QByteArray("&#233;&#xE9;&#X1F642;&#8364;") << QString::fromUtf8("\xc3\xa9\xc3\xa9\xf0\x9f\x99\x82\xe2\x82\xac");
    QTest::newRow("not references") << QByteArray("a&b &amp &unknown; &#0; &#xD800; &#99999999; &")
                                    << QString("a&b &amp &unknown; &#0; &#xD800; &#99999999; &");
    QTest::newRow("decoded once") << QByteArray("&amp;amp;") << QString("&amp;");
}

void TestImportBookmarkFile::decodesText()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, decoded);
    // The same text as title, address and folder name.
    const QByteArray file = "<DT><H3>" + text + "</H3>\n<DL><p>\n<DT><A HREF=\"" + text + "\">"
                            + text + "</A>\n<DD>" + text + "\n</DL><p>\n";
    const auto result = BookmarkFileReader::parseBookmarkText(file, Top);
    QCOMPARE(result.rows.size(), 1);
    const ImportRow &row = result.rows.first();
    QCOMPARE(row.title, decoded);
    QCOMPARE(row.address, decoded);
    QCOMPARE(row.label, decoded);
    QCOMPARE(row.comment, decoded);
}

void TestImportBookmarkFile::commentsAndEmptyFolders()
{
    const QByteArray text = "<DL><p>\n    <DT><H3>Empty</H3>\n    <DL><p>\n    </DL><p>\n"
                            "    <DT><A HREF=\"http://a.example/\">A</A>\n"
                            "    <DD>line one\r\nline &lt;two&gt;\n"
                            "    <DT><A HREF=\"http://b.example/\">B</A>\n</DL><p>\n";
    const auto result = BookmarkFileReader::parseBookmarkText(text, Top);
    QCOMPARE(result.folders.count(), 2);
    QCOMPARE(result.folders.path(1), QStringLiteral("\\Empty"));
    QCOMPARE(result.rows.size(), 2);
    QCOMPARE(result.rows[0].comment, QStringLiteral("line one\nline <two>"));
    QCOMPARE(result.rows[1].comment, QString());
}

void TestImportBookmarkFile::deepNestingKeptAt256()
{
    QByteArray text;
    const int depth = 300;
    for (int i = 0; i < depth; ++i)
        text += "<DT><H3>F" + QByteArray::number(i) + "</H3>\n<DL><p>\n";
    text += "<DT><A HREF=\"http://deep.example/\">Deep</A>\n";
    for (int i = 0; i < depth - 1; ++i)
        text += "</DL><p>\n";
    text += "<DT><A HREF=\"http://top.example/\">Shallow</A>\n";
    const auto result = BookmarkFileReader::parseBookmarkText(text, Top);
    QCOMPARE(result.rows.size(), 2);
    QCOMPARE(result.folders.depth(result.rows[0].folder), ImportFolders::MaxDepth);
    QCOMPARE(result.folders.count(), ImportFolders::MaxDepth + 1);
    // Every end of list still closed what it should: the second is in F0.
    QCOMPARE(result.folders.path(result.rows[1].folder), QStringLiteral("\\F0"));
    QCOMPARE(result.placedAtMaxDepth, 1);
}

void TestImportBookmarkFile::agreesWithReferenceScan()
{
    // Texts stitched from marker fragments, so that markers go missing,
    // nest oddly and end early in every combination.
    const char *pieces[] = {"<DT><H3", ">", "</H3>", "</DL><p>", "<DT><A HREF=", "\"", "</A>",
                            "name", "\n", "<DT><A HREF=\"http://q.example/\">", "<DL><p>", "&amp;"};
    QRandomGenerator random(12);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int count = random.bounded(1, 40);
        for (int i = 0; i < count; ++i)
            text += pieces[random.bounded(int(std::size(pieces)))];
        const auto result = BookmarkFileReader::parseBookmarkText(
            QByteArrayView(text.data(), qsizetype(text.size())), Top);
        QCOMPARE(describe(result), referenceScan(text));
    }
}

void TestImportBookmarkFile::refusesHugeFiles()
{
    QFile file(m_dir.filePath(QStringLiteral("huge.html")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(FileLimits::MaxReadSize + 1)); // sparse: costs no disk
    file.close();
    const auto result = BookmarkFileReader::parseBookmarkFile(file.fileName(), Top);
    QVERIFY(result.rows.isEmpty());
    QVERIFY(result.tooLarge);
    QCOMPARE(result.error, BookmarkFileReader::tooLargeMessage(file.fileName()));
    QVERIFY(!BookmarkFileReader::removeImportedBookmarks(file.fileName(), {}, {}).isEmpty());
}

void TestImportBookmarkFile::unreadableFileSaysWhy()
{
    const auto result =
        BookmarkFileReader::parseBookmarkFile(m_dir.filePath(QStringLiteral("none.html")), Top);
    QVERIFY(result.rows.isEmpty());
    QVERIFY(!result.error.isEmpty());
    QVERIFY(!BookmarkFileReader::removeImportedBookmarks(m_dir.filePath("none.html"), {}, {})
                 .isEmpty());
    QVERIFY(!QFile::exists(m_dir.filePath("none.html")));
}

void TestImportBookmarkFile::cancelLeavesNoRows()
{
    QByteArray text;
    for (int i = 0; i < 20000; ++i)
        text += "<DT><A HREF=\"http://" + QByteArray::number(i) + ".example/\">T</A>\n";
    const QString path = write(QStringLiteral("cancel.html"), text);
    int calls = 0;
    const auto result = BookmarkFileReader::parseBookmarkFile(path, Top, [&](qint64, qint64) {
        return ++calls < 3;
    });
    QVERIFY(result.cancelled);
    QVERIFY(result.rows.isEmpty());
    QVERIFY(result.error.isEmpty());
}

void TestImportBookmarkFile::candidateSearch()
{
    const QString home = QDir::homePath();
    const QString favorites = m_dir.filePath(QStringLiteral("user/Favorites"));
    write(QStringLiteral("user/mozilla/users/ann/Bookmarks.HTML"), "x");
    write(QStringLiteral("user/mozilla/users/ann/bookmarks.htm"), "x");
    write(QStringLiteral("user/mozilla/.hidden/bookmarks.html"), "x");
    write(QStringLiteral("user/application data/Mozilla/p/bookmark.htm"), "x");
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("user")),
                        m_dir.filePath(QStringLiteral("user/mozilla/users/loop"))));

    const QString profile = home + QStringLiteral("/.mozilla/firefox/abc.default/bookmarks.html");
    QDir().mkpath(QFileInfo(profile).path());
    QFile exported(profile);
    QVERIFY(exported.open(QIODevice::WriteOnly));
    exported.close();

    const QStringList found = BookmarkFileReader::collectBookmarkFileCandidates(favorites);
    QCOMPARE(found, QStringList({m_dir.filePath(QStringLiteral("user/mozilla/users/ann/Bookmarks.HTML")),
                                 m_dir.filePath(QStringLiteral(
                                     "user/application data/Mozilla/p/bookmark.htm")),
                                 profile}));
    QVERIFY(QFile::remove(profile));
}

void TestImportBookmarkFile::removeElements_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<int>>("checked"); // rows by their place in the file
    QTest::addColumn<QByteArray>("expected");

    const QByteArray a = "<DT><A HREF=\"http://a.example/\">A</A>";
    const QByteArray b = "<DT><A HREF=\"http://b.example/\">B</A>";
    const QByteArray c = "<DT><A HREF=\"http://c.example/\">C</A>";
    QTest::newRow("one-line file, first of three") << a + b + c << QList<int>{0} << b + c;
    QTest::newRow("whole lines go with their indent")
        << "<DL><p>\n    " + a + "\n    " + b + "\n</DL><p>\n" << QList<int>{0}
        << "<DL><p>\n    " + b + "\n</DL><p>\n";
    QTest::newRow("same address in two folders, second checked")
        << "<DT><H3>A</H3>\n<DL><p>\n" + a + "\n</DL><p>\n<DT><H3>B</H3>\n<DL><p>\n" + a
               + "\n</DL><p>\n"
        << QList<int>{1} << "<DT><H3>A</H3>\n<DL><p>\n" + a + "\n</DL><p>\n<DT><H3>B</H3>\n<DL><p>\n</DL><p>\n";
    QTest::newRow("end of list and a second bookmark on its line")
        << "<DT><H3>F</H3>\n<DL><p>\n" + a + "</DL><p>" + b + "\n" << QList<int>{0}
        << "<DT><H3>F</H3>\n<DL><p>\n</DL><p>" + b + "\n";
    QTest::newRow("description goes with it")
        << "    " + a + "\r\n    <DD>about A\r\n    " + b + "\r\n" << QList<int>{0}
        << "    " + b + "\r\n";
    QTest::newRow("last of file, no line feed") << b + "\n" + a << QList<int>{1} << b + "\n";
    QTest::newRow("two checked, one kept") << a + "\n" + b + "\n" + c + "\n" << QList<int>{0, 2}
                                           << b + "\n";
}

void TestImportBookmarkFile::removeElements()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<int>, checked);
    QFETCH(QByteArray, expected);
    const QString path = write(QStringLiteral("remove/bookmarks.html"), text);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const auto read = BookmarkFileReader::parseBookmarkFile(path, Top);
    ImportRows rows;
    for (int i : checked)
        rows << read.rows.at(i);
    QCOMPARE(BookmarkFileReader::removeImportedBookmarks(path, read.source, rows), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), expected);
    QCOMPARE(file.permissions() & 0x7777,
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                 | QFileDevice::WriteUser);
}

void TestImportBookmarkFile::changedFileIsLeftWhole_data()
{
    QTest::addColumn<QByteArray>("replacement");
    QTest::newRow("same size, other bytes") << QByteArray("<DT><A HREF=\"http://x.example/\">Y</A>\n");
    QTest::newRow("grown") << QByteArray("<DT><A HREF=\"http://x.example/\">X</A>\nmore\n");
}

void TestImportBookmarkFile::changedFileIsLeftWhole()
{
    QFETCH(QByteArray, replacement);
    const QString path = write(QStringLiteral("changed/bookmarks.html"),
                               "<DT><A HREF=\"http://x.example/\">X</A>\n");
    const auto read = BookmarkFileReader::parseBookmarkFile(path, Top);
    write(QStringLiteral("changed/bookmarks.html"), replacement);
    QVERIFY(!BookmarkFileReader::removeImportedBookmarks(path, read.source, read.rows).isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), replacement);
}

void TestImportBookmarkFile::fifoIsNeverOpened()
{
    const QString fifo = m_dir.filePath(QStringLiteral("fifo/bookmarks.html"));
    QVERIFY(QDir().mkpath(QFileInfo(fifo).path()));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QStringList found;
    BookmarkFileReader::findBookmarkFiles(QFileInfo(fifo).path(), found);
    QCOMPARE(found, QStringList());
    const auto result = BookmarkFileReader::parseBookmarkFile(fifo, Top);
    QVERIFY(!result.error.isEmpty());
}

void TestImportBookmarkFile::failedRewriteKeepsOriginal()
{
    QByteArray text;
    for (int i = 0; i < 2000; ++i)
        text += "<DT><A HREF=\"http://" + QByteArray::number(i) + ".example/\">T</A>\n";
    const QString path = write(QStringLiteral("full/bookmarks.html"), text);
    // A disk that fills up after 4 KiB: every larger write fails.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto read = BookmarkFileReader::parseBookmarkFile(path, Top);
    const QString error =
        BookmarkFileReader::removeImportedBookmarks(path, read.source, read.rows.mid(1, 1));
    setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY(!error.isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), text);
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files), QStringList("bookmarks.html"));
}

QTEST_GUILESS_MAIN(TestImportBookmarkFile)
#include "tst_import_bookmarkfile.moc"
