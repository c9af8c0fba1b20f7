#include "import/readers/favoritesreader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestImportFavorites final : public QObject
{
    Q_OBJECT

private slots:
    void urlFile_data();
    void urlFile();
    void folderWalk();
    void walkSurvivesOddFolders();
    void defaultFolder_data();
    void defaultFolder();
    void removeDeletesOnlyWhatExists();
    void removeKeepsReplacedFiles_data();
    void removeKeepsReplacedFiles();

private:
    void write(const QString &relative, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

void TestImportFavorites::write(const QString &relative, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void TestImportFavorites::urlFile_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("address"); // "-" for no row

    QTest::newRow("crlf") << QByteArray("[InternetShortcut]\r\nURL=http://a.example/\r\n")
                          << "http://a.example/";
    QTest::newRow("lf only") << QByteArray("[InternetShortcut]\nURL=http://a.example/\n")
                             << "http://a.example/";
    QTest::newRow("cr only") << QByteArray("[InternetShortcut]\rIconIndex=0\rURL=http://a.example/\r")
                             << "http://a.example/";
    QTest::newRow("no final break") << QByteArray("[InternetShortcut]\r\nURL=http://a.example/")
                                    << "http://a.example/";
    QTest::newRow("baseurl first")
        << QByteArray("[DEFAULT]\r\nBASEURL=http://base.example/\r\n[InternetShortcut]\r\n"
                      "URL=http://a.example/\r\n")
        << "http://a.example/";
    QTest::newRow("url in another section") << QByteArray("[Other]\nURL=http://o.example/\n") << "-";
    QTest::newRow("section after ours")
        << QByteArray("[internetshortcut]\nURL=http://a.example/\n[Other]\nURL=http://o.example/\n")
        << "http://a.example/";
    QTest::newRow("key in lower case") << QByteArray("[InternetShortcut]\nurl=http://a.example/\r\n") << "-";
    QTest::newRow("empty address") << QByteArray("[InternetShortcut]\r\nURL=\r\n") << "";
    QTest::newRow("text ends at nul")
        << QByteArray("[InternetShortcut]\n\0URL=http://a.example/\r\n", 43) << "-";
    QTest::newRow("utf-8 kept") << QByteArray("[InternetShortcut]\nURL=http://a.example/caf\xc3\xa9\r\n")
                                << QString::fromUtf8("http://a.example/caf\xc3\xa9");
    QTest::newRow("empty file") << QByteArray() << "-";
}

void TestImportFavorites::urlFile()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, address);
    write(QStringLiteral("Fav/Links/My Site.URL"), text);
    const QString root = m_dir.filePath(QStringLiteral("Fav"));
    const QString path = root + QStringLiteral("/Links/My Site.URL");
    const auto row = FavoritesReader::readUrlFile(QStringLiteral("My Site.URL"), path,
                                                  QStringLiteral("Links"), 3);
    QCOMPARE(row.has_value(), address != QLatin1String("-"));
    if (!row)
        return;
    QCOMPARE(row->address, address);
    QCOMPARE(row->title, QStringLiteral("My Site"));
    QCOMPARE(row->folder, 3);
    QCOMPARE(row->sourcePath, path);
}

void TestImportFavorites::folderWalk()
{
    const QByteArray shortcut("[InternetShortcut]\r\nURL=http://x.example/\r\n");
    write(QStringLiteral("Fav/Top.url"), shortcut);
    write(QStringLiteral("Fav/notes.txt"), shortcut);
    write(QStringLiteral("Fav/.dotted.url"), shortcut);
    write(QStringLiteral("Fav/Links/In Links.Url"), shortcut);
    write(QStringLiteral("Fav/Links/Sub/Deep.url"), shortcut);
    write(QStringLiteral("Fav/.hidden/Never.url"), shortcut);
    write(QStringLiteral("Fav/Links/bad.url"), "URL=http://no-section.example/\n");
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("Fav/Empty"))));
    QCOMPARE(mkfifo(QFile::encodeName(m_dir.filePath("Fav/Pipe.url")).constData(), 0600), 0);

    // A trailing separator on the root changes nothing.
    ImportReadResult read = FavoritesReader::readFavoritesFolder(
        m_dir.filePath(QStringLiteral("Fav/")), QStringLiteral("IE Favorites"));
    QStringList seen;
    for (const ImportRow &row : read.rows)
        seen << row.title + '|' + row.label + '|' + read.folders.path(row.folder);
    QCOMPARE(seen, QStringList({".dotted|IE Favorites|", "Top|IE Favorites|",
                                "In Links|Links|\\Links", "Deep|Sub|\\Links\\Sub"}));
    QStringList folders;
    for (int f = 1; f < read.folders.count(); ++f)
        folders << read.folders.path(f);
    folders.sort();
    QCOMPARE(folders, QStringList({"\\Empty", "\\Links", "\\Links\\Sub"}));

    QVERIFY(FavoritesReader::readFavoritesFolder(m_dir.filePath(QStringLiteral("missing")),
                                                 QStringLiteral("IE Favorites"))
                .rows.isEmpty());

    read = FavoritesReader::readFavoritesFolder(m_dir.filePath(QStringLiteral("Fav")),
                                                QStringLiteral("IE Favorites"),
                                                [](qint64, qint64) { return false; });
    QVERIFY(read.cancelled);
    QVERIFY(read.rows.isEmpty());
}

void TestImportFavorites::walkSurvivesOddFolders()
{
    write(QStringLiteral("Loop/A/a.url"), "[InternetShortcut]\r\nURL=http://a.example/\r\n");
    // A link back to the root must not be walked for ever.
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("Loop")),
                        m_dir.filePath(QStringLiteral("Loop/A/back"))));
    // A directory whose name ends in .url is a folder, not a shortcut.
    QDir().mkpath(m_dir.filePath(QStringLiteral("Loop/Odd.url")));
    const ImportReadResult read = FavoritesReader::readFavoritesFolder(
        m_dir.filePath(QStringLiteral("Loop")), QStringLiteral("IE Favorites"));
    QCOMPARE(read.rows.size(), 1);
    QCOMPARE(read.folders.path(read.rows.first().folder), QStringLiteral("\\A"));
}

void TestImportFavorites::defaultFolder_data()
{
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<QByteArray>("windir");
    QTest::addColumn<QString>("expected");

    QTest::newRow("profile") << QByteArray("/profiles/ann") << QByteArray("/win")
                             << "/profiles/ann/Favorites";
    QTest::newRow("windir") << QByteArray() << QByteArray("/win") << "/win/Favorites";
    QTest::newRow("home") << QByteArray() << QByteArray()
                          << QDir::homePath() + QStringLiteral("/Favorites");
}

void TestImportFavorites::defaultFolder()
{
    QFETCH(QByteArray, profile);
    QFETCH(QByteArray, windir);
    QFETCH(QString, expected);
    qputenv("USERPROFILE", profile);
    qputenv("windir", windir);
    QCOMPARE(FavoritesReader::defaultFavoritesFolder(), expected);
    qunsetenv("USERPROFILE");
    qunsetenv("windir");
}

void TestImportFavorites::removeDeletesOnlyWhatExists()
{
    write(QStringLiteral("Gone/a.url"), "[InternetShortcut]\r\nURL=http://a.example/\r\n");
    write(QStringLiteral("Gone/b.url"), "[InternetShortcut]\r\nURL=http://b.example/\r\n");
    ImportRows rows = FavoritesReader::readFavoritesFolder(m_dir.filePath(QStringLiteral("Gone")),
                                                           QStringLiteral("IE Favorites"))
                          .rows;
    QCOMPARE(rows.size(), 2);
    ImportRow ghost;
    ghost.sourcePath = m_dir.filePath("Gone/ghost.url");
    rows.append(ghost);
    rows.append(ImportRow{}); // a row of a bookmark file carries no source
    const auto removal = FavoritesReader::removeImportedFavorites(rows);
    QCOMPARE(removal.removed, 2);
    QCOMPARE(removal.failed.size(), 1);
    QVERIFY(removal.failed.first().contains("ghost.url"));
    QVERIFY(QDir(m_dir.filePath(QStringLiteral("Gone"))).isEmpty());
}

void TestImportFavorites::removeKeepsReplacedFiles_data()
{
    QTest::addColumn<QString>("replacement"); // "link", "other content", "folder"
    QTest::newRow("link to the same content") << "link";
    QTest::newRow("other content") << "other content";
    QTest::newRow("folder") << "folder";
}

void TestImportFavorites::removeKeepsReplacedFiles()
{
    QFETCH(QString, replacement);
    const QByteArray content = "[InternetShortcut]\r\nURL=http://a.example/\r\n";
    write(QStringLiteral("Swap/a.url"), content);
    write(QStringLiteral("Elsewhere/a.url"), content);
    const ImportRows rows = FavoritesReader::readFavoritesFolder(
                                m_dir.filePath(QStringLiteral("Swap")), QStringLiteral("IE"))
                                .rows;
    QCOMPARE(rows.size(), 1);
    const QString path = rows.first().sourcePath;
    QVERIFY(QFile::remove(path));
    if (replacement == u"link")
        QVERIFY(QFile::link(m_dir.filePath("Elsewhere/a.url"), path));
    else if (replacement == u"folder")
        QVERIFY(QDir().mkpath(path));
    else
        write(QStringLiteral("Swap/a.url"), "[InternetShortcut]\r\nURL=http://b.example/\r\n");
    const auto removal = FavoritesReader::removeImportedFavorites(rows);
    QCOMPARE(removal.removed, 0);
    QCOMPARE(removal.failed.size(), 1);
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(QFileInfo::exists(m_dir.filePath("Elsewhere/a.url")));
}

QTEST_GUILESS_MAIN(TestImportFavorites)
#include "tst_import_favorites.moc"
