#include "frmupdate.h"

#include "conversions.h"
#include "error.h"
#include "installer.h"
#include "programfile.h"
#include "settings.h"
#include "skinpicture.h"
#include "updatelog.h"
#include "updatesequence.h"
#include "versioninfo.h"

#include <QCloseEvent>
#include <QIcon>
#include <QPainter>

namespace
{
constexpr int kFormWidth = 5250;
constexpr int kFormHeight = 3540;
const QColor kBoxColor(0xFF, 0xC0, 0xC0);
const QColor kFillColor(0xC0, 0x40, 0x00);
const QColor kLabelColor(0xFF, 0x00, 0x00);

// SimSun where it exists; WenQuanYi Zen Hei stands in for it elsewhere.
const QStringList kChineseFonts{QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Zen Hei")};

forms::Label *makeLabel(QWidget *parent, int left, int top, const QString &caption)
{
    auto *label = new forms::Label(parent);
    label->setForeColor(kLabelColor);
    label->setAutoSize(true);
    label->setCaption(caption);
    label->moveTwips(left, top);
    return label;
}

forms::PictureBox *makeBox(QWidget *parent, const QRect &twips, const QColor &color, bool border)
{
    auto *box = new forms::PictureBox(parent);
    box->setBackColor(color);
    box->setBorder(border);
    box->setTwipsRect(twips);
    return box;
}

} // namespace

// Outside any namespace: the resource initialiser is a global function.
static void loadSkin()
{
    // The pictures are compiled into this static library; nothing would
    // pull them in otherwise.
    Q_INIT_RESOURCE(skin);
}

frmUpdate::frmUpdate(const Seams &seams, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint),
      m_seams(seams)
{
    loadSkin();
    m_background = skinPicture(QStringLiteral(":/skin/update_background.jpg"));
    setWindowTitle(QStringLiteral("在线更新程序2.0"));
    setWindowIcon(QIcon(QStringLiteral(":/skin/update.ico")));
    QFont chinese = font();
    chinese.setFamilies(kChineseFonts);
    chinese.setPixelSize(12);
    setFont(chinese);

    Picture3 = makeBox(this, {4080, 3000, 975, 375}, kBoxColor, true);
    Label1 = makeLabel(Picture3, 120, 100, QStringLiteral("立即更新"));
    Picture2 = makeBox(this, {0, 2640, 5250, 255}, kBoxColor, true);
    Picture1 = makeBox(Picture2, {0, 0, 15, 255}, kFillColor, false);
    Label3 = makeLabel(this, 120, 2280, QString());
    QFont status = chinese;
    status.setPointSizeF(14.25);
    status.setBold(true);
    Label3->setFont(status);
    Label3->setCaption(QStringLiteral("正在更新，请稍后..."));
    Label3->hide();
    Label2 = makeLabel(this, 3120, 120, QStringLiteral("Veltaro在线升级程序"));
    lblNumber = makeLabel(this, 120, 3120, QStringLiteral("更新进度"));
    lblScale = makeLabel(this, 3240, 3120, QString());

    // Qt links only focusable widgets into the focus chain; the order is
    // kept when the controls go back to their own focus policies.
    const QList<QWidget *> tabOrder{Picture2, Picture1,  lblScale, Picture3,
                                    Label1,   lblNumber, Label2,   Label3};
    QList<Qt::FocusPolicy> policies;
    for (QWidget *control : tabOrder) {
        policies << control->focusPolicy();
        control->setFocusPolicy(Qt::TabFocus);
    }
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    for (qsizetype i = 0; i < tabOrder.size(); ++i)
        tabOrder[i]->setFocusPolicy(policies[i]);

    connect(Picture3, &forms::PictureBox::clicked, this, &frmUpdate::Picture3_Click);
    connect(Label1, &forms::Label::clicked, this, &frmUpdate::Label1_Click);

    setFixedSize(forms::twipsToPixels(kFormWidth), forms::twipsToPixels(kFormHeight));
    const QRect screen = m_seams.screenAreaTwips();
    move(forms::twipsToPixels(screen.x() + (screen.width() - kFormWidth) / 2.0),
         forms::twipsToPixels(screen.y() + (screen.height() - kFormHeight) / 2.0));
}

void frmUpdate::Label1_Click()
{
    Picture3_Click();
}

void frmUpdate::Picture3_Click()
{
    if (m_stage != Stage::Waiting)
        return;
    m_stage = Stage::Fetching;
    Picture3->setEnabled(false);

    UpdateView view;
    view.started = [this](int) { Label3->show(); };
    view.fileStarting = [this](int k, int n) { lblNumber->setCaption(progressCaption(k, n)); };
    view.fileArrived = [this](int k, int n) {
        Picture1->setWidthTwips(fillWidth(k, n, Picture2->widthTwips()));
        lblScale->setCaption(percentCaption(k, n));
        emit fileArrived(k);
    };
    // A cancel takes effect at the transfer's next step, or at the latest
    // before anything is moved.
    const auto stopIfCancelled = [this] {
        if (m_cancelled)
            throw Error(QStringLiteral("cancelled by the user"));
    };
    view.waiting = [repaint = repaintWhileWaiting(), stopIfCancelled] {
        repaint();
        stopIfCancelled();
    };
    view.committing = [this, stopIfCancelled] {
        stopIfCancelled();
        m_stage = Stage::Finishing;
    };
    try {
        runUpdate(m_seams.installFolder, stagingFolder(), m_seams.updateKey, inetOLUpdate.options,
                  view);
    } catch (const std::exception &error) {
        m_stage = Stage::Finishing;
        fail(QString::fromStdString(error.what()));
        return;
    }
    succeed();
}

void frmUpdate::succeed()
{
    Label3->hide();
    m_seams.message(this, QStringLiteral("更新完毕,谢谢您的支持!"), QStringLiteral("在线更新"),
                    QMessageBox::Information, QMessageBox::Ok);
    hide();
    m_seams.startProgram(programFile(m_seams.installFolder, QStringLiteral("player")));
    m_seams.endProcess();
}

void frmUpdate::fail(const QString &reason)
{
    logUpdateFailure(QStringLiteral("update"), reason);
    m_seams.message(this, QStringLiteral("更新出错，请到官网下载新版"), QStringLiteral("在线更新"),
                    QMessageBox::Critical, QMessageBox::Ok);
    m_seams.openLink(processSettings().homeSiteUrl);
    m_mayClose = true;
    close();
}

void frmUpdate::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.drawPixmap(0, 0, m_background);
}

void frmUpdate::closeEvent(QCloseEvent *event)
{
    // Before the click nothing has been touched, so a close simply ends the
    // updater. While files arrive it offers to cancel: the transfer stops
    // and the working files go. Once they are being moved into place (a
    // matter of milliseconds) the update ends the program itself.
    if (m_stage == Stage::Waiting || m_mayClose) {
        event->accept();
        return;
    }
    event->ignore();
    if (m_stage != Stage::Fetching || m_asking || m_cancelled)
        return;
    m_asking = true;
    const auto answer =
        m_seams.message(this, QStringLiteral("是否取消本次更新?"), QStringLiteral("在线更新"),
                        QMessageBox::Question, QMessageBox::Yes | QMessageBox::No);
    m_asking = false;
    m_cancelled = answer == QMessageBox::Yes && m_stage == Stage::Fetching;
}
