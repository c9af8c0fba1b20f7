#include "import/importfavoritesdialog.h"

#include "controls/headerwatcher.h"
#include "controls/hoverbutton.h"
#include "controls/prompts.h"
#include "import/bookmarkimporter.h"
#include "import/importlist.h"
#include "import/importnotices.h"
#include "import/importprogress.h"
#include "import/readers/bookmarkfilereader.h"
#include "import/readers/browserprofiles.h"
#include "import/readers/chromiumbookmarksreader.h"
#include "import/readers/firefoxplacesreader.h"
#include "import/readers/favoritesreader.h"
#include "organiser/bookmarkpageaccess.h"
#include "organiser/savefailure.h"
#include "store/bookmarkstore.h"
#include "store/hive/hive.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTabBar>
#include <QVBoxLayout>

const QString ImportFavoritesDialog::RecentKey = QStringLiteral("Software\\QuietLinksStore");

namespace {

constexpr int RecentValueLimit = 1023;

QString recentPrefix(ImportFavoritesDialog::Tab tab)
{
    return tab == ImportFavoritesDialog::FavoritesTab ? QStringLiteral("RecentIE")
                                                      : QStringLiteral("RecentNN");
}

// Each starts in the home folder, where a launcher's working folder may not be.
QString choosePath(QWidget *parent, ImportFavoritesDialog::Tab tab)
{
    const QDir home = QDir::home();
    switch (tab) {
    case ImportFavoritesDialog::FavoritesTab:
        return QFileDialog::getExistingDirectory(
            parent, ImportFavoritesDialog::tr("Select IE Favorites folder"), home.path());
    case ImportFavoritesDialog::BookmarkFileTab:
        return QFileDialog::getOpenFileName(
            parent, {}, home.filePath(QStringLiteral("bookmark*.htm*")),
            ImportFavoritesDialog::tr("Bookmark files (bookmark*.htm*)"));
    case ImportFavoritesDialog::FirefoxTab:
        return QFileDialog::getOpenFileName(
            parent, {}, home.filePath(QStringLiteral("places.sqlite")),
            ImportFavoritesDialog::tr("Firefox bookmarks (places.sqlite)"));
    case ImportFavoritesDialog::ChromiumTab:
        return QFileDialog::getOpenFileName(
            parent, {}, home.filePath(QStringLiteral("Bookmarks")),
            ImportFavoritesDialog::tr("Chromium bookmarks (Bookmarks)"));
    }
    return {};
}

ImportFavoritesDialog::PathChooser &pathChooser()
{
    static ImportFavoritesDialog::PathChooser chooser = choosePath;
    return chooser;
}

// The combo box's own search: the first item that begins with the text,
// without regard to case.
int findPrefix(const QComboBox *box, const QString &text)
{
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).startsWith(text, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

ImportList *makeList(const QString &titleHeader, QWidget *parent)
{
    auto *list = new ImportList(parent);
    list->setHeaderLabels({titleHeader, ImportFavoritesDialog::tr("URL"),
                           ImportFavoritesDialog::tr("Folder")});
    list->header()->setStretchLastSection(false);
    list->setColumnWidth(ImportFavoritesDialog::TitleColumn, 200);
    list->setColumnWidth(ImportFavoritesDialog::AddressColumn, 170);
    list->setColumnWidth(ImportFavoritesDialog::FolderColumn, 100);
    new HeaderWatcher(list->header());
    return list;
}

} // namespace

ImportFavoritesDialog::ImportFavoritesDialog(BookmarkPageAccess &page, Hive *hive, QWidget *parent)
    : QDialog(parent), m_page(page), m_hive(hive)
{
    buildControls();
    readRecentLocations();
    showTab(FavoritesTab);

    m_favoritesRoot = FavoritesReader::defaultFavoritesFolder();
    readFavorites();
    const QStringList candidates =
        BookmarkFileReader::collectBookmarkFileCandidates(m_favoritesRoot);
    m_bookmarkLocations->addItems(candidates);
    if (!candidates.isEmpty())
        m_bookmarkLocations->setCurrentIndex(0);
    parseBookmarkFile();
}

ImportFavoritesDialog::~ImportFavoritesDialog() = default;

void ImportFavoritesDialog::setPathChooser(PathChooser chooser)
{
    pathChooser() = chooser ? std::move(chooser) : PathChooser(choosePath);
}

ImportList *ImportFavoritesDialog::list(Tab tab) const
{
    const ImportList *lists[] = {m_favorites, m_bookmarks, m_firefox, m_chromium};
    return const_cast<ImportList *>(lists[tab]);
}

QComboBox *ImportFavoritesDialog::locations(Tab tab) const
{
    const QComboBox *boxes[] = {m_favoritesLocations, m_bookmarkLocations, m_firefoxLocations,
                                m_chromiumLocations};
    return const_cast<QComboBox *>(boxes[tab]);
}

QCheckBox *ImportFavoritesDialog::removeOnImport(Tab tab) const
{
    switch (tab) {
    case FavoritesTab: return m_removeFavorites;
    case BookmarkFileTab: return m_removeBookmarks;
    default: return nullptr;
    }
}

ImportRows &ImportFavoritesDialog::rowsOf(Tab tab)
{
    ImportRows *rows[] = {&m_favoriteRows, &m_bookmarkRows, &m_firefoxRows, &m_chromiumRows};
    return *rows[tab];
}

const ImportRows &ImportFavoritesDialog::rowsOf(Tab tab) const
{
    return const_cast<ImportFavoritesDialog *>(this)->rowsOf(tab);
}

void ImportFavoritesDialog::buildControls()
{
    setWindowTitle(tr("Import Favorites"));
    m_tabs = new QTabBar(this);
    m_tabs->addTab(tr("IE Favorites"));
    m_tabs->addTab(tr("NN Bookmarks"));
    m_tabs->addTab(tr("Firefox"));
    m_tabs->addTab(tr("Chromium / Chrome"));
    m_locationLabel = new QLabel(this);
    m_favoritesLocations = new QComboBox(this);
    m_bookmarkLocations = new QComboBox(this);
    m_firefoxLocations = new QComboBox(this);
    m_chromiumLocations = new QComboBox(this);
    for (QComboBox *box : {m_favoritesLocations, m_bookmarkLocations, m_firefoxLocations,
                           m_chromiumLocations}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    m_browse = new QPushButton(tr("Browse"), this);
    m_favorites = makeList(tr("Favorite"), this);
    m_bookmarks = makeList(tr("Bookmark"), this);
    m_firefox = makeList(tr("Bookmark"), this);
    m_chromium = makeList(tr("Bookmark"), this);
    m_selectAll = new HoverButton(tr("Select All"), this);
    m_deselectAll = new HoverButton(tr("Deselect All"), this);
    m_removeFavorites = new QCheckBox(tr("Remove on import"), this);
    m_removeBookmarks = new QCheckBox(tr("Remove on import"), this);
    auto *buttons = new QDialogButtonBox(this);
    m_import = buttons->addButton(tr("Import"), QDialogButtonBox::AcceptRole);
    m_import->setDefault(true);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);

    auto *location = new QHBoxLayout;
    location->addWidget(m_locationLabel);
    location->addWidget(m_favoritesLocations, 1);
    location->addWidget(m_bookmarkLocations, 1);
    location->addWidget(m_firefoxLocations, 1);
    location->addWidget(m_chromiumLocations, 1);
    location->addWidget(m_browse);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_selectAll);
    bottom->addWidget(m_deselectAll);
    bottom->addSpacing(12);
    bottom->addWidget(m_removeFavorites);
    bottom->addWidget(m_removeBookmarks);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(location);
    layout->addWidget(m_favorites, 1);
    layout->addWidget(m_bookmarks, 1);
    layout->addWidget(m_firefox, 1);
    layout->addWidget(m_chromium, 1);
    layout->addLayout(bottom);
    resize(700, 420);

    connect(m_tabs, &QTabBar::currentChanged, this, &ImportFavoritesDialog::showTab);
    connect(m_selectAll, &QPushButton::clicked, this, [this] { setAllChecked(true); });
    connect(m_deselectAll, &QPushButton::clicked, this, [this] { setAllChecked(false); });
    connect(m_browse, &QPushButton::clicked, this, &ImportFavoritesDialog::browse);
    connect(m_favoritesLocations, &QComboBox::activated, this,
            &ImportFavoritesDialog::chooseFavoritesFolder);
    connect(m_bookmarkLocations, &QComboBox::activated, this,
            &ImportFavoritesDialog::chooseBookmarkFile);
    connect(m_firefoxLocations, &QComboBox::activated, this, [this] { readProfile(FirefoxTab); });
    connect(m_chromiumLocations, &QComboBox::activated, this, [this] { readProfile(ChromiumTab); });
    connect(m_import, &QPushButton::clicked, this, &ImportFavoritesDialog::importChecked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void ImportFavoritesDialog::showTab(int tab)
{
    m_currentTab = tab >= 0 && tab < TabCount ? Tab(tab) : FavoritesTab;
    const QString labels[] = {tr("Favorites folder location:"), tr("Bookmarks.html location:"),
                              tr("places.sqlite location:"), tr("Bookmarks file location:")};
    m_locationLabel->setText(labels[m_currentTab]);
    for (Tab each : {FavoritesTab, BookmarkFileTab, FirefoxTab, ChromiumTab}) {
        locations(each)->setVisible(each == m_currentTab);
        list(each)->setVisible(each == m_currentTab);
        if (QCheckBox *remove = removeOnImport(each))
            remove->setVisible(each == m_currentTab);
    }
    // Reading a browser's profile takes a copy of its database: only for
    // someone who comes to look.
    if ((m_currentTab == FirefoxTab || m_currentTab == ChromiumTab) && !m_profilesFound)
        findProfiles();
}

// ---- recent locations

void ImportFavoritesDialog::readRecentLocations()
{
    if (!m_hive || !m_hive->createKey(RecentKey))
        return;
    for (int i = 0; i < RecentLimit; ++i) {
        for (Tab tab : {FavoritesTab, BookmarkFileTab}) {
            const auto value = m_hive->queryValue(RecentKey, (recentPrefix(tab) + QString::number(i)).toUtf8());
            if (!value || value->size() > RecentValueLimit)
                continue;
            const QString path = QString::fromUtf8(*value);
            if (findPrefix(locations(tab), path) < 0)
                locations(tab)->addItem(path);
        }
    }
    // Nothing is chosen until the user or the search chooses.
    m_favoritesLocations->setCurrentIndex(-1);
    m_bookmarkLocations->setCurrentIndex(-1);
}

bool ImportFavoritesDialog::saveRecentLocations()
{
    if (!m_hive)
        return true; // nowhere to keep them: nothing failed
    if (!m_hive->createKey(RecentKey))
        return false;
    bool saved = true;
    for (Tab tab : {FavoritesTab, BookmarkFileTab}) {
        const QComboBox *box = locations(tab);
        for (int i = 0; i < RecentLimit && i < box->count(); ++i)
            saved &= m_hive->setValue(RecentKey, (recentPrefix(tab) + QString::number(i)).toUtf8(),
                                      box->itemText(i).toUtf8());
    }
    return saved;
}

// ---- filling the lists

void ImportFavoritesDialog::readFavorites()
{
    ImportProgress progress(this, tr("Reading the Favorites folder..."));
    fillSource(FavoritesTab, FavoritesReader::readFavoritesFolder(m_favoritesRoot, tr("IE Favorites"),
                                                                  progress.callback()));
}

void ImportFavoritesDialog::parseBookmarkFile()
{
    const QString path = m_bookmarkLocations->currentText();
    if (path.isEmpty()) {
        fillSource(BookmarkFileTab, {});
        return;
    }
    ImportProgress progress(this, tr("Reading %1...").arg(QFileInfo(path).fileName()));
    auto result = BookmarkFileReader::parseBookmarkFile(path, tr("NN Bookmarks"), progress.callback());
    // A file that cannot be read just lists nothing; one refused for its size says why.
    if (result.tooLarge)
        Prompts::instance().inform(this, QMessageBox::Warning, tr("Import Favorites"), result.error);
    fillSource(BookmarkFileTab, std::move(result));
}

void ImportFavoritesDialog::findProfiles()
{
    m_profilesFound = true;
    for (Tab tab : {FirefoxTab, ChromiumTab}) {
        QComboBox *box = locations(tab);
        // Each by the name the person gave it; the file is the item's data.
        const auto profiles = tab == FirefoxTab ? BrowserProfiles::firefoxProfiles()
                                                : BrowserProfiles::chromiumProfiles();
        for (const BrowserProfiles::Profile &profile : profiles)
            box->addItem(profile.name, profile.file);
        box->setCurrentIndex(box->count() > 0 ? 0 : -1);
        readProfile(tab);
    }
}

// A profile that cannot be read lists nothing and says why: unlike a stray
// bookmark file, it is the one the person's browser uses.
void ImportFavoritesDialog::readProfile(Tab tab)
{
    const QVariant file = locations(tab)->currentData();
    const QString path = file.isValid() ? file.toString() : locations(tab)->currentText();
    if (path.isEmpty()) {
        fillSource(tab, {});
        return;
    }
    ImportProgress progress(this, tr("Reading %1...").arg(QDir::toNativeSeparators(path)));
    ImportReadResult result =
        tab == FirefoxTab
            ? FirefoxPlacesReader::readPlaces(path, tr("Firefox"), progress.callback())
            : ChromiumBookmarksReader::readBookmarks(path, tr("Chromium / Chrome"),
                                                     progress.callback());
    if (!result.error.isEmpty())
        Prompts::instance().inform(this, QMessageBox::Warning, tr("Import Favorites"), result.error);
    fillSource(tab, std::move(result));
}

void ImportFavoritesDialog::fillSource(Tab tab, ImportReadResult result)
{
    ImportRows rows = result.cancelled ? ImportRows() : std::exchange(result.rows, {});
    ImportNotices::placedAtMaxDepth(this, rows.isEmpty() ? 0 : result.placedAtMaxDepth);
    m_sources[tab] = std::move(result);
    fillList(tab, std::move(rows));
}

void ImportFavoritesDialog::fillList(Tab tab, ImportRows rows)
{
    list(tab)->setSortedLines(ImportListModel::linesOf(rows), FolderColumn, true);
    rowsOf(tab) = std::move(rows);
}

// ---- choosing a source

void ImportFavoritesDialog::browse()
{
    const QString path = pathChooser()(this, m_currentTab);
    if (path.isEmpty())
        return;
    QComboBox *box = locations(m_currentTab);
    // The very path chosen, never another one that merely begins like it.
    int index = box->findText(path, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        box->insertItem(0, path);
        index = 0;
    }
    box->setCurrentIndex(index);
    if (m_currentTab == FavoritesTab) {
        m_favoritesRoot = path;
        readFavorites();
    } else if (m_currentTab == BookmarkFileTab) {
        parseBookmarkFile();
    } else {
        readProfile(m_currentTab);
    }
}

void ImportFavoritesDialog::chooseFavoritesFolder(int index)
{
    m_favoritesRoot = m_favoritesLocations->itemText(index);
    readFavorites();
}

void ImportFavoritesDialog::chooseBookmarkFile(int)
{
    parseBookmarkFile();
}

// ---- checking lines

void ImportFavoritesDialog::setAllChecked(bool checked)
{
    list(m_currentTab)->lines()->setAllChecked(checked);
}

// ---- the import

ImportRows ImportFavoritesDialog::checkedRows(Tab tab) const
{
    const ImportRows &rows = rowsOf(tab);
    // In the source's order, not the list's: its sort is not stable.
    QList<int> indexes = list(tab)->lines()->checkedRows();
    std::sort(indexes.begin(), indexes.end());
    ImportRows checked;
    checked.reserve(indexes.size());
    for (int index : std::as_const(indexes))
        checked.append(rows.at(index));
    return checked;
}

void ImportFavoritesDialog::importChecked()
{
    const ImportRows favorites = checkedRows(FavoritesTab);
    const ImportRows bookmarks = checkedRows(BookmarkFileTab);
    const ImportRows firefox = checkedRows(FirefoxTab);
    const ImportRows chromium = checkedRows(ChromiumTab);
    const qsizetype total = favorites.size() + bookmarks.size() + firefox.size() + chromium.size();
    m_noneChecked = total == 0;
    m_imported = 0;
    bool finished = true;
    bool written = true;
    if (total > 0) {
        ImportProgress progress(this, tr("Importing the bookmarks..."));
        const QScopedValueRollback<ImportProgress *> asking(m_importProgress, &progress);
        BookmarkImporter importer(m_page.store(), [this] { return overwriteExisting(); });
        qsizetype done = 0;
        const ImportRows *checked[] = {&favorites, &bookmarks, &firefox, &chromium};
        for (Tab tab : {FavoritesTab, BookmarkFileTab, FirefoxTab, ChromiumTab}) {
            const ImportRows *rows = checked[tab];
            importer.beginSource(m_sources[tab].folders);
            for (qsizetype i = 0; i < rows->size() && finished && written; ++i) {
                finished = progress.step(done++, total);
                written = !finished || importer.importRow(rows->at(i));
            }
            if (finished && written && !rows->isEmpty())
                written = importer.makeEmptyFolders(rowsOf(tab));
        }
        written &= importer.finish();
        m_imported = importer.imported();
    }
    if (!written) {
        Prompts::instance().inform(
            this, QMessageBox::Critical, tr("Import Favorites"),
            tr("The bookmarks could not all be saved. %n bookmark(s) were imported before the "
               "failure.", nullptr, m_imported)
                + QLatin1Char(' ') + SaveFailure::reason(m_page.store().lastError()));
        return;
    }
    if (!finished) {
        // The sources stay whole: most of what they hold was not imported.
        Prompts::instance().inform(this, QMessageBox::Information, tr("Import Favorites"),
                                   tr("The import was cancelled. %n bookmark(s) were imported.",
                                      nullptr, m_imported));
        accept();
        return;
    }
    QStringList failures = removeImported(favorites, bookmarks);
    if (m_noneChecked) {
        Prompts::instance().inform(this, QMessageBox::Warning, tr("Warning"),
                                   tr("You must select at least one Bookmark to import."));
        return;
    }
    if (!saveRecentLocations())
        failures.prepend(tr("The recent import locations could not be saved."));
    ImportNotices::afterImport(this, failures);
    accept();
}

QStringList ImportFavoritesDialog::removeImported(const ImportRows &favorites,
                                                 const ImportRows &bookmarks)
{
    QStringList failures;
    if (m_removeFavorites->isChecked()) {
        const FavoritesReader::Removal removal = FavoritesReader::removeImportedFavorites(favorites);
        if (!removal.failed.isEmpty())
            failures << tr("%n shortcut file(s) could not be removed:", nullptr,
                           int(removal.failed.size()))
                     << removal.failed;
    }
    if (!m_removeBookmarks->isChecked() || bookmarks.isEmpty())
        return failures;
    const QString file = m_bookmarkLocations->currentText();
    const QString error = BookmarkFileReader::removeImportedBookmarks(
        file, m_sources[BookmarkFileTab].source, bookmarks);
    if (!error.isEmpty())
        failures << tr("The imported bookmarks could not be removed from %1: %2")
                        .arg(QDir::toNativeSeparators(file), error);
    return failures;
}

// Asked once per dialog; the answer holds for every later duplicate of both lists.
bool ImportFavoritesDialog::overwriteExisting()
{
    if (m_overwriteAnswer == 0) {
        const ImportProgress::Aside aside(m_importProgress);
        const auto answer = Prompts::instance().ask(
            this, QMessageBox::Question, tr("Favorites Already Exist"),
            tr("You have selected some Favorites that are already on your list. Do you wish to "
               "overwrite these Favorites? "),
            QMessageBox::Yes | QMessageBox::No);
        m_overwriteAnswer = answer == QMessageBox::Yes ? 1 : 2;
    }
    return m_overwriteAnswer == 1;
}
