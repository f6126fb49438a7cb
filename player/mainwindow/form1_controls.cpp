// Form1's controls with their design properties, in stacking order.
#include "../tickers/frminf.h"
#include "form1.h"
#include "skinpicture.h"

#include <QApplication>
#include <QFont>
#include <QPalette>

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

forms::PictureBox *pictureBox(QWidget *parent, const QRect &twips, const QColor &back)
{
    auto *box = new forms::PictureBox(parent);
    box->setBackColor(back);
    box->setTwipsRect(twips);
    return box;
}

forms::Image *image(QWidget *parent, const QRect &twips, const char *picture = nullptr,
                    bool visible = true)
{
    auto *img = new forms::Image(parent);
    img->setTwipsRect(twips);
    if (picture)
        img->setPicture(skin(picture));
    // The design sizes are the pictures' sizes; keep the box as designed.
    img->setTwipsRect(twips);
    img->setVisible(visible);
    return img;
}

forms::Label *label(QWidget *parent, const QString &caption, const QRect &twips,
                    const QColor &color, bool autoSize, const QString &tip = {})
{
    auto *lbl = new forms::Label(parent);
    lbl->setTwipsRect(twips);
    lbl->setForeColor(color);
    lbl->setCaption(caption);
    lbl->setAutoSize(autoSize);
    if (!tip.isEmpty())
        lbl->setToolTipText(tip);
    return lbl;
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
    const QPixmap border = skin("border.jpg");

    Picture4 = pictureBox(this, {2880, 240, 8295, 15}, line);
    Picture3 = pictureBox(this, {840, 3840, 6735, 15}, line);
    Picture1 = pictureBox(this, {600, 1080, 930, 780}, Qt::white);
    Picture1->setBorder(true);
    Timer1 = new forms::Timer(this, 3000, true);
    right1 = pictureBox(this, {6360, 720, 50, 5535}, systemWindow);
    right1->setPicture(border);
    left1 = pictureBox(this, {120, 1200, 50, 5535}, systemWindow);
    left1->setPicture(border);
    bjbox = pictureBox(this, {11160, 3840, 615, 495}, Qt::black);
    bjbox->setPicture(border);
    Timer2 = new forms::Timer(this, 3000, true);

    Image10 = image(this, {11880, 1560, 300, 300}, "guestbook.bmp");
    ImgTop0 = image(this, {6840, 1440, 330, 330}, "pin_flat_framed.bmp", false);
    ImgTop1 = image(this, {6000, 1320, 330, 330}, "pin_upright.bmp", false);
    ImgTop = image(this, {6600, 840, 330, 330});
    Label7 = label(this, QStringLiteral("留言/报错"), {12240, 1560, 810, 190}, white, true);
    Image14 = image(this, {13080, 480, 1650, 1350}, "orchid.bmp");
    Label6 = label(this, QStringLiteral("欢迎您使用Veltaro5.0版本"), {3495, 180, 2430, 180}, white,
                   true);
    Label5 = label(this, QStringLiteral("返回主页面"), {1800, 1440, 900, 180}, white, true,
                   QStringLiteral("返回主页"));
    ImLogo = image(this, {2640, 1080, 3300, 990}, "logo.jpg");
    Label4 = label(this, QStringLiteral("合作伙伴："), {4320, 5760, 1095, 255}, activeTitle, false);
    Image13 = image(this, {4080, 5760, 240, 240}, "sponsor.gif");
    Label1 = label(this, QStringLiteral("官方动态："), {720, 5760, 900, 180},
                   QColor(0xFF, 0x80, 0x80), true);
    Image3 = image(this, {360, 5760, 240, 240}, "news.gif");
    labNotice = label(this, QStringLiteral("官方动态位置!"), {1800, 5760, 1170, 180},
                      QColor(0xFF, 0xFF, 0x00), true);
    iii = image(this, {1440, 4320, 4110, 555}, "tab_double_none.gif");
    ds = label(this, QStringLiteral("电视直播"), {8760, 4320, 720, 190}, white, false,
               QStringLiteral("电视直播"));
    Im = image(this, {9120, 2640, 2055, 555}, "tab_live.gif");
    yy3 = label(this, QStringLiteral("应用中心"), {3720, 3240, 720, 190}, white, false,
                QStringLiteral("应用中心"));
    yy = image(this, {3240, 3120, 2055, 555}, "tab_app.gif");
    yy2 = image(this, {5520, 4080, 2055, 555}, "tab_app_lit.gif");
    yy1 = image(this, {10200, 4560, 2055, 555}, "tab_app.gif");
    Im1 = image(this, {11400, 3240, 2055, 555}, "tab_live.gif", false);
    Im2 = image(this, {6600, 1800, 2055, 555}, "tab_live_lit.gif", false);
    ImgTop2 = image(this, {5760, 840, 330, 330}, "pin_upright_framed.bmp", false);
    labSponsor = label(this, QStringLiteral("合作伙伴位置!"), {5520, 5760, 1170, 180},
                       QColor(0xFF, 0x80, 0xFF), true);
    labSponsor->setMouseIcon(QCursor(skin("hand.cur"), 12, 1));
    Image12 = image(this, {6530, 360, 330, 330}, "min_lit.jpg", false);
    Image12->setToolTipText(QStringLiteral("最小化"));
    Image11 = image(this, {6960, 480, 330, 330}, "max_lit.jpg", false);
    Image11->setToolTipText(QStringLiteral("最大化观看"));
    Image9 = image(this, {7320, 360, 360, 360}, "close_lit.jpg", false);
    Image9->setToolTipText(QStringLiteral("退出程序"));
    Image7 = image(this, {7800, 1320, 4110, 555}, "tab_double_left.bmp", false);
    Label3 = label(this, QStringLiteral("视频点播"), {10680, 840, 720, 180}, white, true,
                   QStringLiteral("视频点播"));
    Image8 = image(this, {10320, 960, 210, 210}, "play.bmp");
    Image6 = image(this, {8400, 840, 210, 210}, "film.bmp");
    Label2 = label(this, QStringLiteral("影视资源"), {8880, 840, 720, 180}, white, true,
                   QStringLiteral("影视资源"));
    Image5 = image(this, {7920, 720, 4110, 555}, "tab_double_right.bmp", false);
    Image4 = image(this, {0, 5520, 75000, 780}, "bottom_bar.bmp");
    ImgControl = image(this, {5760, 840, 1965, 555}, "caption_strip.bmp");
    Image2 = image(this, {1560, 480, 4110, 555}, "tab_double_left.bmp");
    Image1 = image(this, {0, 480, 2055, 555}, "home_tab.bmp");

    WebBrowser1 = new BrowserView(bjbox);
    WebBrowser1->setTwipsRect({120, 120, 3015, 2175});
    WebBrowser2 = new BrowserView(Picture1->inside());
    WebBrowser2->setTwipsRect({-190, -270, 11325, 3015});

    forms::applyStacking(controlsFrontToBack());
}

QList<QWidget *> Form1::controlsFrontToBack() const
{
    return {Picture4, Picture3,   Picture1, right1,    left1,  bjbox,   Image10,    ImgTop0,
            ImgTop1,  ImgTop,     Label7,   Image14,   Label6, Label5,  ImLogo,     Label4,
            Image13,  Label1,     Image3,   labNotice, iii,    ds,      Im,         yy3,
            yy,       yy2,        yy1,      Im1,       Im2,    ImgTop2, labSponsor, Image12,
            Image11,  Image9,     Image7,   Label3,    Image8, Image6,  Label2,     Image5,
            Image4,   ImgControl, Image2,   Image1};
}
