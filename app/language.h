#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

// The language of the user interface. Chinese is the program's own; English
// comes from the translation built into the program.
enum class Language { Chinese, English };

// "zh" and "en", as on the command line and in the settings file.
QString languageCode(Language language);
bool parseLanguage(const QString& strCode, Language* language);

// The language to start in: the command line's if given, else the one kept
// in the settings file, else Chinese. A language given on the command line is
// kept for the next start. False (with the reason) for an unknown code on the
// command line; an unknown stored code is ignored.
bool chooseLanguage(const QString& strCommandLine, const QString& strSettingsPath, Language* language,
                    QString* strError);
void storeLanguage(const QString& strSettingsPath, Language language);

// Installs the program's translation and Qt's own (dialog buttons, file
// dialogs) where the system has them, and makes the language the default
// locale's. Call before any widget is built.
void installTranslations(QCoreApplication& app, Language language);
// The language installed last; Chinese before any.
Language installedLanguage();

// The program's arguments for a restart in the stored language: without
// --lang, which would override it.
QStringList argumentsWithoutLanguage(const QStringList& arguments);
