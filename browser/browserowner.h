#pragma once

#include <QUrl>

class BookmarkStore;
class QString;
class QVariant;
class QWebEnginePage;

// What the browser and start pages need from the window that holds them. The
// main window implements it.
class BrowserOwner
{
public:
    virtual ~BrowserOwner() = default;

    // Shows a page and selects its tab: 0 "Home", 1 "Browser", 2 "Favorites".
    virtual void selectPage(int index) = 0;
    // Hands an address to the browser page.
    virtual void navigateBrowser2(const QVariant &url) = 0;
    // The stored pop-up option; non-zero lets pop-ups through.
    virtual int popupFlag() const = 0;
    // Offers the page as a new bookmark, title first.
    virtual void offerBookmark(const QString &title, const QString &address) = 0;
    // Where pop-ups of the start page go: the browser page's, or null.
    virtual QWebEnginePage *browserApplication() const = 0;
    // The bookmarks as the bookmarks page holds them now, or null.
    virtual BookmarkStore *bookmarkStore() const = 0;
    // Where GoHome goes, as the user set it; empty for the start page.
    virtual QUrl homeAddress() const { return {}; }

protected:
    BrowserOwner() = default;
    BrowserOwner(const BrowserOwner &) = default;
    BrowserOwner &operator=(const BrowserOwner &) = default;
};
