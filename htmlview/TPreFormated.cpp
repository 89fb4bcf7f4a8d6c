#include "htmlview/TPreFormated.h"

namespace vantoro {

void TPreFormated::appendToken(const TokenObj& token, bool /*noBreak*/)
{
    if (token.isEmpty() || len() > kMaxLength)
        return;
    appendTokenFrom(token, 0);
}

} // namespace vantoro
