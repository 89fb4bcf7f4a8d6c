#pragma once

#include "htmlview/TAttributeList.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace vantoro {

struct ThtmlForm;

// A form control in a text section; it stands in the text as kFormControlChar
// (kNoBreakFormControlChar in NOBR). The description from the markup only: the widgets that
// would show it belong to the view.
struct TFormControlObj
{
    enum class Kind : quint8 { Input, Select, TextArea };
    struct Option
    {
        QString text;
        QString value;
        bool selected = false;
    };

    Kind kind = Kind::Input;
    int pos = 0;
    ThtmlForm* form = nullptr;
    QString type; // INPUT TYPE, upper case ("TEXT" when absent)
    QString name;
    QString value;
    QString onClick;
    int size = 0;
    int maxLength = 0;
    int rows = 0;
    int cols = 0;
    bool checked = false;
    bool multiple = false;
    std::vector<Option> options; // SELECT
    QStringList lines;           // TEXTAREA

    static TFormControlObj fromAttributes(Kind kind, const TAttributeList& attributes);
};

} // namespace vantoro
