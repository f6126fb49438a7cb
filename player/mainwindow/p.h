#pragma once

#include <QObject>

class Form1;
class QMenu;

// Holds the page's context menu; never shown itself.
class p : public QObject
{
    Q_OBJECT
public:
    explicit p(Form1 *owner);
    ~p() override;

private:
    Form1 *m_owner;
};
