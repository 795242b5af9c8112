#pragma once

#include <QString>

class QApplication;

// The built-in style sheet is Qt style-sheet text extended with a block of
// colour variables at its top:  $name = value;
// Comments are removed first, then the block is collected and every use of
// a name is replaced by its value.
QString preprocessStyleSheet(QString text);

// Reads the style sheet at path (UTF-8, up to a zero byte), preprocesses it
// and applies it to app. Returns 0, or -1 when the file cannot be opened.
int loadStyleSheet(QApplication& app, const QString& path);
