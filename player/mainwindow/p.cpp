#include "p.h"

#include "error.h"
#include "form1.h"

#include <QAction>
#include <QMenu>

namespace
{

// The user sees nothing when the view cannot go where asked.
template <typename Step> void ignoringErrors(Step step)
{
    try {
        step();
    } catch (const Error &) {
    }
}

} // namespace

// The menu is a child of the window it pops up over: window systems that
// place pop-ups relative to their parent (Wayland) need one.
p::p(Form1 *owner)
    : QObject(owner), liu(new QMenu(QStringLiteral("浏览设置"), owner)), m_owner(owner)
{
    ht = liu->addAction(QStringLiteral("后退"), this, &p::ht_Click);
    qj = liu->addAction(QStringLiteral("前进"), this, &p::qj_Click);
    sq = liu->addAction(QStringLiteral("刷新"), this, &p::sq_Click);
    stop1 = liu->addAction(QStringLiteral("停止"), this, &p::stop1_Click);
}

void p::ht_Click()
{
    ignoringErrors([this] { m_owner->WebBrowser1->goBack(); });
}

void p::qj_Click()
{
    ignoringErrors([this] { m_owner->WebBrowser1->goForward(); });
}

void p::sq_Click()
{
    ignoringErrors([this] { m_owner->WebBrowser1->refresh(); });
}

void p::stop1_Click()
{
    ignoringErrors([this] { m_owner->WebBrowser1->stop(); });
}
