#pragma once

#include "../startup/run.h"
#include "../tickers/frminf.h"
#include "browser.h"
#include "forms/forms.h"
#include "layout.h"

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>

class QLockFile;
class QShortcut;
class PortalWatch;
class p;
namespace tickers
{
class Ticker;
}

// The main window: a frameless, picture-drawn window around the portal view.
// Its handlers live in the file of their concern: load and end here and in
// form1.cpp, the title bar in form1_chrome.cpp, the tab row in form1_tabs.cpp,
// pop-ups and the page menu in form1_popups.cpp, the tickers in
// ../tickers/form1_tickers.cpp, keys, focus and what screen readers are told
// in form1_keyboard.cpp.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(Run &run);
    ~Form1() override;

    // Single instance, start-up size, the online or offline view, the hook.
    void Form_Load();
    // The promotion window does not show in this run, or no longer: an
    // update is being offered.
    void withholdPromotion();
    // Once both ticker texts are in, how long the promotion window waits at
    // most for the page the main view is loading.
    static constexpr int promotionWaitMs = 2000;
    // Ends the process at once; no other window's unload handling runs.
    void Form_Unload();
    // The layout pass for the current client size.
    void Form_Resize();

    Seams &seams() { return m_seams; }
    const Run &run() const { return m_run; }
    // Watches for the portal's return while it does not answer.
    PortalWatch &portalWatch() const { return *m_watch; }
    FrmInf *frmInf() const { return m_frmInf; }
    // Every control with a place on the window, front to back, as one table
    // made from the design: the creation, the stacking, the layout pass and
    // the tests read it.
    struct Control {
        QString name;
        QWidget *widget;
        forms::Twips *twips;
        // Its slot in the layout pass, when the pass places it.
        std::optional<layout::Placed> placed;
    };
    const QList<Control> &controls() const { return m_controls; }
    // The control of that name, or nullptr.
    QWidget *control(const QString &name) const;

    // Title bar: drag handles, the caption-button strip, pin, minimise, exit.
    void Form_MouseDown(int button, int x, int y);
    void ImgControl_MouseMove(int button, int x, int y);
    void ImgTop_MouseDown(int button, int x, int y);
    void ImgTop_MouseMove(int button, int x, int y);
    void Image12_Click();
    void Image9_Click();
    void Image11_Click();
    // The maximise button's tooltip for the window's state now.
    QString maximiseTip() const;

    // Tab row.
    void Label5_Click();
    void Label2_Click();
    void Label3_Click();
    void ds_Click();
    void yy3_Click();
    void Label7_Click();
    void Im_MouseMove(int button, int x, int y);
    void yy_MouseMove(int button, int x, int y);
    void Label2_MouseMove(int button, int x, int y);
    void Label3_MouseMove(int button, int x, int y);
    void Im_MouseDown(int button, int x, int y);
    void yy_Click();
    // The six tab captions, left to right, and the one chosen last (home at start).
    QList<forms::Label *> tabs() const;
    forms::Label *currentTab() const { return tabs().at(m_currentTab); }

    // Pop-ups and the page's context menu.
    BrowserView *WebBrowser1_NewWindow2();
    void WebBrowser1_DocumentComplete(const QUrl &url);
    bool M_Dom_oncontextmenu(const QPoint &globalPos);

    // Tickers.
    void ShowNoticeItem(const QString &text, forms::Label *label, qint16 index);
    void ShowSponsorItem(const QString &text, forms::Label *label, qint16 index);
    void Timer1_Timer();
    void Timer2_Timer();
    void labNotice_Click();
    void labSponsor_Click();

    // Controls, front to back.
    forms::PictureBox *Picture4;
    forms::PictureBox *Picture3;
    forms::PictureBox *Picture1;
    forms::Timer *Timer1;
    forms::PictureBox *right1;
    forms::PictureBox *left1;
    forms::PictureBox *bjbox;
    forms::Timer *Timer2;
    forms::Image *Image10;
    forms::Image *ImgTop0;
    forms::Image *ImgTop1;
    forms::Image *ImgTop;
    forms::Label *Label7;
    forms::Image *Image14;
    forms::Label *Label6;
    forms::Label *Label5;
    forms::Image *ImLogo;
    forms::Label *Label4;
    forms::Image *Image13;
    forms::Label *Label1;
    forms::Image *Image3;
    forms::Label *labNotice;
    forms::Image *iii;
    forms::Label *ds;
    forms::Image *Im;
    forms::Label *yy3;
    forms::Image *yy;
    forms::Image *yy2;
    forms::Image *yy1;
    forms::Image *Im1;
    forms::Image *Im2;
    forms::Image *ImgTop2;
    forms::Label *labSponsor;
    forms::Image *Image12;
    forms::Image *Image11;
    forms::Image *Image9;
    forms::Image *Image7;
    forms::Label *Label3;
    forms::Image *Image8;
    forms::Image *Image6;
    forms::Label *Label2;
    forms::Image *Image5;
    forms::Image *Image4;
    forms::Image *ImgControl;
    forms::Image *Image2;
    forms::Image *Image1;
    BrowserView *WebBrowser1; // in bjbox: the portal
    BrowserView *WebBrowser2; // in Picture1: the banner
    // The caption buttons show only under the pointer, so each has a
    // see-through stand-in over it that the keyboard focus and screen readers
    // reach; the mouse passes through it.
    forms::Image *ImgTopKey = nullptr;
    forms::Image *Image12Key = nullptr;
    forms::Image *Image11Key = nullptr;
    forms::Image *Image9Key = nullptr;
    // Puts the stand-ins over their buttons; the layout pass calls it.
    void placeKeyStandIns();

    // Fields.
    BrowserKeyFilter *keyFilter = nullptr; // online only
    QString NoticeText;
    QString SponsorText;
    qint16 intNoticeIndex = 0;
    qint16 intSponsorIndex = 0;
    qint16 intTopmost = 0;
    // The main view's current top-level document; empty until one has loaded.
    QUrl M_Dom;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void connectChrome();
    // Window moves: a left press on a drag handle, then motion with the button down.
    void pressDrag(int button, const QWidget *control, int x, int y);
    void followDrag(int button);
    void endDrag();
    void connectTabs();
    void connectPopups();
    void connectTickers();
    void connectKeyboard();
    // Where Tab goes, in order: the caption buttons, the tabs, the page, the tickers.
    QList<QWidget *> focusStops() const;
    // A text field of the portal page has the keyboard focus.
    bool typingInPage() const;
    void navigateTab(const QString &path);
    // The portal path of a tab, by its place in tabs().
    static QString tabPath(int tab);
    void openTag(const forms::Label *label);
    // The online view: the banner, the page of the chosen tab, the ticker
    // texts and, once they are in, the promotion window.
    void loadPortal();
    void fetchTickerTexts();
    // Both texts are in: the promotion window rises once the page the main
    // view is loading has loaded, so as not to slow it down, and after
    // promotionWaitMs at the latest.
    void promotionDue();
    void raisePromotion();
    void showOfflinePage();
    // The portal did not answer the ticker fetches: the local page instead
    // of one still awaited, and a watch for its return.
    void portalUnreachable();
    // It answers again: everything the online view shows loads once more.
    void portalReturned();
    p &menuHolder();

    bool acquireSingleInstance();

    Run &m_run;
    Seams &m_seams;
    QList<Control> m_controls;
    std::unique_ptr<tickers::Ticker> m_notice;
    std::unique_ptr<tickers::Ticker> m_sponsor;
    PortalWatch *m_watch;
    std::unique_ptr<QLockFile> m_instanceLock;
    QPointer<FrmInf> m_frmInf;
    // Raised once per run at most; never after an update was offered.
    bool m_promotionRaised = false;
    bool m_promotionWithheld = false;
    std::unique_ptr<Clock::Timer> m_promotionWait;
    p *m_p = nullptr; // a child of the window, made at the first page menu
    // The point of the window, in pixels, that a left press on a drag handle
    // grabbed; it stays under the pointer while the window is dragged.
    std::optional<QPoint> m_dragGrab;
    int m_currentTab = 0;
    // Escape, while the promotion window shows.
    QShortcut *m_escape = nullptr;
};
