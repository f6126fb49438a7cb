// Form1's layout pass: every resize places the controls for the new size.
#include "../tickers/frminf.h"
#include "error.h"
#include "form1.h"
#include "layout.h"

namespace
{

// Form1's placed controls, in the order of layout::Placed.
std::array<forms::Twips *, layout::kPlacedCount> placedControls(const Form1 &f)
{
    std::array<forms::Twips *, layout::kPlacedCount> placed{};
    for (const Form1::Control &control : f.controls()) {
        if (control.placed)
            placed[std::size_t(*control.placed)] = control.twips;
    }
    return placed;
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
    form.placeKeyStandIns();
}

void Form1::Form_Resize()
{
    layout::apply(*this, true);
}
