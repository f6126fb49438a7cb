// Form1's layout pass: every resize places the controls for the new size.
#include "../tickers/frminf.h"
#include "error.h"
#include "form1.h"
#include "layout.h"

namespace
{

// Form1's controls in the order of layout::Placed.
std::array<forms::Twips *, layout::kPlacedCount> placedControls(Form1 &f)
{
    return {f.Image1,     f.ImLogo,  f.left1,  f.Image2,     f.Im,       f.yy,
            f.ImgControl, f.Image9,  f.right1, f.Picture4,   f.Picture3, f.Picture1,
            f.bjbox,      f.Image14, f.Image4, f.labSponsor, f.Image6,   f.Label5,
            f.Label2,     f.ds,      f.yy3,    f.labNotice,  f.Image8,   f.Label3,
            f.Image11,    f.Image12, f.Image3, f.Label1,     f.Image13,  f.Label4,
            f.Label7,     f.Image10, f.ImgTop, f.WebBrowser1};
}

} // namespace

void layout::apply(Form1 &form, bool cursorRule)
{
    const auto controls = placedControls(form);
    Geometry current;
    for (int i = 0; i < kPlacedCount; ++i)
        current[Placed(i)] = controls[i]->twipsRect();

    const int width = forms::pixelsToTwips(form.width());
    const int height = forms::pixelsToTwips(form.height());
    const Geometry placed = pass(width, height, current);

    for (int i = 0; i < kPlacedCount; ++i) {
        const Placed control = Placed(i);
        // Without a hand to copy the label keeps the pointer it has.
        if (cursorRule && takesHandCursor(control) && form.labSponsor->hasMouseIcon()) {
            if (auto *label = dynamic_cast<forms::Label *>(controls[i]))
                label->setMouseIcon(form.labSponsor->mouseIcon());
        }
        if (placed[control] == current[control])
            continue;
        // A failing step is skipped and the pass goes on with the next one.
        try {
            controls[i]->setTwipsRect(placed[control]);
        } catch (const Error &) {
        }
    }
}

void Form1::Form_Resize()
{
    layout::apply(*this, true);
}
