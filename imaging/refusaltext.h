#pragma once

#include <QString>

// Why an image cannot be used, in the operator's words.

// The reader's reason for a file that does not load as an image, naming
// the file.
QString imageLoadRefusal(const QString& strPath);

// The reason buildPayload gave result nResult (non-zero); strFilePath is the
// file whose bytes were to be sent.
QString payloadRefusal(int nResult, const QString& strFilePath);
