#include "htmlview/TSection.h"

#include "htmlview/TSectionList.h"

#include <algorithm>

namespace vantoro {

namespace {

// Appends to a section's text. While a paragraph is built its text has its own buffer with
// room reserved (see the constructor), so append() copies in place without reallocating.
void appendChars(QString& text, QStringView chars)
{
    text.append(chars);
}

} // namespace

TSection::TSection(TSectionList* owner, Justify justification, const TUrlTarget* link,
                   const TMyFont& font, FontStyles styles, int level, int indentStep)
    : TSectionBase(owner), indent(level * indentStep), listLevel(level), justify(justification)
{
    auto run = std::make_unique<TFontObj>();
    run->section = this;
    run->font = font;
    run->font.style |= styles;
    if (link && link->isLink() && document) {
        run->link = document->keepLinkTarget(*link);
        document->links.push_back(run.get());
    }
    defaultFont = run->font;
    // Room for a typical paragraph, so that building one costs a few allocations only;
    // complete() gives back what a short section does not use.
    text.reserve(kInitialCapacity);
    sourceIndex.reserve(8);
    fonts.reserve(8);
    fonts.push_back(std::move(run));
}

void TSection::complete()
{
    if (text.capacity() - text.size() > 32)
        text.squeeze();
    if (sourceIndex.capacity() - sourceIndex.size() > 4)
        sourceIndex.shrink_to_fit();
}

void TSection::appendRaw(QStringView chars, const qint32* positions)
{
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const int index = len() + int(i);
        if (sourceIndex.empty() || positions[i] != m_lastPos + 1)
            sourceIndex.push_back({index, positions[i]});
        m_lastPos = positions[i];
    }
    appendChars(text, chars);
}

void TSection::appendRun(QStringView chars, qint32 firstPosition)
{
    if (chars.isEmpty())
        return;
    if (sourceIndex.empty() || firstPosition != m_lastPos + 1)
        sourceIndex.push_back({len(), firstPosition});
    m_lastPos = firstPosition + qint32(chars.size()) - 1;
    appendChars(text, chars);
}

void TSection::appendTokenFrom(const TokenObj& token, qsizetype skip)
{
    const QStringView chars = token.text();
    if (skip >= chars.size())
        return;
    // The position runs first, then all the characters in one copy.
    const int base = len() - int(skip);
    const std::vector<IndexObj>& runs = token.runs();
    for (size_t r = 0; r < runs.size(); ++r) {
        const qsizetype end = r + 1 < runs.size() ? runs[r + 1].index : chars.size();
        qsizetype begin = runs[r].index;
        qint32 pos = runs[r].pos;
        if (end <= skip || begin >= end)
            continue;
        if (begin < skip) {
            pos += qint32(skip - begin);
            begin = skip;
        }
        if (sourceIndex.empty() || pos != m_lastPos + 1)
            sourceIndex.push_back({base + int(begin), pos});
        m_lastPos = pos + qint32(end - begin) - 1;
    }
    appendChars(text, chars.mid(skip));
}

void TSection::appendChar(char16_t c, int position, bool noBreak)
{
    TokenObj token;
    token.addChar(c, position);
    appendToken(token, noBreak);
}

void TSection::appendToken(const TokenObj& token, bool noBreak)
{
    if (token.isEmpty())
        return;
    QStringView chars(token.text());
    if (noBreak) {
        const qint32* positions = token.positions().data();
        const char16_t last = text.isEmpty() ? 0 : text.back().unicode();
        if (chars.front() == kNoBreakSpaceMark &&
            (text.isEmpty() || last == kNoBreakSpaceMark || last == u' ' || last == kNbsp)) {
            chars = chars.mid(1);
            ++positions;
        }
        // A whitespace run inside NOBR arrives as one kNoBreakSpaceMark; next to a real space
        // or to another mark it adds nothing, elsewhere it is a non-breaking space.
        QString kept;
        std::vector<qint32> keptPositions;
        kept.reserve(chars.size());
        keptPositions.reserve(size_t(chars.size()));
        for (qsizetype i = 0; i < chars.size(); ++i) {
            char16_t c = chars[i].unicode();
            if (c == kNoBreakSpaceMark) {
                const char16_t before = i > 0 ? chars[i - 1].unicode() : 0;
                const char16_t after = i + 1 < chars.size() ? chars[i + 1].unicode() : 0;
                if (before == u' ' || before == kNoBreakSpaceMark || after == u' ')
                    continue;
                c = kNbsp;
            }
            kept.append(QChar(c));
            keptPositions.push_back(positions[i]);
        }
        if (!kept.isEmpty() && allFloatingImages() &&
            (kept.front() == u' ' || kept.front() == kNbsp)) {
            appendRaw(QStringView(kept).mid(1), keptPositions.data() + 1);
            return;
        }
        appendRaw(kept, keptPositions.data());
        return;
    }
    qsizetype skip = 0;
    if (chars.front() == u' ' && (text.isEmpty() || text.back() == u' '))
        ++skip;
    if (skip < chars.size() && allFloatingImages() && (chars[skip] == u' ' || chars[skip] == kNbsp))
        ++skip;
    appendTokenFrom(token, skip);
}

void TSection::switchFont(const TMyFont& font, FontStyles styles, int script)
{
    // The wanted font is `font` with the styles OR-ed in and, for sub- and superscript, three
    // quarters of its nominal size; it is compared field by field so that the common case (no
    // change) copies nothing.
    const FontStyles style = font.style | styles;
    int nominal = font.nominalSize;
    int size = font.size;
    if (script != 0) {
        nominal = mulDiv(font.nominalSize, 3, 4);
        size = mulDiv(document ? document->defaultFontSize : 12, nominal, 12);
    }
    TFontObj* last = fonts.back().get();
    const TMyFont& current = last->font;
    // A switch to the font in force adds nothing (so a long line of repeated style tags does
    // not leave a run per tag).
    if (last->scriptState == script && current.style == style && current.size == size &&
        current.nominalSize == nominal && current.color == font.color &&
        current.charSet == font.charSet && current.fixedPitch == font.fixedPitch &&
        current.name == font.name)
        return;
    TFontObj* run = last;
    if (last->pos != len()) {
        auto fresh = std::make_unique<TFontObj>();
        fresh->section = this;
        fresh->pos = len();
        fresh->link = last->link;
        run = fresh.get();
        fonts.push_back(std::move(fresh));
        // A run that carries a link on is a link run of its own (hover and visited state).
        if (run->isLink() && document)
            document->links.push_back(run);
    }
    run->font = font;
    run->font.style = style;
    run->font.nominalSize = nominal;
    run->font.size = size;
    run->scriptState = script;
}

void TSection::setLinkRun(bool start, const TMyFont& font, FontStyles styles, int script,
                          const TUrlTarget& link)
{
    switchFont(font, styles, script);
    TFontObj* run = fonts.back().get();
    const TUrlTarget none;
    const TUrlTarget& wanted = start ? link : none;
    const TUrlTarget& current = run->link ? *run->link : none;
    if (current.url == wanted.url && current.target == wanted.target)
        return;
    if (run->pos != len()) {
        // The font did not change but the link does: text written so far keeps its target.
        auto fresh = std::make_unique<TFontObj>(*run);
        fresh->pos = len();
        run = fresh.get();
        fonts.push_back(std::move(fresh));
    } else if (run->isLink() && document && !document->links.empty() &&
               document->links.back() == run) {
        document->links.pop_back();
    }
    run->link = wanted.isLink() && document ? document->keepLinkTarget(wanted) : nullptr;
    if (start && document)
        document->links.push_back(run);
}

void TSection::insertImage(const TAttributeList& attributes, int position, bool noBreak)
{
    auto image =
        std::make_unique<TImageObj>(TImageObj::fromAttributes(attributes, len(), position));
    const bool floating = image->floating != TImageObj::Float::None;
    const bool allFloatingBefore = m_floatingImageChars == len();
    images.push_back(std::move(image));
    const qint32 pos = position;
    const char16_t placeholder = noBreak ? kNoBreakImageChar : kImageChar;
    appendRaw(QStringView(&placeholder, 1), &pos);
    if (floating && allFloatingBefore)
        m_floatingImageChars = len();
}

TFormControlObj* TSection::insertControl(std::unique_ptr<TFormControlObj> control, int position,
                                         bool noBreak)
{
    control->pos = len();
    TFormControlObj* raw = control.get();
    formControls.push_back(std::move(control));
    const qint32 pos = position;
    const char16_t placeholder = noBreak ? kNoBreakFormControlChar : kFormControlChar;
    appendRaw(QStringView(&placeholder, 1), &pos);
    return raw;
}

Justify TSection::addLineBreakSpace(int position)
{
    if (len() == 0) {
        const qint32 pos = position;
        const char16_t space = u' ';
        appendRaw(QStringView(&space, 1), &pos);
    }
    return justify;
}

int TSection::fontRunAt(int index) const
{
    auto it =
        std::upper_bound(fonts.begin(), fonts.end(), index,
                         [](int i, const std::unique_ptr<TFontObj>& f) { return i < f->pos; });
    return it == fonts.begin() ? 0 : int(it - fonts.begin()) - 1;
}

int TSection::runLengthFrom(int index) const
{
    const int run = fontRunAt(index);
    const int end = run + 1 < int(fonts.size()) ? fonts[size_t(run) + 1]->pos : len();
    return end - index;
}

int TSection::sourcePosOf(int index) const
{
    if (index < 0 || index >= len() || sourceIndex.empty())
        return -1;
    auto it = std::upper_bound(sourceIndex.begin(), sourceIndex.end(), index,
                               [](int i, const IndexObj& r) { return i < r.index; });
    const IndexObj& run = *(it - 1);
    return run.pos + (index - run.index);
}

bool TSection::isDisposable() const
{
    return kind() == SectionKind::Text && len() == 0 && clearMode == 0 && !anchored &&
           fonts.size() == 1 && !fonts.front()->isLink();
}

} // namespace vantoro
