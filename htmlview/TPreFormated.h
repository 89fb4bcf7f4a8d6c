#pragma once

#include "htmlview/TSection.h"

namespace vantoro {

// One source line of pre-formatted text: appended without any space rule and never wrapped.
class TPreFormated : public TSection
{
public:
    // Text beyond this many characters in one line is dropped.
    static constexpr int kMaxLength = 20000;

    using TSection::TSection;
    SectionKind kind() const override { return SectionKind::Preformatted; }
    void appendToken(const TokenObj& token, bool noBreak) override;
};

} // namespace vantoro
