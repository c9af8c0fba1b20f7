#include "browser/browserpage.h"

#include "browser/browserhost.h"
#include "browser/browserowner.h"
#include "browser/browserresources.h"
#include "browser/cwebcommercial.h"
#include "browser/dispatchid.h"
#include "browser/downloadprogress.h"
#include "browser/harbrowscheme.h"
#include "browser/popupnotice.h"
#include "browser/securitymark.h"
#include "res/ids.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct ToolButton
{
    int image;   // -1: separator
    int command;
    bool enabled;
    const char *text;
    int width;
};

// "Back ", "Stop " and "Go " end in one blank.
constexpr ToolButton ToolButtons[] = {
    {0, Ids::BrowserBack, false, QT_TRANSLATE_NOOP("BrowserPage", "Back "), 70},
    {1, Ids::BrowserForward, false, QT_TRANSLATE_NOOP("BrowserPage", "Forward"), 85},
    {-1, 0, false, nullptr, 0},
    {2, Ids::BrowserStop, true, QT_TRANSLATE_NOOP("BrowserPage", "Stop "), 70},
    {3, Ids::BrowserRefresh, true, QT_TRANSLATE_NOOP("BrowserPage", "Refresh"), 85},
    {-1, 0, false, nullptr, 0},
    {4, Ids::BrowserGo, true, QT_TRANSLATE_NOOP("BrowserPage", "Go "), 60},
    {6, Ids::BrowserHome, true, QT_TRANSLATE_NOOP("BrowserPage", "Home"), 70},
    {-1, 0, false, nullptr, 0},
    {5, Ids::AddBookmark, true, QT_TRANSLATE_NOOP("BrowserPage", "Add Favourites"), 120},
};

constexpr int ImageSize = 32;

bool isEnter(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

BrowserPage::BrowserPage(BrowserOwner *owner, QWebEngineProfile *profile, QWidget *parent)
    : QWidget(parent), m_owner(owner),
      m_allowPopupsBox(new QCheckBox(tr("Allow PopUp windows"), this)),
      m_addressBox(new QComboBox(this)), m_addressLabel(new QLabel(tr("Address"), this)),
      m_view(new CWebCommercial(profile, this)), m_popupNotice(new PopupNotice(this)),
      m_profile(profile),
      m_toolBar(new QToolBar(this)), m_downloads(new DownloadProgress(profile, this))
{
    m_view->setObjectName(QStringLiteral("browserView"));
    m_view->setHomeAddress(HarbrowScheme::startAddress());

    m_addressBox->setObjectName(QStringLiteral("addressBox"));
    m_addressBox->setEditable(true);
    m_addressBox->setInsertPolicy(QComboBox::NoInsert); // the history is kept by hand, sorted
    m_addressBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The box takes the focus for its edit field; the keys may reach either.
    m_addressBox->installEventFilter(this);
    m_addressBox->lineEdit()->installEventFilter(this);
    m_addressLabel->setBuddy(m_addressBox);

    createToolBar();
    createShortcuts();
    connectView();
    layOut();

    // However the box was ticked: mouse, keys or an assistive tool's toggle.
    connect(m_allowPopupsBox, &QCheckBox::toggled, this,
            [this](bool checked) { m_allowPopups = checked ? 1 : 0; });
    connect(m_popupNotice, &PopupNotice::openRequested, this,
            [this](const QUrl &address) { Navigate2(address); });
    resetPopupPermission();

    // The home page loads once the start page stands, or when this page is
    // first shown: two documents loading at once would slow the start down.
    m_homePending = true;
    if (m_owner)
        m_owner->selectPage(0);
}

// Downloads in flight end with the page; the view goes before its profile.
BrowserPage::~BrowserPage() = default;

QWebEnginePage *BrowserPage::popupTarget() const
{
    return catcher()->Application();
}

// Made at the first pop-up let through: most runs never need it.
CWebCommercial *BrowserPage::catcher() const
{
    if (!m_catcher) {
        auto *self = const_cast<BrowserPage *>(this);
        auto *catcher = new CWebCommercial(m_profile, self);
        catcher->setObjectName(QStringLiteral("popupCatcher"));
        catcher->hide();
        // The catcher never shows a page: a pop-up's address opens in the view.
        connect(catcher, &CWebCommercial::BeforeNavigate2, self,
                [self, catcher](const QVariant &url, bool *cancel) {
                    *cancel = true;
                    self->takeCaughtNavigation(catcher, url);
                });
        m_catcher = catcher;
    }
    return m_catcher;
}

// The first address of a pop-up, if it is a web address, and nothing after it:
// the pop-up's page is closed, so its opener can steer it no more.
void BrowserPage::takeCaughtNavigation(CWebCommercial *catcher, const QVariant &url)
{
    if (catcher != m_catcher)
        return;
    m_catcher = nullptr;
    catcher->deleteLater();
    const QUrl address = url.toUrl();
    if (address.scheme() == u"http" || address.scheme() == u"https")
        Navigate2(address);
}

void BrowserPage::createToolBar()
{
    m_toolBar->setObjectName(QStringLiteral("browserToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setIconSize(QSize(ImageSize, ImageSize));
    for (const ToolButton &button : ToolButtons) {
        if (button.image < 0) {
            m_toolBar->addSeparator();
            continue;
        }
        const QString text = tr(button.text);
        auto *action = new QAction(BrowserResources::toolImage(button.image), text, this);
        action->setIconText(text); // keeps the trailing blanks
        action->setData(button.command);
        action->setEnabled(button.enabled);
        m_toolBar->addAction(action);
        m_toolBar->widgetForAction(action)->setMinimumWidth(button.width);
        m_actions.insert(button.command, action);
    }
    connect(action(Ids::BrowserBack), &QAction::triggered, m_view, &CWebCommercial::GoBack);
    connect(action(Ids::BrowserForward), &QAction::triggered, m_view, &CWebCommercial::GoForward);
    connect(action(Ids::BrowserStop), &QAction::triggered, m_view, &CWebCommercial::Stop);
    connect(action(Ids::BrowserRefresh), &QAction::triggered, m_view, &CWebCommercial::Refresh);
    connect(action(Ids::BrowserGo), &QAction::triggered, this, &BrowserPage::navigateToAddressBox);
    connect(action(Ids::BrowserHome), &QAction::triggered, this, &BrowserPage::GoHome);
    connect(action(Ids::AddBookmark), &QAction::triggered, this, &BrowserPage::addFavourite);
}

// The keys of any browser, while the keyboard is anywhere in this page.
void BrowserPage::createShortcuts()
{
    const auto add = [this](QKeySequence keys, auto slot) {
        auto *shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, slot);
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_L), [this] { focusAddressBox(); });
    add(QKeySequence(Qt::Key_F6), [this] { focusAddressBox(); });
    add(QKeySequence(Qt::Key_F5), [this] { m_view->Refresh(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_R), [this] { m_view->Refresh(); });
    add(QKeySequence(Qt::ALT | Qt::Key_Left), [this] { m_view->GoBack(); });
    add(QKeySequence(Qt::ALT | Qt::Key_Right), [this] { m_view->GoForward(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_D), [this] { addFavourite(); });
}

void BrowserPage::connectView()
{
    connect(m_view, &CWebCommercial::BeforeNavigate2, this, [this](const QVariant &, bool *) {
        if (m_owner && !m_startingHome)
            m_owner->selectPage(1);
    });
    connect(m_view, &CWebCommercial::NewWindow2, this, &BrowserPage::takeNewWindow);
    connect(m_view, &CWebCommercial::CommandStateChange, this, &BrowserPage::followCommandState);
    connect(m_view, &CWebCommercial::TitleChange, this, &BrowserPage::followTitle);
    connect(m_view, &CWebCommercial::DocumentComplete, this, &BrowserPage::installHost);
    connect(m_view, &CWebCommercial::WindowClosing, this,
            [](bool, bool *cancel) { *cancel = true; });
}

void BrowserPage::layOut()
{
    auto *addressRow = new QHBoxLayout;
    addressRow->setContentsMargins(5, 0, 0, 0);
    addressRow->addWidget(m_addressLabel);
    addressRow->addWidget(new SecurityMark(m_view, this));
    addressRow->addWidget(m_addressBox, 1);

    auto *bottomRow = new QHBoxLayout;
    bottomRow->setContentsMargins(5, 0, 5, 0);
    bottomRow->addWidget(m_allowPopupsBox);
    bottomRow->addStretch(1);
    bottomRow->addWidget(m_downloads);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 2);
    layout->setSpacing(3);
    layout->addWidget(m_toolBar);
    layout->addLayout(addressRow);
    layout->addWidget(m_popupNotice);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottomRow);
}

void BrowserPage::Navigate(const QString &url)
{
    m_homePending = m_startingHome = false;
    m_view->Navigate(url);
}

void BrowserPage::Navigate2(const QVariant &url)
{
    m_homePending = m_startingHome = false;
    m_view->Navigate2(url);
}

void BrowserPage::GoHome()
{
    m_homePending = m_startingHome = false;
    goHomeAddress();
}

// The home page setting takes effect on the next GoHome.
void BrowserPage::goHomeAddress()
{
    const QUrl home = m_owner ? m_owner->homeAddress() : QUrl();
    m_view->setHomeAddress(home.isValid() ? home : HarbrowScheme::startAddress());
    m_view->GoHome();
}

// The engine asks about this navigation later, when the user may have chosen
// another tab: until the document completes it leaves the tabs alone. Anything
// asked for by the user ends this at once.
void BrowserPage::loadHome()
{
    if (!m_homePending)
        return;
    m_homePending = false;
    m_startingHome = true;
    goHomeAddress();
}

void BrowserPage::navigateToAddressBox()
{
    Navigate(m_addressBox->currentText());
}

void BrowserPage::addFavourite()
{
    if (m_owner)
        m_owner->offerBookmark(m_view->LocationName(), m_view->LocationURL());
}

void BrowserPage::focusAddressBox()
{
    m_addressBox->setFocus(Qt::ShortcutFocusReason);
    m_addressBox->lineEdit()->selectAll();
}

// Both the box and the permission go back to the stored option.
void BrowserPage::resetPopupPermission()
{
    setAllowPopups(m_owner && m_owner->popupFlag() != 0);
}

void BrowserPage::setAllowPopups(bool on)
{
    m_allowPopups = on ? 1 : 0;
    m_allowPopupsBox->setChecked(on);
}

// A new window goes to the catcher, whose first navigation then opens in the
// view: always when a person asked for it, otherwise once per permission.
void BrowserPage::takeNewWindow(QWebEnginePage **window, bool *cancel)
{
    const bool byUser = m_view->NewWindowByUser();
    if (!byUser && !m_allowPopups) {
        *cancel = true;
        m_popupNotice->showBlocked(m_view->NewWindowAddress());
        return;
    }
    *window = catcher()->Application();
    if (!byUser)
        resetPopupPermission();
}

void BrowserPage::followCommandState(int command, bool enable)
{
    switch (command) {
    case DispatchId::UpdateCommands:
        action(Ids::BrowserStop)->setEnabled(m_view->Busy());
        break;
    case DispatchId::ForwardCommand:
        action(Ids::BrowserForward)->setEnabled(enable);
        break;
    case DispatchId::BackCommand:
        action(Ids::BrowserBack)->setEnabled(enable);
        break;
    default:
        break;
    }
}

void BrowserPage::followTitle(const QString &title)
{
    if (QWidget *mainWindow = window(); mainWindow && mainWindow != this)
        mainWindow->setWindowTitle(tr("Browser - ") + title);
    rememberAddress(m_view->LocationURL());
}

// Once per address, letter case aside; the list stays sorted and shows the entry.
void BrowserPage::rememberAddress(const QString &address)
{
    if (address.isEmpty())
        return;
    int index = m_addressBox->findText(address, Qt::MatchFixedString);
    if (index < 0) {
        index = 0;
        while (index < m_addressBox->count()
               && m_addressBox->itemText(index).compare(address, Qt::CaseInsensitive) < 0)
            ++index;
        m_addressBox->insertItem(index, address);
    }
    m_addressBox->setCurrentIndex(index);
}

void BrowserPage::installHost()
{
    m_startingHome = false;
    if (m_view->Document())
        m_view->setHost(new BrowserHost(true, this));
}

bool BrowserPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_addressBox && watched != m_addressBox->lineEdit())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        if (watched == m_addressBox)
            m_addressHasFocus = true;
        break;
    case QEvent::FocusOut:
        if (watched == m_addressBox)
            m_addressHasFocus = false;
        break;
    case QEvent::KeyPress:
        if (isEnter(static_cast<QKeyEvent *>(event))) {
            if (m_addressHasFocus)
                navigateToAddressBox();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void BrowserPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    loadHome();
}

// Enter and Escape never reach the dialog around the page.
void BrowserPage::keyPressEvent(QKeyEvent *event)
{
    if (isEnter(event) || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
