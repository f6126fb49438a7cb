#pragma once

#include "browser.h"
#include "forms/forms.h"
#include "../startup/run.h"

#include <QWidget>

// The promotion window: an advertisement page that rises from below the
// bottom right corner of the screen, kept above its owner, the main window,
// with no taskbar button of its own. Constructing it runs its load.
class FrmInf : public QWidget
{
    Q_OBJECT
public:
    FrmInf(QWidget *owner, Run &run);

    void Form_Load();
    void Timer1_Timer();
    void img_Click();

    // Screen position and size in twips.
    int leftTwips() const { return m_leftTwips; }
    int topTwips() const { return m_topTwips; }
    int widthTwips() const { return forms::pixelsToTwips(width()); }
    int heightTwips() const { return forms::pixelsToTwips(height()); }
    void moveTwips(int left, int top);

    // Controls, front to back.
    forms::PictureBox *img;
    forms::PictureBox *Picture1;
    BrowserView *WebBrowser1; // in Picture1
    forms::Timer *Timer1;

    // How far the window has risen above the screen's bottom edge, in twips.
    qint32 intSlideOffset = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    Run &m_run;
    Seams &m_seams;
    // Kept in twips so that a position is never rounded twice.
    int m_leftTwips = 0;
    int m_topTwips = 0;
};
