#pragma once

#include "rxtx.h"

#include <QFile>
#include <QSettings>
#include <QVariantMap>

// Writes values into the group "RxTx" of a fresh INI file at path and
// hands that file to the page, as the main window does at start-up.
inline void loadRxTxSettings(RxTx* page, const QString& path, const QVariantMap& values)
{
    QFile::remove(path);
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("RxTx"));
        for (auto it = values.begin(); it != values.end(); ++it)
            settings.setValue(it.key(), it.value());
    }
    QSettings settings(path, QSettings::IniFormat);
    page->loadSettings(&settings);
}
