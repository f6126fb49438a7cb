#include "form1.h"

#include "../startup/general.h"
#include "../tickers/frminf.h"
#include "../tickers/tickers.h"
#include "module.h"
#include "p.h"
#include "settings.h"
#include "windowing.h"

#include <QCloseEvent>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

Form1::Form1(Seams &seams) : QWidget(nullptr, Qt::FramelessWindowHint), m_seams(seams)
{
    createControls();
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

    if (General::intOnline == 1) {
        keyFilter = new BrowserKeyFilter(this);
        keyFilter->attach(WebBrowser1);

        WebBrowser2->setSilent(true);
        WebBrowser2->navigate(portalRoot() + QStringLiteral("adv/banner.html"));
        WebBrowser1->setSilent(true);
        WebBrowser1->navigate(portalRoot());

        NoticeText = FetchText(portalRoot() + QStringLiteral("marquee/Notice.txt"));
        SponsorText = FetchText(portalRoot() + QStringLiteral("marquee/Sponsor.txt"));
        ShowNoticeItem(NoticeText, labNotice, 0);
        ShowSponsorItem(SponsorText, labSponsor, 0);

        m_frmInf = new FrmInf(this, m_seams);
        m_frmInf->installEventFilter(this);
        m_frmInf->show();
    } else {
        Picture1->hide();
        WebBrowser1->navigate(m_seams.installFolder + QStringLiteral("/404.html"));
    }

    Module::subclassMainWindow(this);
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
