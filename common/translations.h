#pragma once

#include <QStringList>

// The product speaks Chinese everywhere, Qt's own texts included (dialog
// buttons, the menus of input fields), whatever the system's locale says.
namespace translations
{

// Makes Chinese (China) the default locale and loads Qt's Chinese catalogues
// by their base names ("qtbase", "qtwebengine"): from Qt's translations
// folder, else from a "translations" folder beside the program. Call once
// the application object exists. Returns the catalogues found nowhere.
QStringList useChinese(const QStringList &catalogues);

// The web engine's switch for the language of its own pages (error pages,
// its menus): Chinese, as for the rest of the program.
inline constexpr char webEngineLanguage[] = "--lang=zh-CN";

} // namespace translations
