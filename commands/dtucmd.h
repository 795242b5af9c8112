#pragma once

#include <QList>
#include <QMap>
#include <QString>

// Records of the command definition file. Held by value everywhere.

// One parameter of a command: its storage type, how its value is written as
// text and how many elements it has.
struct DtuParam
{
    int typeCode = -1;   // log2 of the element width; -1: type not known
    int byteSize = -1;   // element width in bytes; -1: type not known
    int inputKind = -1;  // DtuInputKind; -1: kind not known
    int num = 0;         // element count; for strings the field's byte count
    QString comment;
    QString name;
};

// The read ("query") or write ("setting") section of a command.
struct DtuCmdSection
{
    int ctl2 = 0;        // control code of request and response
    QList<int> req;      // parameter indices sent in the request, in order
    QList<int> res;      // parameter indices carried by the response, in order

    // A section without any request or response index is treated as missing.
    bool isPresent() const { return !req.isEmpty() || !res.isEmpty(); }
};

struct DtuCmd
{
    QString name;
    QList<DtuParam> m_param;
    DtuCmdSection query;
    DtuCmdSection setting;
};

// What is needed to read one response: registered per control code.
struct DtuResponseEntry
{
    int page = -1;
    int kind = 0;        // 0 read section, 1 write section
    QList<int> res;
    QList<DtuParam> m_param;
};

// A command or parameter name or a comment of the command file as the
// operator reads it: translated when the translation knows the text, else as
// written. The loaded records themselves keep the file's text.
QString dtuCommandText(const QString& strText);

// How a value is written as text.
enum DtuInputKind {
    kKindBool = 0,       // "是/否": 0 or 1 (parsed in base 2)
    kKindUnsigned = 1,   // "十进制正整数"
    kKindSigned = 2,     // "十进制数"
    kKindHex = 3,        // "十六进制数"
    kKindDouble = 4,     // "浮点数"
    kKindString = 5,     // "字符串"
};

struct DtuTypeInfo
{
    int typeCode = -1;
    int byteSize = -1;
};

// Fixed lookup tables; names are matched exactly. Unknown names give -1.
DtuTypeInfo dtuTypeInfo(const QString& strType);
int dtuInputKind(const QString& strKind);
