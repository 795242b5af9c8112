#include "language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

namespace {

constexpr char kLanguageKey[] = "language";
Language g_installed = Language::Chinese;

void installTranslator(QCoreApplication& app, const QString& strName, const QString& strDir)
{
    auto* translator = new QTranslator(&app);
    if (translator->load(strName, strDir))
        app.installTranslator(translator);
    else
        delete translator;
}

}  // namespace

QString languageCode(Language language)
{
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("zh");
}

bool parseLanguage(const QString& strCode, Language* language)
{
    for (Language candidate : { Language::Chinese, Language::English }) {
        if (strCode.trimmed().compare(languageCode(candidate), Qt::CaseInsensitive) == 0) {
            *language = candidate;
            return true;
        }
    }
    return false;
}

bool chooseLanguage(const QString& strCommandLine, const QString& strSettingsPath, Language* language,
                    QString* strError)
{
    if (!strCommandLine.isEmpty()) {
        if (!parseLanguage(strCommandLine, language)) {
            *strError = QStringLiteral("unknown language \"%1\": use zh or en").arg(strCommandLine);
            return false;
        }
        storeLanguage(strSettingsPath, *language);
        return true;
    }
    QSettings settings(strSettingsPath, QSettings::IniFormat);
    if (!parseLanguage(settings.value(kLanguageKey).toString(), language))
        *language = Language::Chinese;
    return true;
}

void storeLanguage(const QString& strSettingsPath, Language language)
{
    QSettings settings(strSettingsPath, QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    settings.setValue(kLanguageKey, languageCode(language));
}

void installTranslations(QCoreApplication& app, Language language)
{
    const QLocale locale(language == Language::English ? QLocale(QLocale::English, QLocale::UnitedStates)
                                                       : QLocale(QLocale::Chinese, QLocale::China));
    QLocale::setDefault(locale);
    g_installed = language;
    // Qt's own texts are English in the library itself.
    if (language == Language::Chinese)
        installTranslator(app, QStringLiteral("qtbase_zh_CN"), QLibraryInfo::location(QLibraryInfo::TranslationsPath));
    else
        installTranslator(app, QStringLiteral("telvane_en"), QStringLiteral(":/i18n"));
}

Language installedLanguage()
{
    return g_installed;
}

QStringList argumentsWithoutLanguage(const QStringList& arguments)
{
    QStringList kept;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& strArg = arguments[i];
        if (strArg == QLatin1String("--lang") || strArg == QLatin1String("-lang"))
            ++i;  // and its value
        else if (!strArg.startsWith(QLatin1String("--lang=")) && !strArg.startsWith(QLatin1String("-lang=")))
            kept << strArg;
    }
    return kept;
}
