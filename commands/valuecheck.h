#pragma once

#include "dtucmd.h"

#include <QString>

// Checks a value text before encodeValue() turns it into bytes. The codec
// itself accepts anything (text that does not parse becomes 0, missing
// elements are filled), which suits a table cell but not a script: here a
// value must hold exactly num elements that parse in the parameter's input
// kind and fit its element width, or be text that fits its field.

// True when strValue can be written to the parameter unchanged in meaning.
bool isValueAccepted(const QString& strValue, const DtuParam& param);

// What the parameter accepts, for an error message, e.g.
// "one whole number from 0 to 255" or "text of at most 16 bytes (UTF-8)".
QString acceptedValues(const DtuParam& param);
