#include "stylesheet.h"
#include "applog.h"

#include <QApplication>
#include <QFile>
#include <QStringList>

namespace {

void removeComments(QString& text)
{
    for (int e = text.indexOf("*/"); e >= 0; e = text.indexOf("*/")) {
        const int s = text.indexOf("/*");
        if (s < 0 || s > e)
            text.remove(e, 2);  // a stray closer has nothing to close: drop it alone
        else
            text.remove(s, e + 2 - s);
    }
}

}  // namespace

QString preprocessStyleSheet(QString text)
{
    removeComments(text);

    // Definitions only work as a block at the top: each one takes everything
    // before it along, and the first "$" that is no definition ends the block.
    QStringList names;
    QHash<QString, QString> values;
    while (text.contains('$')) {
        const int d = text.indexOf('$');
        const int q = text.indexOf('=');
        const int c = text.indexOf(';');
        if (q < 0 || q > c)
            break;
        const QString name = text.mid(d, q - d - 1);
        if (!name.isEmpty()) {
            values.insert(name, text.mid(q + 1, c - q - 1));
            if (!names.contains(name))
                names.append(name);
        }
        text.remove(0, c + 1);
    }

    // One left-to-right pass per name: a value that contains its own name
    // cannot make the substitution run forever.
    for (const QString& name : qAsConst(names))
        text.replace(name, values.value(name));
    return text;
}

int loadStyleSheet(QApplication& app, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcApp, "qss Open failed");
        return -1;
    }
    QByteArray bytes = file.readAll();
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    app.setStyleSheet(preprocessStyleSheet(QString::fromUtf8(bytes)));
    return 0;
}
