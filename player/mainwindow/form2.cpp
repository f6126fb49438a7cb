#include "form2.h"

#include "browser.h"

#include <QTimer>

Form2::Form2(QWidget *parent) : QWidget(parent, Qt::Window)
{
    // A hidden view loads its pages as long as it has a size.
    resize(forms::twipsToPixels(4680), forms::twipsToPixels(3195));
    WebBrowser1 = new BrowserView(this);
    WebBrowser1->setTwipsRect(QRect(120, 120, 4455, 2895));
    // Only the first completed document counts; frames that finish later
    // find the window already on its way out.
    connect(WebBrowser1, &BrowserView::documentComplete, this, &Form2::WebBrowser1_DocumentComplete,
            Qt::SingleShotConnection);
    QTimer::singleShot(loadLimitMs, this, &Form2::unload);
}

void Form2::WebBrowser1_DocumentComplete()
{
    unload();
}

void Form2::unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    deleteLater();
}
