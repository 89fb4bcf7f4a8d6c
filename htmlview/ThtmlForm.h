#pragma once

#include <QString>

#include <vector>

namespace vantoro {

struct TFormControlObj;

// A FORM: where its controls send their values.
struct ThtmlForm
{
    QString action;
    QString method;
    QString target;
    QString encType;
    std::vector<TFormControlObj*> controls; // owned by their sections
};

} // namespace vantoro
