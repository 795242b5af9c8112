#include "intvalidator.h"

void IntValidator::fixup(QString& input) const
{
    int nPos = 0;
    if (validate(input, nPos) != Acceptable)
        input = QString::number(bottom());
}
