#include "htmlview/HtmlMeasurer.h"

#include <vector>

namespace vantoro {

int HtmlMeasurer::textWidth(const TMyFont& font, QStringView text)
{
    if (text.isEmpty())
        return 0;
    int local[64];
    std::vector<int> heap;
    int* out = local;
    if (text.size() > 64) {
        heap.resize(size_t(text.size()));
        out = heap.data();
    }
    advances(font, text, out);
    qint64 sum = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        sum += out[i];
    return toPixels(sum);
}

} // namespace vantoro
