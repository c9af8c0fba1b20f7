#pragma once

#include "browser/browserowner.h"
#include "browser/cwebcommercial.h"
#include "browser/harbrowscheme.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QVariant>
#include <QWebEnginePage>

// Before QApplication: what main() settles for the web engine.
inline void initWebEngineTests()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    HarbrowScheme::registerScheme();
}

// Stands in for the main window and remembers what the pages asked of it.
class FakeBrowserOwner final : public BrowserOwner
{
public:
    void selectPage(int index) override { selected.append(index); }
    void navigateBrowser2(const QVariant &url) override { handedOn.append(url.toUrl()); }
    int popupFlag() const override { return flag; }
    void offerBookmark(const QString &title, const QString &address) override
    {
        offered.append({title, address});
    }
    QWebEnginePage *browserApplication() const override { return application; }
    BookmarkStore *bookmarkStore() const override { return store; }

    QList<int> selected;
    QList<QUrl> handedOn;
    QList<QPair<QString, QString>> offered;
    int flag = 0;
    QWebEnginePage *application = nullptr;
    BookmarkStore *store = nullptr;
};

// Runs work and waits until the view has finished the load it started.
template<typename Work>
bool loadAndWait(CWebCommercial *view, Work work, int timeout = 15000)
{
    // A load still going would end inside the wait and pass for the new one.
    if (!QTest::qWaitFor([view] { return !view->Busy(); }, timeout))
        return false;
    QSignalSpy finished(view->page(), &QWebEnginePage::loadFinished);
    work();
    return finished.wait(timeout);
}

inline QVariant evaluate(CWebCommercial *view, const QString &script)
{
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        return {};
    return result;
}

// The centre of the element matched by selector, in the view's coordinates.
inline QPoint elementCentre(CWebCommercial *view, const QString &selector)
{
    const QVariantList box =
        evaluate(view, QStringLiteral("(function(){var r=document.querySelector('%1')"
                                      ".getBoundingClientRect();return [r.left+r.width/2,"
                                      "r.top+r.height/2];})()")
                           .arg(selector))
            .toList();
    if (box.size() != 2)
        return {};
    return QPoint(int(box.at(0).toDouble()), int(box.at(1).toDouble()));
}

// The widget that takes the view's mouse and keyboard input.
inline QWidget *viewInput(CWebCommercial *view)
{
    return view->focusProxy() ? view->focusProxy() : view;
}

inline QMenu *visibleMenu()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *menu = qobject_cast<QMenu *>(widget); menu && menu->isVisible())
            return menu;
    }
    return nullptr;
}
