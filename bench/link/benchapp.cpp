#include "benchapp.h"

#include <QLoggingCategory>

namespace {

int& headless(int& argc)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return argc;
}

}  // namespace

BenchApp::BenchApp(int& argc, char** argv)
    : QApplication(headless(argc), argv)
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    QDir::setCurrent(m_dir.path());
}
