#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>

namespace {

bool install(QCoreApplication &app, const QLocale &locale, const QString &name,
             const QString &folder)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(locale, name, QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace

bool InstallTranslations(QCoreApplication &app, const QString &translationsFolder)
{
    QLocale language(QLocale::Chinese, QLocale::China);
    const QLocale user;
    if (user.language() != QLocale::Chinese &&
        install(app, user, QStringLiteral("sumsprout"), translationsFolder))
        language = user;
    return install(app, language, QStringLiteral("qtbase"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}
