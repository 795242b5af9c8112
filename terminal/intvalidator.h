#pragma once

#include <QIntValidator>

// A QIntValidator whose fix-up replaces an out-of-range input by the lower
// bound, so a too-small value becomes the minimum when editing finishes.
class IntValidator : public QIntValidator
{
    Q_OBJECT

public:
    using QIntValidator::QIntValidator;

    void fixup(QString& input) const override;
};
