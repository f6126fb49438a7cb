#pragma once

#include "forms/twips.h"

#include <QObject>
#include <QPoint>
#include <QUrl>
#include <QWebEngineView>
#include <functional>

class QWebEngineProfile;

// The profile of the portal's pages: cookies and HTTP cache kept on disk,
// under the user's data and cache folders.
QWebEngineProfile *portalProfile();

// The embedded browser view the windows show pages in.
class BrowserView : public QWebEngineView, public forms::Twips
{
    Q_OBJECT
public:
    // The page belongs to the portal's profile unless given another.
    explicit BrowserView(QWidget *parent = nullptr, QWebEngineProfile *profile = nullptr);

    // An http(s) or file URL, or a local file path. Returns at once; a load
    // that fails for want of an answer is reported by unreachable().
    void navigate(const QString &urlOrPath);
    // The page now shown finished loading and succeeded.
    bool hasLoaded() const { return m_loaded; }
    // A page is on its way: navigated to, and not yet loaded or failed.
    bool isLoading() const { return m_loading; }
    // Silent: the page shows no alert, confirm or prompt dialogs, and the view
    // none of its own.
    void setSilent(bool on);

    // Raise an Error when there is no page to go to; do nothing else then.
    void goBack();
    void goForward();
    void refresh();
    void stop();

    // Decides where a new window's content goes: the handler returns the view
    // that loads the new window's address, or nullptr to drop the request.
    // Without a handler the request is dropped. A script's window.open then
    // makes no window in the page at all, the script gets a stand-in: each
    // window the page's renderer makes costs it memory that it keeps long
    // after the window is gone, so a page that floods window.open would grow
    // without end.
    using NewWindowHandler = std::function<BrowserView *()>;
    void setNewWindowHandler(NewWindowHandler handler);

    // New windows of this view go to the desktop instead: the address of an
    // http or https window is handed to openLink, any other request is
    // dropped. Replaces the new-window handler.
    using OpenLink = std::function<void(const QString &url)>;
    void setNewWindowOpensLink(OpenLink openLink);

    // A right-click in the page's top-level document. The handler returns
    // false to cancel the view's own menu. Without a handler the view shows
    // its own menu.
    using ContextMenuHandler = std::function<bool(const QPoint &globalPos)>;
    void setContextMenuHandler(ContextMenuHandler handler) { m_contextMenu = std::move(handler); }

signals:
    // The page finished loading (successfully or not).
    void documentComplete(const QUrl &url);
    // The server of the page gave no answer: refused, reset, no route, name
    // not resolved, timed out. The view then shows nothing; the engine's
    // own error page is never shown. An answer with an error status is a
    // page like any other.
    void unreachable(const QUrl &url, int errorCode);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    friend class BrowserPage;
    void openNewWindow(const QUrl &url);
    bool m_silent = false;
    bool m_loaded = false;
    bool m_loading = false;
    NewWindowHandler m_newWindow;
    OpenLink m_openLink;
    ContextMenuHandler m_contextMenu;
};

// Once attached to a view, Ctrl+N and Ctrl+O do nothing in it, whichever of
// the view's child widgets has the focus.
class BrowserKeyFilter : public QObject
{
    Q_OBJECT
public:
    explicit BrowserKeyFilter(QObject *parent = nullptr) : QObject(parent) {}
    void attach(QWidget *view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QObject *object);
};
