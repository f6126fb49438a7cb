#pragma once

#include <QObject>

class Form1;
class QAction;
class QMenu;

// Holds the page's context menu; never shown itself. Form1 owns it and the
// menu, as their parent.
class p : public QObject
{
    Q_OBJECT
public:
    explicit p(Form1 *owner);

    // The menu that pops up over the page, and its items.
    QMenu *liu;
    QAction *ht;
    QAction *qj;
    QAction *sq;
    QAction *stop1;

    // Each acts on Form1's portal view; a step the view cannot take is
    // quietly skipped.
    void ht_Click();
    void qj_Click();
    void sq_Click();
    void stop1_Click();

private:
    Form1 *m_owner;
};
