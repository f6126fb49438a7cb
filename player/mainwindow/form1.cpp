#include "form1.h"

#include "../startup/portalwatch.h"
#include "../tickers/frminf.h"
#include "../tickers/tickers.h"
#include "module.h"
#include "p.h"
#include "windowing.h"

#include <QCloseEvent>
#include <QDir>
#include <QLockFile>
#include <QLoggingCategory>
#include <QStandardPaths>

// Why the client went to its offline view and when it came back, for
// whoever reads the program's output.
Q_LOGGING_CATEGORY(lcPortal, "veltaro.portal")

Form1::Form1(Run &run)
    : QWidget(nullptr, Qt::FramelessWindowHint), m_run(run), m_seams(run.seams),
      m_watch(new PortalWatch([root = run.settings.portalRoot] { return portalAnswers(root); },
                              *run.seams.clock, this)),
      m_promotionWait(run.seams.clock->timer([this] { raisePromotion(); }, true))
{
    createControls();
    m_notice = std::make_unique<tickers::Ticker>(NoticeText, intNoticeIndex, labNotice, Timer1,
                                                 QStringLiteral("访问官方动态文件出错!"));
    m_sponsor = std::make_unique<tickers::Ticker>(SponsorText, intSponsorIndex, labSponsor, Timer2,
                                                  QStringLiteral("访问赞助商字幕文件出错!"));
    connect(m_watch, &PortalWatch::returned, this, &Form1::portalReturned);
    connect(WebBrowser1, &BrowserView::unreachable, this, [this](const QUrl &url, int code) {
        qCInfo(lcPortal, "no answer for %s (%d): the offline page", qUtf8Printable(url.toString()),
               code);
        showOfflinePage();
        m_watch->lost();
    });
    connect(WebBrowser1, &BrowserView::documentComplete, this, [this] {
        if (m_promotionWait->isActive())
            raisePromotion();
    });
    connect(WebBrowser2, &BrowserView::unreachable, this, [this](const QUrl &url, int code) {
        qCInfo(lcPortal, "no answer for %s (%d): no banner", qUtf8Printable(url.toString()), code);
        Picture1->hide();
        m_watch->lost();
    });
    connectChrome();
    connectTabs();
    connectPopups();
    connectTickers();
    connectKeyboard();
}

Form1::~Form1() = default;

bool Form1::acquireSingleInstance()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    m_instanceLock = std::make_unique<QLockFile>(folder + QStringLiteral("/veltaro-player.lock"));
    // Only a lock whose process is gone counts as stale, however old it is.
    m_instanceLock->setStaleLockTime(0);
    return m_instanceLock->tryLock(0);
}

void Form1::Form_Load()
{
    if (!acquireSingleInstance()) {
        m_seams.message(nullptr, QStringLiteral("Veltaro:该程序已经运行!"), QString(),
                        QMessageBox::NoIcon, QMessageBox::Ok);
        Form_Unload();
        return;
    }

    // Centred on the work area; on a smaller screen the window takes the
    // whole area and the layout pass fits the controls to it, so that the
    // caption buttons and the tickers stay within reach.
    const QRect placed = windowing::centredIn(m_seams.screenAreaTwips(), QSize(15200, 10000));
    resize(forms::twipsToPixels(placed.width()), forms::twipsToPixels(placed.height()));
    move(forms::twipsToPixels(placed.x()), forms::twipsToPixels(placed.y()));
    // A hidden window gets its resize notification only when shown; the
    // controls must be in place before it is first seen.
    if (!isVisible())
        Form_Resize();

    if (m_run.intOnline == 1) {
        loadPortal();
    } else {
        qCInfo(lcPortal, "no connection at start: the offline page");
        Picture1->hide();
        showOfflinePage();
        // The network may come later, as when the computer joins its
        // wireless network after the client has started at log-in.
        m_watch->lost();
    }

    Module::subclassMainWindow(this);
}

void Form1::loadPortal()
{
    if (!keyFilter) {
        keyFilter = new BrowserKeyFilter(this);
        keyFilter->attach(WebBrowser1);
    }
    const QString &root = m_run.settings.portalRoot;
    Picture1->show();
    WebBrowser2->setSilent(true);
    WebBrowser2->navigate(root + QStringLiteral("adv/banner.html"));
    // A page of the portal that the main view shows already stays: the user
    // may be reading it.
    if (!WebBrowser1->hasLoaded() || WebBrowser1->url().isLocalFile()) {
        WebBrowser1->setSilent(true);
        WebBrowser1->navigate(root + tabPath(m_currentTab));
    }
    // In the background: the window shows and answers while they arrive.
    fetchTickerTexts();
}

void Form1::promotionDue()
{
    if (WebBrowser1->isLoading())
        m_promotionWait->start(promotionWaitMs);
    else
        raisePromotion();
}

void Form1::raisePromotion()
{
    m_promotionWait->stop();
    if (m_promotionRaised || m_promotionWithheld)
        return;
    m_promotionRaised = true;
    m_frmInf = new FrmInf(this, m_run);
    m_frmInf->installEventFilter(this);
    // Keys typed into the page meanwhile stay with the page.
    if (isVisible())
        m_frmInf->setAttribute(Qt::WA_ShowWithoutActivating);
    m_frmInf->show();
}

void Form1::withholdPromotion()
{
    m_promotionWithheld = true;
    if (m_frmInf)
        m_frmInf->hide();
}

void Form1::showOfflinePage()
{
    WebBrowser1->navigate(m_seams.installFolder + QStringLiteral("/404.html"));
}

void Form1::portalUnreachable()
{
    // No ticker text came. A page of the portal that has loaded stays; one
    // still awaited gives way to the local page, and the banner to the bar
    // behind it.
    qCInfo(lcPortal, "no answer for the ticker texts");
    if (!WebBrowser1->hasLoaded())
        showOfflinePage();
    if (!WebBrowser2->hasLoaded())
        Picture1->hide();
    m_watch->lost();
}

void Form1::portalReturned()
{
    qCInfo(lcPortal, "the portal answers again");
    m_run.intOnline = 1;
    loadPortal();
}

void Form1::Form_Unload()
{
    m_seams.endProcess();
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // A close request from the window manager, Alt+F4 or the taskbar.
    event->accept();
    Form_Unload();
}

namespace
{

QPoint twipsAt(const QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    return {forms::pixelsToTwips(pos.x()), forms::pixelsToTwips(pos.y())};
}

} // namespace

void Form1::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = twipsAt(event);
    Form_MouseDown(forms::buttonMask(event), at.x(), at.y());
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    followDrag(forms::buttonMask(event));
}

void Form1::mouseReleaseEvent(QMouseEvent *)
{
    endDrag();
}

// The background's second press of a double-click is no second MouseDown.
void Form1::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}

p &Form1::menuHolder()
{
    if (!m_p)
        m_p = new p(this);
    return *m_p;
}
