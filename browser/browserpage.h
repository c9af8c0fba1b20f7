#pragma once

#include <QHash>
#include <QWidget>

class BrowserOwner;
class CWebCommercial;
class DownloadProgress;
class PopupNotice;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QToolBar;
class QWebEnginePage;
class QWebEngineProfile;

// The "Browser" tab: a toolbar, the address box with the addresses visited
// in this run, the view, and "Allow PopUp windows". A new window opens in this
// same view: one a person asked for (a link to a new window clicked) always,
// one a script opened alone only while pop-ups are allowed; each of those let
// through puts the permission back to the stored option, and each one blocked
// is told in a bar over the view.
class BrowserPage final : public QWidget
{
    Q_OBJECT

public:
    BrowserPage(BrowserOwner *owner, QWebEngineProfile *profile, QWidget *parent = nullptr);
    ~BrowserPage() override;
    Q_DISABLE_COPY_MOVE(BrowserPage)

    CWebCommercial *view() const { return m_view; }
    // The hidden view that catches a permitted pop-up's first navigation; it
    // is closed after that one, and the next pop-up gets a new one.
    CWebCommercial *catcher() const;
    QComboBox *addressBox() const { return m_addressBox; }
    QCheckBox *allowPopupsBox() const { return m_allowPopupsBox; }
    PopupNotice *popupNotice() const { return m_popupNotice; }
    QToolBar *toolBar() const { return m_toolBar; }
    // The toolbar action carrying a command id of res/ids.h, or null.
    QAction *action(int commandId) const { return m_actions.value(commandId); }
    bool allowPopups() const { return m_allowPopups != 0; }
    bool addressHasFocus() const { return m_addressHasFocus; }
    // Where a new window of another page lands to open in this view.
    QWebEnginePage *popupTarget() const;
    // Keeps an address in the address box's list, sorted, and shows it.
    void rememberAddress(const QString &address);

public slots:
    void Navigate(const QString &url);
    void Navigate2(const QVariant &url);
    void GoHome();
    // The home page of start-up, unless something was opened already.
    void loadHome();
    void navigateToAddressBox();
    void addFavourite();
    void focusAddressBox();
    // Box and permission back to the stored option, e.g. after the options changed.
    void resetPopupPermission();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void goHomeAddress();
    void createToolBar();
    void createShortcuts();
    void connectView();
    void layOut();
    void setAllowPopups(bool on);
    void takeNewWindow(QWebEnginePage **window, bool *cancel);
    void takeCaughtNavigation(CWebCommercial *catcher, const QVariant &url);
    void followCommandState(int command, bool enable);
    void followTitle(const QString &title);
    void installHost();

    BrowserOwner *m_owner;
    QCheckBox *m_allowPopupsBox;
    QComboBox *m_addressBox;
    QLabel *m_addressLabel;
    CWebCommercial *m_view;
    PopupNotice *m_popupNotice;
    QWebEngineProfile *m_profile;
    mutable CWebCommercial *m_catcher = nullptr;
    QToolBar *m_toolBar;
    DownloadProgress *m_downloads;
    QHash<int, QAction *> m_actions;
    bool m_addressHasFocus = false;
    int m_allowPopups = 0;
    bool m_homePending = false;
    bool m_startingHome = false; // the home navigation of start-up keeps "Home" in front
};
