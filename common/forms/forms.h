#pragma once

#include "clock.h"
#include "twips.h"

#include <QColor>
#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

// The few control kinds the windows are made of. Mouse signals carry the
// button mask (1 left, 2 right, 4 middle) and the pointer in twips relative to
// the control; every control tracks the mouse, so moves arrive without a button.
// A control that is given keyboard focus (a focus policy) answers Enter and
// Space as a left click.
// A control's twips properties are widthTwips(), moveTwips() and so on; its
// pixels are size(), geometry() and pos(). A bare width(), height() or move()
// on a control does not compile, so neither is taken for the other.
namespace forms
{

// Windowless, transparent, one line of text in the window's font.
class Label : public QLabel, public Twips
{
    Q_OBJECT
public:
    explicit Label(QWidget *parent);

    // The caption is kept as given; a line break in it is shown as a space.
    void setCaption(const QString &caption);
    QString caption() const { return m_caption; }
    // Sized to its text: the width (and height) follow each caption and the font.
    void setAutoSize(bool on);
    bool autoSize() const { return m_autoSize; }
    void setForeColor(const QColor &color);
    QColor foreColor() const { return m_foreColor; }
    void setToolTipText(const QString &text) { setToolTip(text); }
    QString toolTipText() const { return toolTip(); }
    // The free string every control carries (the tickers keep the link here).
    void setTag(const QString &tag) { m_tag = tag; }
    QString tag() const { return m_tag; }
    // A custom pointer; until one is set the label shows the arrow.
    void setMouseIcon(const QCursor &cursor);
    QCursor mouseIcon() const { return m_mouseIcon; }
    bool hasMouseIcon() const { return m_hasMouseIcon; }

signals:
    void clicked();
    void dblClick();
    void mouseDown(int button, int x, int y);
    void mouseMove(int button, int x, int y);
    // The button is the one released (1, 2 or 4).
    void mouseUp(int button, int x, int y);

protected:
    void changeEvent(QEvent *event) override;

private:
    void fitToText();
    bool m_autoSize = false;
    bool m_hasMouseIcon = false;
    QString m_caption;
    QColor m_foreColor = Qt::black;
    QCursor m_mouseIcon;
    QString m_tag;
};

// Windowless picture drawn at its natural size at the top left, never
// stretched; outside the picture the control is transparent.
class Image : public QWidget, public Twips
{
    Q_OBJECT
public:
    explicit Image(QWidget *parent);

    // The control takes the picture's size, as an unstretched image does.
    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return m_picture; }
    void setToolTipText(const QString &text) { setToolTip(text); }
    QString toolTipText() const { return toolTip(); }

signals:
    void clicked();
    void dblClick();
    void mouseDown(int button, int x, int y);
    void mouseMove(int button, int x, int y);
    // The button is the one released (1, 2 or 4).
    void mouseUp(int button, int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};

// A child window: background colour, optional one-pixel border, optional
// picture at the top left, and children of its own.
class PictureBox : public QFrame, public Twips
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent);

    void setBackColor(const QColor &color);
    void setBorder(bool on);
    // The area inside the border: children placed in it lie inside the
    // border and are cut off at it, as a child window is.
    QWidget *inside();
    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return m_picture; }
    // Sized to its picture.
    void setAutoSize(bool on);

signals:
    void clicked();
    void dblClick();
    void mouseDown(int button, int x, int y);
    void mouseMove(int button, int x, int y);
    // The button is the one released (1, 2 or 4).
    void mouseUp(int button, int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_inside = nullptr;
    QPixmap m_picture;
    bool m_autoSize = false;
};

// Ticks on the user-interface thread while enabled with an interval above 0;
// interval 0 stops it. Its time is the clock's.
class Timer : public QObject
{
    Q_OBJECT
public:
    Timer(QObject *parent, Clock &clock, int intervalMs = 0, bool enabled = true);

    void setInterval(int ms);
    int interval() const { return m_interval; }
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }

signals:
    void timer();

private:
    void update();
    std::unique_ptr<Clock::Timer> m_timer;
    int m_interval;
    bool m_enabled;
};

// A one-pixel dotted outline round whichever control of the window (a label,
// an image or a picture box) has the keyboard focus, two pixels clear of it
// so that it never crosses a caption. The mouse passes through it.
class FocusFrame : public QWidget
{
    Q_OBJECT
public:
    explicit FocusFrame(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void follow(QWidget *focused);
    void place();
    void wipe();
    QPointer<QWidget> m_target;
};

// Applies a window's stacking order, given its controls front to back:
// child windows (picture boxes, browser views) lie above every label and
// image; within each group an earlier control lies over a later one.
void applyStacking(const QList<QWidget *> &frontToBack);

} // namespace forms
