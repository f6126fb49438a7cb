// Form1's news and sponsor tickers.
#include "../mainwindow/form1.h"
#include "http.h"
#include "tickers.h"

void Form1::connectTickers()
{
    connect(Timer1, &forms::Timer::timer, this, &Form1::Timer1_Timer);
    connect(Timer2, &forms::Timer::timer, this, &Form1::Timer2_Timer);
    connect(labNotice, &forms::Label::clicked, this, &Form1::labNotice_Click);
    connect(labSponsor, &forms::Label::clicked, this, &Form1::labSponsor_Click);
}

void Form1::ShowNoticeItem(const QString &text, forms::Label *label, qint16 index)
{
    m_notice->show(text, label, index);
}

void Form1::ShowSponsorItem(const QString &text, forms::Label *label, qint16 index)
{
    m_sponsor->show(text, label, index);
}

void Form1::Timer1_Timer()
{
    m_notice->tick();
}

void Form1::Timer2_Timer()
{
    m_sponsor->tick();
}

void Form1::labNotice_Click()
{
    openTag(labNotice);
}

void Form1::labSponsor_Click()
{
    openTag(labSponsor);
}

void Form1::openTag(const forms::Label *label)
{
    if (m_run.intOnline != 1)
        return;
    // Only a web address goes to the desktop: the ticker files come from the
    // network, and a program path or script there must not be run. The blanks
    // around it go, so the last item of a CR LF file opens too.
    const QString link = webAddress(label->tag());
    if (!link.isEmpty())
        m_seams.openLink(link);
}

// Both texts are fetched alongside each other; each ticker shows its item 0
// as its own text arrives, and the promotion window waits for both.
void Form1::fetchTickerTexts()
{
    struct Pending {
        int left = 2;
        bool answered = true;
    };
    auto pending = std::make_shared<Pending>();
    const auto arrived = [this, pending](bool answered) {
        pending->answered = pending->answered && answered;
        if (--pending->left > 0)
            return;
        if (pending->answered)
            promotionDue();
        else
            portalUnreachable();
    };
    const QString &root = m_run.settings.portalRoot;
    m_notice->fetch(root + QStringLiteral("marquee/Notice.txt"), arrived);
    m_sponsor->fetch(root + QStringLiteral("marquee/Sponsor.txt"), arrived);
}
