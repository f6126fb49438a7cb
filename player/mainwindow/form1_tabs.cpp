// Form1's tab row. The pictures the tabs show are the row's only state: each
// handler copies the normal or lit picture from its store onto the tab.
#include "form1.h"
#include "forms/accessible.h"

#include <algorithm>

namespace
{

// The tab shows the store's picture from now on.
void copyPicture(forms::Image *tab, const forms::Image *store)
{
    tab->setPicture(store->picture());
}

// Each tab's path under the portal, in the order of Form1::tabs().
const QString tabPaths[] = {QString(),
                            QStringLiteral("video/"),
                            QStringLiteral("demand/"),
                            QStringLiteral("live/"),
                            QStringLiteral("app/"),
                            QStringLiteral("guestbook/")};

} // namespace

QString Form1::tabPath(int tab)
{
    return tabPaths[tab];
}

QList<forms::Label *> Form1::tabs() const
{
    return {Label5, Label2, Label3, ds, yy3, Label7};
}

void Form1::connectTabs()
{
    connect(Label5, &forms::Label::clicked, this, &Form1::Label5_Click);
    connect(Label2, &forms::Label::clicked, this, &Form1::Label2_Click);
    connect(Label3, &forms::Label::clicked, this, &Form1::Label3_Click);
    connect(ds, &forms::Label::clicked, this, &Form1::ds_Click);
    connect(yy3, &forms::Label::clicked, this, &Form1::yy3_Click);
    connect(Label7, &forms::Label::clicked, this, &Form1::Label7_Click);
    connect(Im, &forms::Image::mouseMove, this, &Form1::Im_MouseMove);
    connect(yy, &forms::Image::mouseMove, this, &Form1::yy_MouseMove);
    connect(Label2, &forms::Label::mouseMove, this, &Form1::Label2_MouseMove);
    connect(Label3, &forms::Label::mouseMove, this, &Form1::Label3_MouseMove);
    connect(Im, &forms::Image::mouseDown, this, &Form1::Im_MouseDown);
    connect(yy, &forms::Image::clicked, this, &Form1::yy_Click);
}

// Offline runs show the local page whichever tab was chosen; the choice is
// read at every click.
void Form1::navigateTab(const QString &path)
{
    // The tab chosen last is the current one for screen readers, whichever
    // pictures the pointer has lit since.
    const int chosen =
        int(std::find(std::begin(tabPaths), std::end(tabPaths), path) - std::begin(tabPaths));
    if (chosen != m_currentTab) {
        QAccessible::State selection;
        selection.selected = true;
        forms::accessible::stateChanged(tabs().at(m_currentTab), selection);
        m_currentTab = chosen;
        forms::accessible::stateChanged(tabs().at(m_currentTab), selection);
    }
    if (m_run.intOnline == 1)
        WebBrowser1->navigate(m_run.settings.portalRoot + path);
    else
        showOfflinePage();
}

void Form1::Label5_Click()
{
    navigateTab(QString());
}

void Form1::Label2_Click()
{
    copyPicture(yy, yy1);
    copyPicture(Im, Im1);
    copyPicture(Image2, Image7);
    navigateTab(QStringLiteral("video/"));
}

void Form1::Label3_Click()
{
    copyPicture(Image2, Image5);
    copyPicture(yy, yy1);
    copyPicture(Im, Im1);
    navigateTab(QStringLiteral("demand/"));
}

void Form1::ds_Click()
{
    copyPicture(Im, Im2);
    navigateTab(QStringLiteral("live/"));
    copyPicture(yy, yy1);
}

void Form1::yy3_Click()
{
    navigateTab(QStringLiteral("app/"));
    copyPicture(yy, yy2);
    copyPicture(Im, Im1);
}

void Form1::Label7_Click()
{
    navigateTab(QStringLiteral("guestbook/"));
}

void Form1::Im_MouseMove(int, int, int)
{
    copyPicture(Im, Im2);
    copyPicture(Image2, iii);
    copyPicture(yy, yy1);
}

void Form1::yy_MouseMove(int, int, int)
{
    copyPicture(yy, yy2);
    copyPicture(Im, Im1);
}

void Form1::Label2_MouseMove(int, int, int)
{
    copyPicture(yy, yy1);
    copyPicture(Im, Im1);
    copyPicture(Image2, Image7);
}

void Form1::Label3_MouseMove(int, int, int)
{
    copyPicture(Image2, Image5);
    copyPicture(yy, yy1);
    copyPicture(Im, Im1);
}

void Form1::Im_MouseDown(int, int, int)
{
    copyPicture(Im, Im2);
}

void Form1::yy_Click()
{
    copyPicture(yy, yy2);
    copyPicture(Im, Im1);
}
