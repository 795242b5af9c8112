#pragma once

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

// The application a link benchmark runs in: headless unless a platform is
// named, without the pages' debug traces of every answer, and working in a
// temporary folder, where the pages keep their payload copies.
class BenchApp : public QApplication
{
public:
    BenchApp(int& argc, char** argv);
    QDir workDir() const { return QDir(m_dir.path()); }

private:
    QTemporaryDir m_dir;
};
