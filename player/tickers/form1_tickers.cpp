// Form1's news and sponsor tickers.
#include "../mainwindow/form1.h"
#include "../startup/general.h"
#include "tickers.h"

namespace
{

const QString noticeError = QStringLiteral("访问官方动态文件出错!");
const QString sponsorError = QStringLiteral("访问赞助商字幕文件出错!");

// An item that cannot be shown leaves the link and the timer as they were, so
// a click still opens the last good item.
void showItem(const QString &text, forms::Label *label, qint16 index, forms::Timer *timer,
              const QString &errorCaption)
{
    const std::optional<tickers::Item> item = tickers::item(text, index);
    if (!item) {
        label->setCaption(errorCaption);
        label->setToolTipText(tickers::toolTipFor(label->text()));
        return;
    }
    label->setCaption(item->caption);
    label->setToolTipText(tickers::toolTipFor(label->text()));
    label->setTag(item->link);
    timer->setEnabled(true);
}

void openTag(Seams &seams, const forms::Label *label)
{
    if (General::intOnline != 1)
        return;
    // Only a web address goes to the desktop: the ticker files come from the
    // network, and a program path or script there must not be run. The blanks
    // around it go, so the last item of a CR LF file opens too.
    const QString link = webAddress(label->tag());
    if (!link.isEmpty())
        seams.openLink(link);
}

} // namespace

void Form1::connectTickers()
{
    connect(Timer1, &forms::Timer::timer, this, &Form1::Timer1_Timer);
    connect(Timer2, &forms::Timer::timer, this, &Form1::Timer2_Timer);
    connect(labNotice, &forms::Label::clicked, this, &Form1::labNotice_Click);
    connect(labSponsor, &forms::Label::clicked, this, &Form1::labSponsor_Click);
}

void Form1::ShowNoticeItem(const QString &text, forms::Label *label, qint16 index)
{
    showItem(text, label, index, Timer1, noticeError);
}

void Form1::ShowSponsorItem(const QString &text, forms::Label *label, qint16 index)
{
    showItem(text, label, index, Timer2, sponsorError);
}

void Form1::Timer1_Timer()
{
    ShowNoticeItem(NoticeText, labNotice, tickers::nextItem(intNoticeIndex, NoticeText));
}

void Form1::Timer2_Timer()
{
    ShowSponsorItem(SponsorText, labSponsor, tickers::nextItem(intSponsorIndex, SponsorText));
}

void Form1::labNotice_Click()
{
    openTag(m_seams, labNotice);
}

void Form1::labSponsor_Click()
{
    openTag(m_seams, labSponsor);
}
