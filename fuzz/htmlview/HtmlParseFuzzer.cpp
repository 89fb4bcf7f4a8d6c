// Any input through the tokenizer and tag handling, then through the dump (which walks every
// section, run and table cell). The first byte picks how the rest is read: as UTF-8, or as raw
// UTF-16 (which reaches lone surrogates and every control character).

#include "htmlview/HtmlDump.h"
#include "htmlview/HtmlParser.h"
#include "htmlview/TSectionList.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vantoro;
    if (size == 0)
        return 0;
    const uint8_t mode = data[0];
    ++data;
    --size;
    QString text;
    if (mode & 1) {
        text.resize(qsizetype(size / 2));
        std::memcpy(text.data(), data, (size / 2) * 2);
    } else {
        text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    }

    TSectionList doc;
    if (mode & 2) {
        ParseTextFile(doc, text);
    } else {
        HtmlParseOptions options;
        options.ownerIsTextView = (mode & 4) != 0;
        options.onInclude = [](const QString& command, const QStringList&) {
            return command.size() % 2 ? QStringLiteral("<b>in&amp;<!-- c -->cluded</b><p>")
                                      : QString();
        };
        options.onScript = [](const QString&, const QString&, const QString&) {};
        options.onMeta = [](const QString&, const QString&, const QString&) {};
        options.onSoundRequest = [](const QString&, int, bool) {};
        std::vector<AnchorName> anchors;
        ParseHtmlBuffer(doc, text, options, &anchors);
        for (const AnchorName& a : anchors) {
            if (!a.section)
                __builtin_trap();
        }
    }
    const QString dump = dumpDocument(doc);
    if (dump.isEmpty())
        __builtin_trap();
    return 0;
}
