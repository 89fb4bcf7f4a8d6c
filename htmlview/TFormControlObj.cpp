#include "htmlview/TFormControlObj.h"

#include <algorithm>

namespace vantoro {

TFormControlObj TFormControlObj::fromAttributes(Kind kind, const TAttributeList& attributes)
{
    TFormControlObj control;
    control.kind = kind;
    if (kind == Kind::Input)
        control.type = QStringLiteral("TEXT");
    for (const TAttribute& a : attributes.items()) {
        switch (a.which) {
        case Attr::Type:
            control.type = a.name.trimmed().toUpper();
            break;
        case Attr::Name:
            control.name = a.name;
            break;
        case Attr::Value:
            control.value = a.name;
            break;
        case Attr::OnClick:
            control.onClick = a.name;
            break;
        case Attr::Size:
            control.size = std::max(0, a.value);
            break;
        case Attr::MaxLength:
            control.maxLength = std::max(0, a.value);
            break;
        case Attr::Rows:
            control.rows = std::max(0, a.value);
            break;
        case Attr::Cols:
            control.cols = std::max(0, a.value);
            break;
        case Attr::Checked:
            control.checked = true;
            break;
        case Attr::Multiple:
            control.multiple = true;
            break;
        default:
            break;
        }
    }
    return control;
}

} // namespace vantoro
