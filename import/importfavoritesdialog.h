#pragma once

#include "import/importlistmodel.h"
#include "import/readers/importreadresult.h"

#include <QDialog>

#include <functional>

class BookmarkPageAccess;
class Hive;
class HoverButton;
class ImportList;
class ImportProgress;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTabBar;

// "Import Favorites": the favourites of a Favorites folder on one tab, the
// bookmarks of a Netscape or Mozilla bookmark file on the next, then those of a
// Firefox and of a Chromium-family profile. The checked lines of every tab go
// into the store with their folder nesting; those of the first two may be
// removed from where they came from (another browser's profile is never written).
class ImportFavoritesDialog final : public QDialog
{
    Q_OBJECT

public:
    enum Tab { FavoritesTab, BookmarkFileTab, FirefoxTab, ChromiumTab };
    static constexpr int TabCount = 4;
    enum Column {
        TitleColumn = ImportListModel::TitleColumn,
        AddressColumn = ImportListModel::AddressColumn,
        FolderColumn = ImportListModel::FolderColumn
    };
    static constexpr int RowRole = ImportListModel::RowRole; // index into the tab's rows
    static constexpr int RecentLimit = 10;
    static const QString RecentKey;

    // Picks a folder (Favorites tab) or a file (the other tabs); empty when none.
    using PathChooser = std::function<QString(QWidget *parent, Tab tab)>;

    ImportFavoritesDialog(BookmarkPageAccess &page, Hive *hive, QWidget *parent = nullptr);
    ~ImportFavoritesDialog() override;
    Q_DISABLE_COPY_MOVE(ImportFavoritesDialog)

    // Tests answer the folder and file dialogs here.
    static void setPathChooser(PathChooser chooser);

    QTabBar *tabBar() const { return m_tabs; }
    ImportList *list(Tab tab) const;
    QComboBox *locations(Tab tab) const;
    // Null for the browser profile tabs, which offer no removal.
    QCheckBox *removeOnImport(Tab tab) const;
    QPushButton *browseButton() const { return m_browse; }
    HoverButton *selectAllButton() const { return m_selectAll; }
    HoverButton *deselectAllButton() const { return m_deselectAll; }
    QPushButton *importButton() const { return m_import; }
    QString favoritesRoot() const { return m_favoritesRoot; }
    // Replaces a tab's lines with rows, sorted by folder.
    void fillList(Tab tab, ImportRows rows);

    // How many bookmarks the last Import added or overwrote.
    int importedCount() const { return m_imported; }

public slots:
    // Imports the checked lines of both tabs (the Import button).
    void importChecked();

private:
    void buildControls();
    void showTab(int tab);
    void readRecentLocations();
    bool saveRecentLocations();
    void readFavorites();
    void parseBookmarkFile();
    void findProfiles();
    void readProfile(Tab tab);
    void fillSource(Tab tab, ImportReadResult result);
    void browse();
    void chooseFavoritesFolder(int index);
    void chooseBookmarkFile(int index);
    void setAllChecked(bool checked);
    bool overwriteExisting();
    QStringList removeImported(const ImportRows &favorites, const ImportRows &bookmarks);
    ImportRows checkedRows(Tab tab) const;
    ImportRows &rowsOf(Tab tab);
    const ImportRows &rowsOf(Tab tab) const;

    BookmarkPageAccess &m_page;
    Hive *m_hive;
    QTabBar *m_tabs = nullptr;
    QLabel *m_locationLabel = nullptr;
    QComboBox *m_favoritesLocations = nullptr;
    QComboBox *m_bookmarkLocations = nullptr;
    QPushButton *m_browse = nullptr;
    ImportList *m_favorites = nullptr;
    ImportList *m_bookmarks = nullptr;
    HoverButton *m_selectAll = nullptr;
    HoverButton *m_deselectAll = nullptr;
    QComboBox *m_firefoxLocations = nullptr;
    QComboBox *m_chromiumLocations = nullptr;
    ImportList *m_firefox = nullptr;
    ImportList *m_chromium = nullptr;
    QCheckBox *m_removeFavorites = nullptr;
    QCheckBox *m_removeBookmarks = nullptr;
    QPushButton *m_import = nullptr;

    Tab m_currentTab = FavoritesTab;
    QString m_favoritesRoot;
    ImportRows m_favoriteRows; // by a line's RowRole
    ImportRows m_bookmarkRows;
    ImportRows m_firefoxRows;
    ImportRows m_chromiumRows;
    ImportReadResult m_sources[TabCount]; // each tab's folders and file, its rows above
    bool m_profilesFound = false; // the profile tabs are searched when first shown
    ImportProgress *m_importProgress = nullptr; // while the import runs
    bool m_noneChecked = true;
    int m_overwriteAnswer = 0; // 0 not asked, 1 overwrite, 2 keep; asked once per dialog
    int m_imported = 0;
};
