#pragma once

#include <QByteArray>
#include <QStringList>

// CSV as spreadsheets read it: UTF-8, fields separated by commas, records
// ended by CR LF; a field holding a comma, quote or line break is quoted
// with its quotes doubled.

// Byte order mark that makes spreadsheet programs read the file as UTF-8.
QByteArray csvFileStart();

// One record with its line end.
QByteArray csvRecord(const QStringList& fields);
