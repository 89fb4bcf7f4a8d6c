#pragma once

#include <QString>

#include <vector>

namespace vantoro {

// An image map: MAP with its AREA tags.
struct TMapItem
{
    struct Area
    {
        QString shape;
        QString coords;
        QString href;
        QString target;
        QString alt;
        bool noHref = false;
    };
    QString name; // upper case
    std::vector<Area> areas;
};

} // namespace vantoro
