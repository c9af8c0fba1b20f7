#pragma once

#include <QHash>
#include <QPointer>
#include <QWidget>

#include <memory>

class BookmarkStore;
class BookmarksPage;
class Hive;
class OrganizePage;
class QAction;
class QToolBar;
class VXMainTabCtrl;

// The "Favorites" page of the main window: a toolbar over a tab control with
// the bookmarks page and the Organize page. The toolbar's enabled set follows
// the page in front; its commands and the pages' refreshes of each other are
// wired in one place (connectPages). The window owns the one store and hands it
// to both pages; it reaches the rest of the program only through its signals.
class FavouritesWindow final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MinimumWidth = 635;
    static constexpr int MinimumHeight = 300;

    explicit FavouritesWindow(Hive *hive, QWidget *parent = nullptr);
    ~FavouritesWindow() override;
    Q_DISABLE_COPY_MOVE(FavouritesWindow)

    // The action carrying a command id of res/ids.h, or null.
    QAction *action(int commandId) const;
    QToolBar *toolBar() const { return m_toolBar; }
    VXMainTabCtrl *tabs() const { return m_tabs; }
    BookmarksPage *bookmarksPage() const;
    OrganizePage *organizePage() const;
    bool isOrganizeMode() const { return m_organizeMode; }

public slots:
    // Has the bookmarks page add a bookmark, prefilled with title and address.
    void offerBookmark(const QString &title, const QString &address);
    void refreshOrganizeTree();
    void refreshBookmarksPage();
    void repaintBookmarkList();
    // Asks for the browser's home page; the browser brings its own tab forward.
    void goHome();

signals:
    // "Home" was pressed: the browser should open its home page.
    void homeRequested();
    // A bookmark asks to be opened in the browser.
    void openAddressRequested(const QString &address);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createActions();
    void createToolBar();
    void createPages();
    void connectPages();
    void followSelectedTab(int index);
    void enableButtonSet(bool organize);

    // Declared first so that it goes last; the destructor ends the pages before it.
    Hive *m_hive; // also holds the import's recent locations
    std::unique_ptr<BookmarkStore> m_store;
    QPointer<BookmarksPage> m_bookmarksPage;
    QPointer<OrganizePage> m_organizePage;
    VXMainTabCtrl *m_tabs;
    bool m_organizeMode = false;
    QToolBar *m_toolBar;
    QHash<int, QAction *> m_actions;
};
