// Draws the skin of player and update into their skin folders. Pictures that
// Qt cannot write as wanted (GIF, 8-bit BMP, multi-image ICO, JPEG without
// chroma subsampling) are left as PNG in the work folder for ./generate.
#include "paint.h"
#include "pictures.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageWriter>
#include <cstdio>
#include <cstdlib>

namespace
{

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "skingen: %s\n", qPrintable(why));
    std::exit(1);
}

void save(const QImage &img, const QString &path)
{
    QImageWriter writer(path);
    const bool opaque = !path.endsWith(QLatin1String(".png"));
    if (!writer.write(opaque ? img.convertToFormat(QImage::Format_RGB32) : img))
        fail(path + QLatin1String(": ") + writer.errorString());
}

void saveBytes(const QByteArray &bytes, const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        fail(path + QLatin1String(": ") + f.errorString());
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3)
        fail(QStringLiteral("usage: skingen PLAYER-SKIN WORK"));
    for (const char *family : {"Z003", "WenQuanYi Zen Hei", "WenQuanYi Zen Hei Sharp"})
        if (!QFontDatabase::hasFamily(QString::fromLatin1(family)))
            fail(QStringLiteral("font %1 is not installed").arg(QLatin1String(family)));
    const QDir player(QString::fromLocal8Bit(argv[1]));
    const QDir work(QString::fromLocal8Bit(argv[2]));
    using namespace skin;
    // Every picture twice: as designed, and at twice the pixels for high-DPI
    // screens, where Qt shows "name@2x.ext" in place of "name.ext".
    for (const int scale : {1, 2}) {
        setScale(scale);
        const QString suffix = scale == 1 ? QString() : QStringLiteral("@2x");
        auto named = [&](const QDir &dir, const char *name, const char *ext) {
            return dir.filePath(QLatin1String(name) + suffix + QLatin1Char('.') +
                                QLatin1String(ext));
        };
        auto pl = [&](const char *name, const char *ext) { return named(player, name, ext); };
        auto wk = [&](const char *name) { return named(work, name, "png"); };

        save(captionStrip(), pl("caption_strip", "bmp"));
        save(pinPicture(false, true), pl("pin_flat_framed", "bmp"));
        save(pinPicture(true, false), pl("pin_upright", "bmp"));
        save(pinPicture(true, true), pl("pin_upright_framed", "bmp"));
        save(minLit(), wk("min_lit"));
        save(maxLit(), wk("max_lit"));
        save(closeLit(), wk("close_lit"));
        save(orchid(), wk("orchid"));

        save(singleTab(TabIcon::House, false), wk("home_tab"));
        save(doubleTab(LitHalf::None), wk("tab_double_none"));
        save(doubleTab(LitHalf::Left), pl("tab_double_left", "bmp"));
        save(doubleTab(LitHalf::Right), pl("tab_double_right", "bmp"));
        save(singleTab(TabIcon::Television, false), wk("tab_live"));
        save(singleTab(TabIcon::Television, true), wk("tab_live_lit"));
        save(singleTab(TabIcon::Box, false), wk("tab_app"));
        save(singleTab(TabIcon::Box, true), wk("tab_app_lit"));
        save(playIcon(), pl("play", "bmp"));
        save(filmIcon(), pl("film", "bmp"));

        save(bottomBar(), wk("bottom_bar"));
        save(border(), wk("border"));
        save(logo(), wk("logo"));
        save(guestbookIcon(), pl("guestbook", "bmp"));
        save(sponsorIcon(), wk("sponsor"));
        save(newsIcon(), wk("news"));
        save(promotionClose(), wk("frminf_close"));
        saveBytes(handCursor(), pl("hand", "cur"));
        save(updateBackground(), wk("update_background"));
    }
    // The icons come in sizes of their own already.
    setScale(1);
    for (int size : {128, 64, 48, 32, 16})
        save(productIcon(size), player.filePath(QStringLiteral("veltaro-%1.png").arg(size)));
    save(updateIcon(), work.filePath(QStringLiteral("update.png")));
    return 0;
}
