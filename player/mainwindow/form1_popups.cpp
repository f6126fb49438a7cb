// Form1's pop-up sinks and the page's context menu.
#include "form1.h"

void Form1::connectPopups() {}

BrowserView *Form1::WebBrowser1_NewWindow2()
{
    return nullptr;
}
void Form1::WebBrowser1_DocumentComplete(const QUrl &) {}
bool Form1::M_Dom_oncontextmenu(const QPoint &)
{
    return false;
}
