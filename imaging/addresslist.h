#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

// Target addresses of a batch push as an operator gives them: typed, pasted,
// or read from a text or CSV file, one address a line.
//  - Blank lines and lines starting with '#' are skipped; so is a first line
//    whose first field holds no digit (a CSV heading).
//  - The address is the first field of the line (fields end at ',', ';',
//    a tab or a space; surrounding quotes are dropped): a decimal number
//    from 1 to 4294967295. 0 is the broadcast address, which no display
//    answers to as its own.
//  - A repeated address is taken once.
// Every line that is not taken says why in problems (with its line number);
// the good lines are kept all the same.
struct AddressList
{
    QVector<quint32> addresses;
    QStringList problems;
};

// A batch is read whole into memory and shown as a table: these bound it.
constexpr int kMaxBatchAddresses = 10000;
constexpr qint64 kMaxAddressFileSize = 1024 * 1024;

AddressList parseAddressList(const QString& text);

// Reads a file of addresses (UTF-8); a file that cannot be read or exceeds
// kMaxAddressFileSize gives no addresses and one problem.
AddressList readAddressFile(const QString& path);
