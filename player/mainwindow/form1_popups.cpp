// Form1's pop-up sinks and the page's context menu.
#include "form1.h"
#include "form2.h"
#include "p.h"

#include <QMenu>
#include <QWebEnginePage>

// The portal view's pop-ups go into sinks. The banner is an advert: what it
// opens in a new window is meant for the user, so the desktop browser shows
// it. The sinks' own pop-ups keep the view's behaviour (dropped).
void Form1::connectPopups()
{
    WebBrowser1->setNewWindowHandler([this] { return WebBrowser1_NewWindow2(); });
    WebBrowser2->setNewWindowOpensLink([this](const QString &url) { m_seams.openLink(url); });
    connect(WebBrowser1, &BrowserView::documentComplete, this,
            &Form1::WebBrowser1_DocumentComplete);
    WebBrowser1->setContextMenuHandler(
        [this](const QPoint &globalPos) { return M_Dom_oncontextmenu(globalPos); });
    // The banner is an advert, not a page to save or study: no menu at all.
    WebBrowser2->setContextMenuHandler([](const QPoint &) { return false; });
}

// The pop-up goes into a window nobody sees, which lives until its content
// has loaded; the window is a child of Form1 only so that it cannot outlive it.
// Children keep their order of creation, so the oldest sink comes first.
BrowserView *Form1::WebBrowser1_NewWindow2()
{
    QList<Form2 *> loaded = findChildren<Form2 *>(Qt::FindDirectChildrenOnly);
    loaded.removeIf([](const Form2 *sink) { return sink->isUnloading(); });
    while (loaded.size() >= Form2::maxLoaded)
        loaded.takeFirst()->unload();
    auto *sink = new Form2(this, *m_seams.clock);
    return sink->WebBrowser1;
}

// Frames report too; the document followed is always the top-level one.
void Form1::WebBrowser1_DocumentComplete(const QUrl &)
{
    M_Dom = WebBrowser1->page()->url();
}

// The program's own menu stands in for the browser's, also when the user
// dismisses it.
bool Form1::M_Dom_oncontextmenu(const QPoint &globalPos)
{
    menuHolder().liu->exec(globalPos);
    return false;
}
