#include "frminf.h"

#include "forms/accessible.h"
#include "skinpicture.h"
#include "windowing.h"

#include <QKeyEvent>

FrmInf::FrmInf(QWidget *owner, Run &run)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint), m_run(run), m_seams(run.seams)
{
    // A close unloads the window; the view and the timer go with it.
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("影片介绍"));
    resize(forms::twipsToPixels(4500), forms::twipsToPixels(3750));

    img = new forms::PictureBox(this);
    img->setTwipsRect({3906, 0, 600, 210});
    img->setPicture(skinPicture(QStringLiteral(":/skin/frminf_close.gif")));
    img->setAutoSize(true);

    // Larger than the window, and the view larger still and shifted up and
    // left, so that the view's own edges and scroll bars never show.
    Picture1 = new forms::PictureBox(this);
    Picture1->setTwipsRect({0, 0, 5175, 4215});
    WebBrowser1 = new BrowserView(Picture1);
    WebBrowser1->setTwipsRect({-180, -250, 5895, 4575});
    WebBrowser1->setToolTip(QStringLiteral("支持我们的发展，请点击广告"));
    // The advert asks to be clicked: what it opens in a new window is shown
    // by the user's desktop browser.
    WebBrowser1->setNewWindowOpensLink([this](const QString &url) { m_seams.openLink(url); });
    // Nor is it a page to save or study: no menu at all.
    WebBrowser1->setContextMenuHandler([](const QPoint &) { return false; });

    forms::applyStacking({img, Picture1});

    Timer1 = new forms::Timer(this, *m_seams.clock, 0, true);
    connect(Timer1, &forms::Timer::timer, this, &FrmInf::Timer1_Timer);
    connect(img, &forms::PictureBox::clicked, this, &FrmInf::img_Click);

    // For screen readers a dialog with a close button; Escape closes it too.
    forms::accessible::describe(this, {.role = QAccessible::Dialog});
    forms::accessible::describe(img, {.role = QAccessible::PushButton,
                                      .name = [] { return QStringLiteral("关闭"); },
                                      .press = [this] { img_Click(); }});
    img->setFocusPolicy(Qt::TabFocus);
    new forms::FocusFrame(this);

    windowing::own(this, owner);
    Form_Load();
}

void FrmInf::moveTwips(int left, int top)
{
    m_leftTwips = left;
    m_topTwips = top;
    move(forms::twipsToPixels(left), forms::twipsToPixels(top));
}

void FrmInf::Form_Load()
{
    WebBrowser1->navigate(m_run.settings.portalRoot + QStringLiteral("adv/pop_ads.html"));
    const QRect screen = m_seams.screenAreaTwips();
    moveTwips(screen.x() + screen.width() - widthTwips(), screen.y() + screen.height());
    Timer1->setInterval(20);
}

void FrmInf::Timer1_Timer()
{
    // Only moves: a window hidden meanwhile stays hidden.
    if (heightTwips() + 500 <= intSlideOffset)
        Timer1->setInterval(0);
    const QRect screen = m_seams.screenAreaTwips();
    moveTwips(screen.x() + screen.width() - widthTwips() - 100,
              screen.y() + screen.height() - intSlideOffset);
    intSlideOffset += 100;
}

void FrmInf::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        img_Click();
    else
        QWidget::keyPressEvent(event);
}

void FrmInf::img_Click()
{
    // The deletion itself waits for the event loop; no tick may come first.
    Timer1->setEnabled(false);
    close();
}
