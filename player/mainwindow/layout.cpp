#include "layout.h"

namespace layout
{

namespace
{

// The window refuses a negative extent and the control keeps its old one.
void setWidth(QRect &rect, int twips)
{
    if (twips >= 0)
        rect.setWidth(twips);
}

void setHeight(QRect &rect, int twips)
{
    if (twips >= 0)
        rect.setHeight(twips);
}

} // namespace

bool takesHandCursor(Placed control)
{
    switch (control) {
    case Placed::Label5:
    case Placed::Label2:
    case Placed::ds:
    case Placed::yy3:
    case Placed::labNotice:
    case Placed::Label3:
    case Placed::Label7:
        return true;
    default:
        return false;
    }
}

Geometry pass(int W, int H, const Geometry &current)
{
    Geometry g = current;
    using P = Placed;
    // Each step reads only what an earlier step has placed or a picture size.
    auto moveTo = [&g](P control, int left, int top) { g[control].moveTo(left, top); };

    moveTo(P::Image1, 1360, 1450);
    const QRect &image1 = g[P::Image1];
    moveTo(P::ImLogo, 260, 400);

    // The border strips run down to the top of the bottom bar and a little into it.
    const int stripHeight = H - g[P::Image4].height() - image1.height() + 600;
    moveTo(P::left1, 0, 0);
    setHeight(g[P::left1], stripHeight);

    // The tab row is a chain: each tab starts where the previous one ends.
    moveTo(P::Image2, image1.left() + image1.width(), image1.top());
    moveTo(P::Im, g[P::Image2].left() + g[P::Image2].width(), image1.top());
    moveTo(P::yy, g[P::Im].left() + g[P::Im].width(), image1.top());

    // The caption strip hangs in the top right corner; its buttons hang off it.
    moveTo(P::ImgControl, W - g[P::ImgControl].width(), 0);
    const QRect &strip = g[P::ImgControl];
    moveTo(P::Image9, strip.left() + 1520, 100);
    moveTo(P::right1, g[P::Image9].left() + 400, 0);
    setHeight(g[P::right1], stripHeight);

    const int lineWidth = W - g[P::left1].width() - g[P::right1].width();
    moveTo(P::Picture4, g[P::left1].width(), 10);
    setWidth(g[P::Picture4], lineWidth);
    moveTo(P::Picture3, g[P::left1].width(), image1.top() + image1.height());
    setWidth(g[P::Picture3], lineWidth);
    setHeight(g[P::Picture3], 20);

    g[P::Picture1] = QRect(3500, 470, 9558, 900);

    moveTo(P::bjbox, 0, g[P::Picture3].top() + g[P::Picture3].height());
    setWidth(g[P::bjbox], W);
    setHeight(g[P::bjbox], H - image1.height() - g[P::Image4].height() - 1450);
    const QRect &holder = g[P::bjbox];

    moveTo(P::Image14, strip.left(), strip.height() + 20);
    moveTo(P::Image4, g[P::Image4].left(), holder.top() + holder.height());
    setWidth(g[P::Image4], holder.width());
    const int barTop = g[P::Image4].top();

    moveTo(P::labSponsor, image1.left() + 6500, barTop + 340);
    moveTo(P::Image6, g[P::Image2].left() + 480, image1.top() + 180);
    moveTo(P::Label5, image1.left() + 650, image1.top() + 180);
    moveTo(P::Label2, g[P::Image6].left() + 300, g[P::Image6].top() + 10);
    moveTo(P::ds, g[P::Im].left() + 600, g[P::Im].top() + 180);
    moveTo(P::yy3, g[P::yy].left() + 600, g[P::yy].top() + 180);
    moveTo(P::labNotice, 1800, barTop + 340);
    moveTo(P::Image8, g[P::Image2].left() + 2640, image1.top() + 180);
    moveTo(P::Label3, g[P::Image8].left() + 300, g[P::Image8].top() + 10);
    moveTo(P::Image11, strip.left() + 1145, 100);
    moveTo(P::Image12, strip.left() + 770, 100);
    moveTo(P::Image3, 500, barTop + 320);
    moveTo(P::Label1, g[P::Image3].left() + 300, barTop + 340);
    moveTo(P::Image13, g[P::ds].left() - 1600, barTop + 320);
    moveTo(P::Label4, g[P::Image13].left() + 300, g[P::Label1].top());
    moveTo(P::Label7, g[P::Image14].left() - 980, image1.top() + 180);
    moveTo(P::Image10, g[P::Label7].left() - 350, g[P::Label7].top() - 40);
    moveTo(P::ImgTop, strip.left() + 345, 100);

    // The page overhangs its holder by 40 twips above and below.
    moveTo(P::WebBrowser1, 0, -40);
    setWidth(g[P::WebBrowser1], W);
    setHeight(g[P::WebBrowser1], holder.height() + 80);
    return g;
}

CaptionZones captionZones(int x, int y)
{
    const bool band = 60 < y && y < 420;
    CaptionZones zones;
    zones.exit = band && 1540 < x && x < 1900;
    zones.maximise = band && 1145 < x && x < 1475;
    zones.minimise = band && 770 < x && x < 1130;
    zones.pin = band && 320 < x && x < 705;
    return zones;
}

} // namespace layout
