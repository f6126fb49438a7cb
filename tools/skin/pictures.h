// Every picture of the skin, one function each.
#pragma once

#include <QByteArray>
#include <QImage>

namespace skin
{

// Where the hover buttons lie over the caption strip, in pixels from its
// top left corner; the program shows the lit pictures exactly there.
inline constexpr int buttonTop = 7;
inline constexpr int pinLeft = 23, minLeft = 51, maxLeft = 76, closeLeft = 101;
inline constexpr int buttonSize = 22, closeSize = 24;

// Caption strip and its hover pictures.
QImage captionStrip();
QImage pinPicture(bool upright, bool framed);
QImage minLit();
QImage maxLit();
QImage closeLit();
QImage orchid();

// Tab row.
enum class TabIcon { House, Television, Box };
QImage singleTab(TabIcon icon, bool lit);
enum class LitHalf { None, Left, Right };
QImage doubleTab(LitHalf lit);
QImage playIcon();
QImage filmIcon();

// Bars, borders, logo and small icons.
QImage bottomBar();
QImage border();
QImage logo();
QImage guestbookIcon();
QImage sponsorIcon();
QImage newsIcon();
QImage promotionClose();
QImage productIcon(int size);
QByteArray handCursor();

// The updater.
QImage updateBackground();
QImage updateIcon();

} // namespace skin
