#pragma once

// Where Form1's controls go for a given client size, and which caption button
// the pointer is over: plain rules over twips, kept apart from the widgets.
#include <QRect>
#include <array>

class Form1;

namespace layout
{

// The controls the layout pass places, in the order it places them.
enum class Placed {
    Image1,
    ImLogo,
    left1,
    Image2,
    Im,
    yy,
    ImgControl,
    Image9,
    right1,
    Picture4,
    Picture3,
    Picture1,
    bjbox,
    Image14,
    Image4,
    labSponsor,
    Image6,
    Label5,
    Label2,
    ds,
    yy3,
    labNotice,
    Image8,
    Label3,
    Image11,
    Image12,
    Image3,
    Label1,
    Image13,
    Label4,
    Label7,
    Image10,
    ImgTop,
    WebBrowser1,
};
inline constexpr int kPlacedCount = int(Placed::WebBrowser1) + 1;

// One rectangle per placed control, in twips within its container
// (WebBrowser1's within bjbox, every other one within the window).
class Geometry
{
public:
    QRect &operator[](Placed control) { return m_rects[std::size_t(control)]; }
    const QRect &operator[](Placed control) const { return m_rects[std::size_t(control)]; }
    bool operator==(const Geometry &) const = default;

private:
    std::array<QRect, kPlacedCount> m_rects{};
};

// The labels that take labSponsor's hand cursor just before they are placed.
bool takesHandCursor(Placed control);

// The layout pass for a client area of width x height twips. `current` is the
// geometry before the pass: the picture sizes the rules read come from it, and
// a size that would come out negative is refused by the window, so the
// control keeps its current one and later rules read that.
Geometry pass(int width, int height, const Geometry &current);

// Places Form1's controls for its current client size. With the cursor rule
// the hand labels first take labSponsor's cursor. A step that fails is
// skipped and the rest still runs.
void apply(Form1 &form, bool cursorRule);

// Which of the caption strip's buttons the pointer at (x, y) twips over the
// strip is on. Every bound is exclusive.
struct CaptionZones {
    bool exit = false;
    bool maximise = false;
    bool minimise = false;
    bool pin = false;
    bool operator==(const CaptionZones &) const = default;
};
CaptionZones captionZones(int x, int y);

} // namespace layout
