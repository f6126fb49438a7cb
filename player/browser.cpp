#include "browser.h"

#include "error.h"
#include "http.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEnginePage>

namespace
{

const QString windowOpenMark = QStringLiteral("\x01window.open ");

// Stands in for window.open in every document of the page: the address goes
// to the program by a marked console line, and the page gets a window that
// is already on its way out. No window is made in the page's own renderer.
const QString windowOpenScript = QStringLiteral(R"((function () {
    var report = console.debug.bind(console);
    window.open = function (url) {
        var address = url === undefined || url === null || url === '' ? 'about:blank' : String(url);
        try { address = new URL(address, document.baseURI).href; } catch (e) {}
        report('%1' + address);
        var opened = {closed: false, opener: window, location: {href: address}};
        opened.close = function () { opened.closed = true; };
        opened.focus = opened.blur = opened.postMessage = function () {};
        return opened;
    };
})();)").arg(windowOpenMark);

// A failure in which the server never answered (the engine's network error
// codes: -7 timed out, -1xx connection, -324 empty answer, -8xx name look-up).
bool noAnswer(const QWebEngineLoadingInfo &info)
{
    switch (info.errorDomain()) {
    case QWebEngineLoadingInfo::ConnectionErrorDomain:
    case QWebEngineLoadingInfo::DnsErrorDomain:
        return true;
    case QWebEngineLoadingInfo::InternalErrorDomain:
        return info.errorCode() == -7;
    case QWebEngineLoadingInfo::HttpErrorDomain:
        return info.errorCode() == -324;
    default:
        return false;
    }
}

} // namespace

QWebEngineProfile *portalProfile()
{
    // Kept on disk, as a browser keeps them: the portal's cookies, so that a
    // signed-in user stays signed in, and its HTTP cache, so that a start
    // over a slow line fetches only what the portal's server says changed.
    static QWebEngineProfile *const profile = [] {
        auto *created = new QWebEngineProfile(QStringLiteral("portal"), qApp);
        // Pages, pictures and scripts, not films: the cache stays small.
        created->setHttpCacheMaximumSize(100 * 1024 * 1024);
        return created;
    }();
    return profile;
}

// The view's own page: it routes new windows through the view's handler and
// keeps dialogs away while the view is silent.
class BrowserPage : public QWebEnginePage
{
public:
    BrowserPage(QWebEngineProfile *profile, BrowserView *view)
        : QWebEnginePage(profile ? profile : portalProfile(), view),
          m_view(view)
    {
    }

protected:
    // New windows are dealt with by address, before a page is asked for;
    // nothing is left to adopt here.
    QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }

    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override
    {
        if (m_view->m_newWindow && message.startsWith(windowOpenMark)) {
            m_view->openNewWindow(QUrl(message.mid(windowOpenMark.size())));
            return;
        }
        QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
    }

    void javaScriptAlert(const QUrl &origin, const QString &message) override
    {
        if (!m_view->m_silent)
            QWebEnginePage::javaScriptAlert(origin, message);
    }

    bool javaScriptConfirm(const QUrl &origin, const QString &message) override
    {
        return !m_view->m_silent && QWebEnginePage::javaScriptConfirm(origin, message);
    }

    bool javaScriptPrompt(const QUrl &origin, const QString &message, const QString &defaultValue,
                          QString *result) override
    {
        return !m_view->m_silent &&
               QWebEnginePage::javaScriptPrompt(origin, message, defaultValue, result);
    }

    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override
    {
        if (m_view->m_silent)
            return {};
        return QWebEnginePage::chooseFiles(mode, oldFiles, acceptedMimeTypes);
    }

private:
    BrowserView *m_view;
};

BrowserView::BrowserView(QWidget *parent, QWebEngineProfile *profile)
    : QWebEngineView(parent), Twips(this)
{
    setPage(new BrowserPage(profile, this));
    // The engine's error pages are in no language of ours; the windows show
    // pages of their own instead.
    settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    connect(page(), &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo &info) {
                m_loaded = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
                m_loading = info.status() == QWebEngineLoadingInfo::LoadStartedStatus;
                if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && noAnswer(info))
                    emit unreachable(info.url(), info.errorCode());
            });
    connect(this, &QWebEngineView::loadFinished, this,
            [this](bool) { emit documentComplete(url()); });
    // The address is known only here, before any page is asked for; left
    // unanswered, the request then finds no window to open in and ends.
    connect(page(), &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest &request) {
                if (m_newWindow)
                    openNewWindow(request.requestedUrl());
                if (!m_openLink)
                    return;
                const QString address =
                    webAddress(request.requestedUrl().toString(QUrl::FullyEncoded));
                if (!address.isEmpty())
                    m_openLink(address);
            });
    setTwipsRect(twipsRect());
}

void BrowserView::setNewWindowHandler(NewWindowHandler handler)
{
    m_openLink = nullptr;
    m_newWindow = std::move(handler);
    if (!page()->scripts().find(QStringLiteral("window.open")).isEmpty())
        return;
    QWebEngineScript script;
    script.setName(QStringLiteral("window.open"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(windowOpenScript);
    page()->scripts().insert(script);
}

void BrowserView::setNewWindowOpensLink(OpenLink openLink)
{
    m_newWindow = nullptr;
    m_openLink = std::move(openLink);
}

void BrowserView::openNewWindow(const QUrl &url)
{
    if (BrowserView *target = m_newWindow())
        target->load(url);
}

void BrowserView::navigate(const QString &urlOrPath)
{
    static const QStringList schemes = {QStringLiteral("http"), QStringLiteral("https"),
                                        QStringLiteral("file"), QStringLiteral("about"),
                                        QStringLiteral("data")};
    const QUrl url(urlOrPath);
    // The engine reports the start later, from the event loop.
    m_loading = true;
    // Anything that is not a web address is a path on this machine, drive
    // letters included (they would otherwise read as a scheme).
    if (url.isValid() && schemes.contains(url.scheme().toLower()))
        load(url);
    else
        load(QUrl::fromLocalFile(urlOrPath));
}

void BrowserView::setSilent(bool on)
{
    m_silent = on;
}

void BrowserView::goBack()
{
    if (!history()->canGoBack())
        throw Error(QStringLiteral("No earlier page in the history"));
    back();
}

void BrowserView::goForward()
{
    if (!history()->canGoForward())
        throw Error(QStringLiteral("No later page in the history"));
    forward();
}

void BrowserView::refresh()
{
    reload();
}

void BrowserView::stop()
{
    QWebEngineView::stop();
}

void BrowserView::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_contextMenu && !m_contextMenu(event->globalPos())) {
        event->accept();
        return;
    }
    QWebEngineView::contextMenuEvent(event);
}

void BrowserKeyFilter::attach(QWidget *view)
{
    watch(view);
}

void BrowserKeyFilter::watch(QObject *object)
{
    object->installEventFilter(this);
    const QList<QWidget *> children = object->findChildren<QWidget *>();
    for (QWidget *child : children)
        child->installEventFilter(this);
}

bool BrowserKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded: {
        // The page's render widget comes and goes with the page; whatever
        // child will hold the focus must be watched too.
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType())
            watch(child);
        break;
    }
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers held =
            key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (held == Qt::ControlModifier && (key->key() == Qt::Key_N || key->key() == Qt::Key_O))
            return true;
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
