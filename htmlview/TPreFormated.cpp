#include "htmlview/TPreFormated.h"

namespace vantoro {

void TPreFormated::appendToken(const TokenObj& token, bool /*noBreak*/)
{
    if (token.isEmpty() || len() > kMaxLength)
        return;
    appendRaw(token.text(), token.positions().data());
}

} // namespace vantoro
