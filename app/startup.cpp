#include "startup.h"

#include <QApplication>
#include <QIcon>

void initApplication(QApplication& app)
{
    Q_INIT_RESOURCE(resources);
    app.setApplicationName("Telvane");
    app.setApplicationVersion(QStringLiteral(TELVANE_VERSION));
    app.setOrganizationName("Telvane");
    app.setWindowIcon(QIcon(":/telvane.png"));
}
