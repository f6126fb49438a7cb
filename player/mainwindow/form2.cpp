#include "form2.h"

#include "browser.h"

#include <QApplication>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <QNetworkCookie>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace
{

// The sinks' pages share a profile of their own, so their renderer is never
// the portal's: once the last sink is gone, that process ends and gives back
// all it held. The portal's cookies go along, so a pop-up sees the session.
QWebEngineProfile *sinkProfile()
{
    static QWebEngineProfile *const profile = [] {
        auto *created = new QWebEngineProfile(qApp);
        QWebEngineCookieStore *portal = portalProfile()->cookieStore();
        QObject::connect(portal, &QWebEngineCookieStore::cookieAdded, created->cookieStore(),
                         [store = created->cookieStore()](const QNetworkCookie &cookie) {
                             store->setCookie(cookie);
                         });
        QObject::connect(portal, &QWebEngineCookieStore::cookieRemoved, created->cookieStore(),
                         [store = created->cookieStore()](const QNetworkCookie &cookie) {
                             store->deleteCookie(cookie);
                         });
        portal->loadAllCookies();
        return created;
    }();
    return profile;
}

} // namespace

Form2::Form2(QWidget *parent, Clock &clock)
    : QWidget(parent, Qt::Window), m_loadLimit(clock.timer([this] { unload(); }, true))
{
    // A hidden view loads its pages as long as it has a size.
    resize(forms::twipsToPixels(4680), forms::twipsToPixels(3195));
    WebBrowser1 = new BrowserView(this, sinkProfile());
    WebBrowser1->setTwipsRect(QRect(120, 120, 4455, 2895));
    // Only the first completed document counts; frames that finish later
    // find the window already on its way out.
    connect(WebBrowser1, &BrowserView::documentComplete, this, &Form2::WebBrowser1_DocumentComplete,
            Qt::SingleShotConnection);
    m_loadLimit->start(loadLimitMs);
    ++s_loaded;
}

Form2::~Form2()
{
#ifdef __GLIBC__
    // A flood of pop-ups leaves the heap full of freed pages that the C
    // library keeps; the last sink to go hands them back to the system.
    if (--s_loaded == 0)
        QTimer::singleShot(0, qApp, [] { malloc_trim(0); });
#endif
}

void Form2::WebBrowser1_DocumentComplete()
{
    unload();
}

void Form2::unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    deleteLater();
}
