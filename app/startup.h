#pragma once

#include <QCommandLineOption>

class QApplication;
class QCommandLineParser;
class QCoreApplication;

// Version and names; every file location depends on them.
void setApplicationNames(QCoreApplication& app);

// Names, icon and built-in resources that every front end of the program
// sets up before it builds the main window.
void initApplication(QApplication& app);

struct ProgramOptions
{
    QCommandLineOption port;  // --port PATH, repeatable
    QCommandLineOption lang;  // --lang zh|en
};

// The program's command line.
ProgramOptions addProgramOptions(QCommandLineParser& parser);

// True when the command line only asks for help or the version, which are
// answered without a display.
bool asksForTextOnly(int argc, char* argv[]);
