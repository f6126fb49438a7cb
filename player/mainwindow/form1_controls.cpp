// Form1's controls with their design properties, in stacking order: one
// table, which the window builds itself from.
#include "../tickers/frminf.h"
#include "form1.h"
#include "skinpicture.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <variant>

using namespace Qt::StringLiterals;

namespace
{

QPixmap skin(const char *name)
{
    return skinPicture(QStringLiteral(":/skin/") + QLatin1String(name));
}

// Stands in for the 9-point "宋体" the skin was drawn for: 12-pixel CJK
// characters and Latin ones half as wide, so the captions fill the boxes the
// skin leaves for them.
QFont defaultFont()
{
    QFont font(QStringLiteral("WenQuanYi Zen Hei Mono"));
    font.setPixelSize(12);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// Which member a control is kept in also says what kind of control it is.
using Slot = std::variant<forms::PictureBox * Form1::*, forms::Image * Form1::*,
                          forms::Label * Form1::*, BrowserView * Form1::*>;

// One control as designed. The colour is a label's text colour or a picture
// box's background; a browser view lies in the picture box `in`.
struct Design {
    Slot slot;
    const char *name;
    QRect rect;
    const char *picture = nullptr;
    QString caption = {};
    QColor color = {};
    bool autoSize = false;
    QString tip = {};
    bool visible = true;
    bool border = false;
    forms::PictureBox *Form1::*in = nullptr;
    std::optional<layout::Placed> placed = {};
};

#define CONTROL(member) .slot = &Form1::member, .name = #member

// Each kind is made by its own overload, which also fills the control's member.
QWidget *makeControl(Form1 &form, forms::PictureBox *Form1::*slot, const Design &design)
{
    auto *box = form.*slot = new forms::PictureBox(&form);
    box->setBackColor(design.color);
    box->setTwipsRect(design.rect);
    box->setBorder(design.border);
    if (design.picture)
        box->setPicture(skin(design.picture));
    return box;
}

QWidget *makeControl(Form1 &form, forms::Image *Form1::*slot, const Design &design)
{
    auto *img = form.*slot = new forms::Image(&form);
    if (design.picture)
        img->setPicture(skin(design.picture));
    // The design sizes are the pictures' sizes; keep the box as designed.
    img->setTwipsRect(design.rect);
    img->setVisible(design.visible);
    if (!design.tip.isEmpty())
        img->setToolTipText(design.tip);
    return img;
}

QWidget *makeControl(Form1 &form, forms::Label *Form1::*slot, const Design &design)
{
    auto *lbl = form.*slot = new forms::Label(&form);
    lbl->setTwipsRect(design.rect);
    lbl->setForeColor(design.color);
    lbl->setCaption(design.caption);
    lbl->setAutoSize(design.autoSize);
    if (!design.tip.isEmpty())
        lbl->setToolTipText(design.tip);
    return lbl;
}

QWidget *makeControl(Form1 &form, BrowserView *Form1::*slot, const Design &design)
{
    auto *page = form.*slot = new BrowserView((form.*design.in)->inside());
    page->setTwipsRect(design.rect);
    return page;
}

} // namespace

void Form1::createControls()
{
    Q_INIT_RESOURCE(skin);

    setWindowTitle(QStringLiteral("Veltaro5.0"));
    setWindowIcon(QIcon(QStringLiteral(":/skin/veltaro.ico")));
    setFont(defaultFont());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x1A, 0x1A, 0x1A));
    setPalette(pal);
    // Design client size 15360 x 7530; the load gives the start-up size.
    resize(forms::twipsToPixels(15360), forms::twipsToPixels(7530));

    const QColor white(0xFF, 0xFF, 0xFF);
    const QColor line(0x40, 0x40, 0x40);
    const QColor systemWindow = QApplication::palette().color(QPalette::Window);
    const QColor activeTitle = QApplication::palette().color(QPalette::Highlight);
    using P = layout::Placed;

    // Front to back.
    const Design design[] = {
        {CONTROL(Picture4), .rect = {2880, 240, 8295, 15}, .color = line, .placed = P::Picture4},
        {CONTROL(Picture3), .rect = {840, 3840, 6735, 15}, .color = line, .placed = P::Picture3},
        {CONTROL(Picture1), .rect = {600, 1080, 930, 780}, .color = white, .border = true,
         .placed = P::Picture1},
        {CONTROL(right1), .rect = {6360, 720, 50, 5535}, .picture = "border.jpg",
         .color = systemWindow, .placed = P::right1},
        {CONTROL(left1), .rect = {120, 1200, 50, 5535}, .picture = "border.jpg",
         .color = systemWindow, .placed = P::left1},
        {CONTROL(bjbox), .rect = {11160, 3840, 615, 495}, .picture = "border.jpg",
         .color = Qt::black, .placed = P::bjbox},
        {CONTROL(Image10), .rect = {11880, 1560, 300, 300}, .picture = "guestbook.bmp",
         .placed = P::Image10},
        {CONTROL(ImgTop0), .rect = {6840, 1440, 330, 330}, .picture = "pin_flat_framed.bmp",
         .visible = false},
        {CONTROL(ImgTop1), .rect = {6000, 1320, 330, 330}, .picture = "pin_upright.bmp",
         .visible = false},
        {CONTROL(ImgTop), .rect = {6600, 840, 330, 330}, .placed = P::ImgTop},
        {CONTROL(Label7), .rect = {12240, 1560, 810, 190}, .caption = u"留言/报错"_s,
         .color = white, .autoSize = true, .placed = P::Label7},
        {CONTROL(Image14), .rect = {13080, 480, 1650, 1350}, .picture = "orchid.bmp",
         .placed = P::Image14},
        {CONTROL(Label6), .rect = {3495, 180, 2430, 180}, .caption = u"欢迎您使用Veltaro5.0版本"_s,
         .color = white, .autoSize = true},
        {CONTROL(Label5), .rect = {1800, 1440, 900, 180}, .caption = u"返回主页面"_s,
         .color = white, .autoSize = true, .tip = u"返回主页"_s, .placed = P::Label5},
        {CONTROL(ImLogo), .rect = {2640, 1080, 3300, 990}, .picture = "logo.jpg",
         .placed = P::ImLogo},
        {CONTROL(Label4), .rect = {4320, 5760, 1095, 255}, .caption = u"合作伙伴："_s,
         .color = activeTitle, .placed = P::Label4},
        {CONTROL(Image13), .rect = {4080, 5760, 240, 240}, .picture = "sponsor.gif",
         .placed = P::Image13},
        {CONTROL(Label1), .rect = {720, 5760, 900, 180}, .caption = u"官方动态："_s,
         .color = QColor(0xFF, 0x80, 0x80), .autoSize = true, .placed = P::Label1},
        {CONTROL(Image3), .rect = {360, 5760, 240, 240}, .picture = "news.gif",
         .placed = P::Image3},
        {CONTROL(labNotice), .rect = {1800, 5760, 1170, 180}, .caption = u"官方动态位置!"_s,
         .color = QColor(0xFF, 0xFF, 0x00), .autoSize = true, .placed = P::labNotice},
        {CONTROL(iii), .rect = {1440, 4320, 4110, 555}, .picture = "tab_double_none.gif"},
        {CONTROL(ds), .rect = {8760, 4320, 720, 190}, .caption = u"电视直播"_s, .color = white,
         .tip = u"电视直播"_s, .placed = P::ds},
        {CONTROL(Im), .rect = {9120, 2640, 2055, 555}, .picture = "tab_live.gif", .placed = P::Im},
        {CONTROL(yy3), .rect = {3720, 3240, 720, 190}, .caption = u"应用中心"_s, .color = white,
         .tip = u"应用中心"_s, .placed = P::yy3},
        {CONTROL(yy), .rect = {3240, 3120, 2055, 555}, .picture = "tab_app.gif", .placed = P::yy},
        {CONTROL(yy2), .rect = {5520, 4080, 2055, 555}, .picture = "tab_app_lit.gif"},
        {CONTROL(yy1), .rect = {10200, 4560, 2055, 555}, .picture = "tab_app.gif"},
        {CONTROL(Im1), .rect = {11400, 3240, 2055, 555}, .picture = "tab_live.gif",
         .visible = false},
        {CONTROL(Im2), .rect = {6600, 1800, 2055, 555}, .picture = "tab_live_lit.gif",
         .visible = false},
        {CONTROL(ImgTop2), .rect = {5760, 840, 330, 330}, .picture = "pin_upright_framed.bmp",
         .visible = false},
        {CONTROL(labSponsor), .rect = {5520, 5760, 1170, 180}, .caption = u"合作伙伴位置!"_s,
         .color = QColor(0xFF, 0x80, 0xFF), .autoSize = true, .placed = P::labSponsor},
        {CONTROL(Image12), .rect = {6530, 360, 330, 330}, .picture = "min_lit.jpg",
         .tip = u"最小化"_s, .visible = false, .placed = P::Image12},
        {CONTROL(Image11), .rect = {6960, 480, 330, 330}, .picture = "max_lit.jpg",
         .tip = u"最大化观看"_s, .visible = false, .placed = P::Image11},
        {CONTROL(Image9), .rect = {7320, 360, 360, 360}, .picture = "close_lit.jpg",
         .tip = u"退出程序"_s, .visible = false, .placed = P::Image9},
        {CONTROL(Image7), .rect = {7800, 1320, 4110, 555}, .picture = "tab_double_left.bmp",
         .visible = false},
        {CONTROL(Label3), .rect = {10680, 840, 720, 180}, .caption = u"视频点播"_s, .color = white,
         .autoSize = true, .tip = u"视频点播"_s, .placed = P::Label3},
        {CONTROL(Image8), .rect = {10320, 960, 210, 210}, .picture = "play.bmp",
         .placed = P::Image8},
        {CONTROL(Image6), .rect = {8400, 840, 210, 210}, .picture = "film.bmp",
         .placed = P::Image6},
        {CONTROL(Label2), .rect = {8880, 840, 720, 180}, .caption = u"影视资源"_s, .color = white,
         .autoSize = true, .tip = u"影视资源"_s, .placed = P::Label2},
        {CONTROL(Image5), .rect = {7920, 720, 4110, 555}, .picture = "tab_double_right.bmp",
         .visible = false},
        {CONTROL(Image4), .rect = {0, 5520, 75000, 780}, .picture = "bottom_bar.bmp",
         .placed = P::Image4},
        {CONTROL(ImgControl), .rect = {5760, 840, 1965, 555}, .picture = "caption_strip.bmp",
         .placed = P::ImgControl},
        {CONTROL(Image2), .rect = {1560, 480, 4110, 555}, .picture = "tab_double_left.bmp",
         .placed = P::Image2},
        {CONTROL(Image1), .rect = {0, 480, 2055, 555}, .picture = "home_tab.bmp",
         .placed = P::Image1},
        {CONTROL(WebBrowser1), .rect = {120, 120, 3015, 2175}, .in = &Form1::bjbox,
         .placed = P::WebBrowser1},
        {CONTROL(WebBrowser2), .rect = {-190, -270, 11325, 3015}, .in = &Form1::Picture1},
    };
#undef CONTROL

    Timer1 = new forms::Timer(this, *m_seams.clock, 3000, true);
    Timer2 = new forms::Timer(this, *m_seams.clock, 3000, true);
    QList<QWidget *> onWindow;
    for (const Design &d : design) {
        QWidget *created =
            std::visit([&](auto slot) { return makeControl(*this, slot, d); }, d.slot);
        created->setObjectName(QLatin1String(d.name));
        m_controls.append(
            {QLatin1String(d.name), created, dynamic_cast<forms::Twips *>(created), d.placed});
        if (!d.in)
            onWindow << created;
    }
    labSponsor->setMouseIcon(QCursor(skin("hand.cur"), 12, 1));
    forms::applyStacking(onWindow);
}

QWidget *Form1::control(const QString &name) const
{
    for (const Control &c : m_controls) {
        if (c.name == name)
            return c.widget;
    }
    return nullptr;
}
