#pragma once

#include "htmlview/TSectionBase.h"

namespace vantoro {

// The vertical gap of a paragraph: 14 pixels at a default font size of 12, in proportion.
class TParagraphSpace : public TSectionBase
{
public:
    explicit TParagraphSpace(TSectionList* owner);
    SectionKind kind() const override { return SectionKind::ParagraphSpace; }
    void updateMetrics() override;
};

} // namespace vantoro
