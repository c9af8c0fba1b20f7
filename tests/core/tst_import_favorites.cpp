#include "import/readers/favoritesreader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
    QTest::newRow("lf only") << QByteArray("[InternetShortcut]\nURL=http://a.example/\n") << "-";
    QTest::newRow("no final break") << QByteArray("[InternetShortcut]\r\nURL=http://a.example/")
                                    << "-";
    QTest::newRow("baseurl first")
        << QByteArray("[DEFAULT]\r\nBASEURL=http://base.example/\r\n[InternetShortcut]\r\n"
                      "URL=http://a.example/\r\n")
        << "http://base.example/";
    QTest::newRow("key in lower case") << QByteArray("url=http://a.example/\r\n") << "-";
    QTest::newRow("empty address") << QByteArray("URL=\r\n") << "";
    QTest::newRow("text ends at nul") << QByteArray("junk\0URL=http://a.example/\r\n", 29) << "-";
    QTest::newRow("utf-8 kept") << QByteArray("URL=http://a.example/caf\xc3\xa9\r\n")
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
                                                  QStringLiteral("Links"), root);
    QCOMPARE(row.has_value(), address != QLatin1String("-"));
    if (!row)
        return;
    QCOMPARE(row->address, address);
    QCOMPARE(row->title, QStringLiteral("My Site"));
    QCOMPARE(row->folderPath, QStringLiteral("\\Links"));
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
    write(QStringLiteral("Fav/Links/bad.url"), "URL=http://no-return.example/\n");

    // A trailing separator on the root changes nothing.
    ImportRows rows = FavoritesReader::readFavoritesFolder(m_dir.filePath(QStringLiteral("Fav/")),
                                                           QStringLiteral("IE Favorites"));
    QStringList seen;
    for (const ImportRow &row : rows)
        seen << row.title + '|' + row.label + '|' + row.folderPath;
    seen.sort();
    QCOMPARE(seen, QStringList({".dotted|IE Favorites|", "Deep|Sub|\\Links\\Sub",
                                "In Links|Links|\\Links", "Top|IE Favorites|"}));

    QVERIFY(FavoritesReader::readFavoritesFolder(m_dir.filePath(QStringLiteral("missing")),
                                                 QStringLiteral("IE Favorites"))
                .isEmpty());

    bool cancelled = false;
    rows = FavoritesReader::readFavoritesFolder(m_dir.filePath(QStringLiteral("Fav")),
                                                QStringLiteral("IE Favorites"),
                                                [](qint64, qint64) { return false; }, &cancelled);
    QVERIFY(cancelled);
    QVERIFY(rows.isEmpty());
}

void TestImportFavorites::walkSurvivesOddFolders()
{
    write(QStringLiteral("Loop/A/a.url"), "URL=http://a.example/\r\n");
    // A link back to the root must not be walked for ever.
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("Loop")),
                        m_dir.filePath(QStringLiteral("Loop/A/back"))));
    // A directory whose name ends in .url is a folder, not a shortcut.
    QDir().mkpath(m_dir.filePath(QStringLiteral("Loop/Odd.url")));
    const ImportRows rows = FavoritesReader::readFavoritesFolder(
        m_dir.filePath(QStringLiteral("Loop")), QStringLiteral("IE Favorites"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().folderPath, QStringLiteral("\\A"));
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
    write(QStringLiteral("Gone/a.url"), "URL=http://a.example/\r\n");
    write(QStringLiteral("Gone/b.url"), "URL=http://b.example/\r\n");
    ImportRows rows = FavoritesReader::readFavoritesFolder(m_dir.filePath(QStringLiteral("Gone")),
                                                           QStringLiteral("IE Favorites"));
    QCOMPARE(rows.size(), 2);
    rows.append(ImportRow{QStringLiteral("ghost"), {}, {}, {}, m_dir.filePath("Gone/ghost.url")});
    rows.append(ImportRow{}); // a row of a bookmark file carries no source
    QCOMPARE(FavoritesReader::removeImportedFavorites(rows), 2);
    QVERIFY(QDir(m_dir.filePath(QStringLiteral("Gone"))).isEmpty());
}

QTEST_GUILESS_MAIN(TestImportFavorites)
#include "tst_import_favorites.moc"
