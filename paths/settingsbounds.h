#pragma once

#include <QString>

class QSettings;

// Reading stored settings that an operator may have edited by hand: a value
// that is missing, not a whole decimal number, or outside [nMin, nMax] gives
// the default, so a bad file never reaches a widget or a loop bound.
qint64 boundedNumber(const QSettings& settings, const QString& strKey, qint64 nDefault, qint64 nMin,
                     qint64 nMax);
int boundedInt(const QSettings& settings, const QString& strKey, int nDefault, int nMin, int nMax);
// The same check for fields kept as text (line edits), in base 10 or 16;
// a passing text comes back as stored, without surrounding blanks.
QString boundedNumberText(const QSettings& settings, const QString& strKey, const QString& strDefault,
                          qint64 nMin, qint64 nMax, int nBase = 10);
