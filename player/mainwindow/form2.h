#pragma once

#include <QWidget>

class BrowserView;

// A never-shown window that swallows one pop-up: its view receives the
// pop-up's content, and the window unloads itself once that has loaded.
class Form2 : public QWidget
{
    Q_OBJECT
public:
    explicit Form2(QWidget *parent = nullptr);

    BrowserView *WebBrowser1;

    void WebBrowser1_DocumentComplete();
};
