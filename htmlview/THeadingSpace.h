#pragma once

#include "htmlview/TSectionBase.h"

namespace vantoro {

// The vertical gap around a heading; its height depends on the heading level.
class THeadingSpace : public TSectionBase
{
public:
    THeadingSpace(TSectionList* owner, int headingLevel);
    SectionKind kind() const override { return SectionKind::HeadingSpace; }
    void updateMetrics() override;

    int level;
};

} // namespace vantoro
