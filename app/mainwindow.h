#pragma once

#include "privacy/settings/privacyoptions.h"
#include "browser/browserowner.h"
#include "browser/browserpage.h"
#include "browser/startpage.h"

#include <QDialog>
#include <QStringList>
#include <QPointer>

#include <memory>

class BlockingInterceptor;
class BrowserProfile;
class FavouritesWindow;
class Hive;
class QMenuBar;
class VXMainTabCtrl;

// The application's one top-level window, run modally by start-up: the menu
// bar over three fixed tabs, "Home" (0), "Browser" (1) and "Favorites" (2).
// Pages call back through selectPage and navigateBrowser. However the window
// ends, its pages are destroyed first: browser, favourites, start page.
class MainWindow final : public QDialog, public BrowserOwner
{
    Q_OBJECT

public:
    enum Page { HomePage = 0, BrowserPage = 1, FavouritesPage = 2 };

    // Loads the privacy options before anything else is set up.
    explicit MainWindow(Hive *hive, QWidget *parent = nullptr);
    // Runs the trace removal that the privacy options switch on, once every
    // page is gone.
    ~MainWindow() override;
    Q_DISABLE_COPY_MOVE(MainWindow)

    PrivacyOptions &privacyOptions() { return m_privacyOptions; }
    const PrivacyOptions &privacyOptions() const { return m_privacyOptions; }

    QMenuBar *menuBar() const { return m_menuBar; }
    VXMainTabCtrl *tabs() const { return m_tabs; }
    StartPage *startPage() const;
    ::BrowserPage *browserPage() const; // the class, not the tab index
    FavouritesWindow *favouritesWindow() const;
    BrowserProfile *browserProfile() const { return m_browserProfile.get(); }

    void done(int result) override;

    // What the browser and start pages ask of their owner.
    int popupFlag() const override { return m_privacyOptions.popupFlag; }
    void offerBookmark(const QString &title, const QString &address) override;
    QWebEnginePage *browserApplication() const override;
    BookmarkStore *bookmarkStore() const override;
    QUrl homeAddress() const override;

public slots:
    // Brings a page and its tab to the front; any index but 1 and 2 means "Home".
    void selectPage(int index) override;
    void navigateBrowser(const QString &url);
    void navigateBrowser2(const QVariant &url) override;
    void goHome();
    // Addresses from the desktop: the first opens in the browser, which comes
    // to the front with the window; the rest wait in the address box.
    void openAddresses(const QStringList &addresses);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void onOptions();
    void exportBookmarks();
    void openHelpOnWeb();
    void showAbout();

private:
    void createMenus();
    void createTabShortcuts();
    void createPages(Hive *hive);
    void repaintBookmarkListIfShown(int tab);
    void destroyPages();
    void removeTracesOnExit();

    Hive *m_hive;
    PrivacyOptions m_privacyOptions;
    std::unique_ptr<BrowserProfile> m_browserProfile; // outlives every page
    QPointer<::BrowserPage> m_browserPage;
    BlockingInterceptor *m_blocking = nullptr; // owned by the profile
    QPointer<FavouritesWindow> m_favouritesWindow;
    QPointer<StartPage> m_startPage;
    QMenuBar *m_menuBar;
    VXMainTabCtrl *m_tabs;
};
