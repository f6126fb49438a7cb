#pragma once

#include "forms/forms.h"
#include "http.h"
#include "platform.h"

#include <QPixmap>
#include <QWidget>

// The updater's only window: it waits for a click on its update-now box,
// then runs the whole update and ends the program either way.
class frmUpdate : public QWidget
{
    Q_OBJECT
public:
    explicit frmUpdate(const Seams &seams, QWidget *parent = nullptr);

    void Picture3_Click();
    void Label1_Click();

    forms::PictureBox *Picture3;
    forms::Label *Label1;
    forms::PictureBox *Picture2;
    forms::PictureBox *Picture1;
    forms::Label *Label3;
    forms::Label *Label2;
    forms::Label *lblNumber;
    forms::Label *lblScale;
    // The window's download control; its options govern every fetch.
    DownloadControl inetOLUpdate;

signals:
    // File k has arrived and the progress display shows it.
    void fileArrived(int k);

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void succeed();
    void fail(const QString &reason);

    // Waiting for the click; fetching (a close offers to cancel); moving the
    // files into place, or telling how it ended (a close waits).
    enum class Stage { Waiting, Fetching, Finishing };

    Seams m_seams;
    QPixmap m_background;
    Stage m_stage = Stage::Waiting;
    bool m_asking = false;
    bool m_cancelled = false;
    bool m_mayClose = false;
};
