// Form1 for keyboard and screen-reader users: what each picture-drawn control
// is, where Tab goes, and the window's keys. The mouse meets none of it.
#include "../tickers/frminf.h"
#include "form1.h"
#include "forms/accessible.h"
#include "p.h"

#include <QApplication>
#include <QKeyEvent>
#include <QShortcut>

using forms::accessible::Description;

namespace
{

forms::Image *standIn(Form1 &form, const char *name)
{
    auto *key = new forms::Image(&form);
    key->setObjectName(QLatin1String(name));
    key->setAttribute(Qt::WA_TransparentForMouseEvents);
    return key;
}

} // namespace

void Form1::connectKeyboard()
{
    ImgTopKey = standIn(*this, "ImgTopKey");
    Image12Key = standIn(*this, "Image12Key");
    Image11Key = standIn(*this, "Image11Key");
    Image9Key = standIn(*this, "Image9Key");
    // A stand-in's click is the mouse's on its button: a left press on the
    // pin, a click on the others.
    connect(ImgTopKey, &forms::Image::clicked, this, [this] { ImgTop_MouseDown(1, 0, 0); });
    connect(Image12Key, &forms::Image::clicked, this, &Form1::Image12_Click);
    connect(Image11Key, &forms::Image::clicked, this, &Form1::Image11_Click);
    connect(Image9Key, &forms::Image::clicked, this, &Form1::Image9_Click);
    placeKeyStandIns();
    // Escape closes the promotion window before the page sees the key, in a
    // text field too; while none shows, Escape is the page's.
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_escape->setEnabled(false);
    connect(m_escape, &QShortcut::activated, this, [this] {
        if (m_frmInf)
            m_frmInf->img_Click();
    });

    using forms::accessible::describe;
    describe(this, {.role = QAccessible::Window});
    const auto button = [](std::function<QString()> name, forms::Image *key) {
        return Description{.role = QAccessible::PushButton,
                           .name = std::move(name),
                           .press = [key] { emit key->clicked(); }};
    };
    Description pin = button(
        [this] {
            return intTopmost == 1 ? QStringLiteral("取消置顶") : QStringLiteral("窗口置顶");
        },
        ImgTopKey);
    pin.checked = [this] { return intTopmost == 1; };
    describe(ImgTopKey, pin);
    describe(Image12Key, button([this] { return Image12->toolTipText(); }, Image12Key));
    describe(Image11Key, button([this] { return maximiseTip(); }, Image11Key));
    describe(Image9Key, button([this] { return Image9->toolTipText(); }, Image9Key));

    QList<QWidget *> tabRow;
    for (forms::Label *tab : tabs()) {
        describe(tab, {.role = QAccessible::PageTab,
                       .name = [tab] { return tab->caption(); },
                       .press = [tab] { emit tab->clicked(); },
                       .selected = [this, tab] { return currentTab() == tab; }});
        tabRow << tab;
    }
    forms::accessible::group(this, QAccessible::PageTabList, tabRow);
    // The label shows the caption on one line; so it is read.
    for (forms::Label *ticker : {labNotice, labSponsor}) {
        describe(ticker, {.role = QAccessible::Link,
                          .name = [ticker] { return ticker->text(); },
                          .press = [ticker] { emit ticker->clicked(); }});
    }

    for (QWidget *stop : focusStops()) {
        if (stop != WebBrowser1)
            stop->setFocusPolicy(Qt::TabFocus);
    }
    // The banner is an advert: Tab passes it by, and the keys go to the
    // portal from the start, so PageDown scrolls it at once.
    WebBrowser2->setFocusPolicy(Qt::NoFocus);
    WebBrowser1->setFocus();
    new forms::FocusFrame(this);
}

void Form1::placeKeyStandIns()
{
    if (!ImgTopKey)
        return;
    const std::pair<forms::Image *, const forms::Image *> overButtons[] = {
        {ImgTopKey, ImgTop}, {Image12Key, Image12}, {Image11Key, Image11}, {Image9Key, Image9}};
    for (const auto &[key, button] : overButtons) {
        key->setTwipsRect(button->twipsRect());
        // Over the lit buttons, so the focus mark is seen on them too.
        key->raise();
    }
}

QList<QWidget *> Form1::focusStops() const
{
    QList<QWidget *> stops{ImgTopKey, Image12Key, Image11Key, Image9Key};
    for (forms::Label *tab : tabs())
        stops << tab;
    stops << WebBrowser1 << labNotice << labSponsor;
    return stops;
}

// Tab and Shift+Tab go round the stops in their order, whatever order the
// controls were made or stacked in. The page takes Tab itself through its
// links and hands it back here past its last one.
bool Form1::focusNextPrevChild(bool next)
{
    const QList<QWidget *> stops = focusStops();
    const int count = int(stops.size());
    const QWidget *focused = focusWidget();
    int at = next ? -1 : count;
    for (int i = 0; i < count; ++i) {
        if (focused && (stops[i] == focused || stops[i]->isAncestorOf(focused)))
            at = i;
    }
    for (int step = 1; step <= count; ++step) {
        QWidget *stop = stops[((at + (next ? step : -step)) % count + count) % count];
        if (stop->isVisible() && stop->isEnabled()) {
            stop->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

bool Form1::typingInPage() const
{
    const QWidget *focused = QApplication::focusWidget();
    return focused && (focused == WebBrowser1 || WebBrowser1->isAncestorOf(focused)) &&
           focused->inputMethodQuery(Qt::ImEnabled).toBool();
}

// Keys reach the window when the control or the page that has the focus
// leaves them: a page's own use of a key comes first.
void Form1::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers held =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int key = event->key();
    event->accept();
    if (held == Qt::NoModifier && key == Qt::Key_F5)
        menuHolder().sq_Click();
    else if (typingInPage())
        event->ignore();
    else if (held == Qt::AltModifier && key == Qt::Key_Left)
        menuHolder().ht_Click();
    else if (held == Qt::AltModifier && key == Qt::Key_Right)
        menuHolder().qj_Click();
    else if (held == Qt::ControlModifier && key >= Qt::Key_1 && key <= Qt::Key_6)
        emit tabs().at(key - Qt::Key_1)->clicked();
    else if (held == Qt::NoModifier && (key == Qt::Key_Left || key == Qt::Key_Right) &&
             tabs().contains(qobject_cast<forms::Label *>(focusWidget()))) {
        // Along the row, round from one end to the other.
        const QList<forms::Label *> row = tabs();
        const int count = int(row.size());
        const int at = int(row.indexOf(qobject_cast<forms::Label *>(focusWidget()))) +
                       (key == Qt::Key_Right ? 1 : -1);
        row.at((at + count) % count)->setFocus(Qt::TabFocusReason);
    } else
        event->ignore();
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    // qobject_cast rather than comparing with m_frmInf: the filter also sees the
    // promotion window's destruction, when it is no longer an FrmInf.
    if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) &&
        qobject_cast<FrmInf *>(watched))
        m_escape->setEnabled(event->type() == QEvent::Show);
    return QWidget::eventFilter(watched, event);
}

void Form1::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The maximise button's name follows the window's state.
    if (event->type() == QEvent::WindowStateChange && Image11Key)
        forms::accessible::nameChanged(Image11Key);
}
