#pragma once

#include <QString>

namespace vantoro {

// The destination of a link: an empty URL means "not a link".
struct TUrlTarget
{
    QString url;
    QString target;

    void clear()
    {
        url.clear();
        target.clear();
    }
    bool isLink() const { return !url.isEmpty(); }
};

} // namespace vantoro
