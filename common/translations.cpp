#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <algorithm>

namespace translations
{

QStringList useChinese(const QStringList &catalogues)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    const QStringList folders{QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                              QCoreApplication::applicationDirPath() +
                                  QStringLiteral("/translations")};
    QStringList missing;
    for (const QString &catalogue : catalogues) {
        auto *translator = new QTranslator(QCoreApplication::instance());
        const bool loaded =
            std::any_of(folders.cbegin(), folders.cend(), [&](const QString &folder) {
                return translator->load(chinese, catalogue, QStringLiteral("_"), folder);
            });
        if (loaded) {
            QCoreApplication::installTranslator(translator);
        } else {
            delete translator;
            missing << catalogue;
        }
    }
    return missing;
}

} // namespace translations
