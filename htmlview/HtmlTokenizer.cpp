#include "htmlview/HtmlTokenizer.h"

#include <algorithm>
#include <climits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantoro {

namespace {

bool isLetter(int c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(int c)
{
    return c >= '0' && c <= '9';
}

int upper(int c)
{
    return (c >= 'a' && c <= 'z') ? c - 32 : c;
}

// Decimal conversion of a whole string with an optional sign; `fallback` when it is not one or
// does not fit 32 bits.
qint32 toIntDef(QStringView s, qint32 fallback)
{
    if (s.isEmpty())
        return fallback;
    qsizetype i = 0;
    bool negative = false;
    if (s[0] == u'+' || s[0] == u'-') {
        negative = s[0] == u'-';
        i = 1;
    }
    if (i >= s.size())
        return fallback;
    qint64 value = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < '0' || c > '9')
            return fallback;
        value = value * 10 + (c - '0');
        if (value > qint64(INT_MAX) + 1)
            return fallback;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return fallback;
    return qint32(value);
}

QStringView trimControls(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && s[end - 1].unicode() <= u' ')
        --end;
    return s.mid(begin, end - begin);
}

// Numeric references 128..159 name the characters the Windows Latin-1 code page puts there.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Sets `target` to `count` characters. resize() keeps the storage of a string that owns it
// and has room enough, so a value read again and again reuses one buffer.
void assignChars(QString& target, const char16_t* chars, qsizetype count)
{
    target.resize(count);
    if (count > 0)
        std::copy(chars, chars + count, reinterpret_cast<char16_t*>(target.data()));
}

void assignText(QString& target, const std::u16string& text)
{
    assignChars(target, text.data(), qsizetype(text.size()));
}

// The number a quoted value stands for: blanks around it and a trailing '%' do not count.
qint32 quotedNumber(const QString& value)
{
    QStringView number = trimControls(value);
    if (number.endsWith(u'%'))
        number.chop(1);
    return toIntDef(number, 0);
}

} // namespace

namespace {

// The working storage of the last tokenizer this thread finished, handed to the next one: a
// program parses many small documents (every guide panel, every view), and their buffers are
// the same few each time.
struct TokenizerScratch
{
    // Storage of more than this many characters in all is not kept.
    static constexpr size_t kKeepLimit = 64 * 1024;

    bool filled = false;
    TokenObj token;
    TokenObj entity;
    TAttributeList attributes;
    TAttribute discarded;
    std::u16string value;
};

thread_local TokenizerScratch spareScratch;

} // namespace

HtmlTokenizer::HtmlTokenizer(QStringView source, IncludeHandler include)
    : m_source(source), m_includeHandler(std::move(include))
{
    TokenizerScratch& spare = spareScratch;
    if (spare.filled) {
        spare.filled = false;
        m_token = std::move(spare.token);
        m_entityScratch = std::move(spare.entity);
        m_attributes = std::move(spare.attributes);
        m_discarded = std::move(spare.discarded);
        m_valueScratch = std::move(spare.value);
    }
    advance();
}

HtmlTokenizer::~HtmlTokenizer()
{
    TokenizerScratch& spare = spareScratch;
    const size_t held = m_token.capacity() + m_entityScratch.capacity() +
                        m_valueScratch.capacity() + m_attributes.textCapacity() +
                        size_t(m_discarded.name.capacity());
    if (spare.filled || held > TokenizerScratch::kKeepLimit)
        return;
    m_token.clear();
    m_entityScratch.clear();
    m_attributes.clear();
    m_valueScratch.clear();
    spare.token = std::move(m_token);
    spare.entity = std::move(m_entityScratch);
    spare.attributes = std::move(m_attributes);
    spare.discarded = std::move(m_discarded);
    spare.value = std::move(m_valueScratch);
    spare.filled = true;
}

int HtmlTokenizer::rawRead()
{
    if (m_includeActive) {
        if (m_includeIndex < m_include.size())
            return m_include[m_includeIndex++].unicode();
        m_includeActive = false;
        m_include.clear();
    }
    if (m_index < m_source.size()) {
        m_pos = m_index < INT_MAX ? int(m_index) : INT_MAX;
        return m_source[m_index++].unicode();
    }
    return kEof;
}

int HtmlTokenizer::peekRaw(int ahead) const
{
    if (m_includeActive) {
        const qsizetype left = m_include.size() - m_includeIndex;
        if (ahead < left)
            return m_include[m_includeIndex + ahead].unicode();
        ahead -= int(left);
    }
    const qsizetype at = m_index + ahead;
    return at < m_source.size() ? m_source[at].unicode() : kEof;
}

int HtmlTokenizer::readFolded()
{
    int c = rawRead();
    if ((c == '\n' && m_lineEnd == 1) || (c == '\r' && m_lineEnd == 2))
        c = rawRead();
    if (c == '\n') {
        m_lineEnd = 2;
        return '\r';
    }
    if (c == '\r') {
        m_lineEnd = 1;
        return '\r';
    }
    m_lineEnd = 0;
    return c == '\t' ? ' ' : c;
}

void HtmlTokenizer::markEndOfInput()
{
    m_openComment = true;
    m_includeActive = false;
    m_include.clear();
    m_index = m_source.size();
}

void HtmlTokenizer::advanceSlow()
{
    if (!m_includeActive) {
        // Line ends, TAB and a '<' that opens no comment, read in place; the same folding as
        // readFolded() below.
        const qsizetype size = std::min(m_source.size(), kMaxFastIndex);
        const char16_t* source = m_source.utf16();
        qsizetype i = m_index;
        if (i < size) {
            char16_t c = source[i];
            if ((c == u'\n' && m_lineEnd == 1) || (c == u'\r' && m_lineEnd == 2))
                c = ++i < size ? source[i] : u'\0';
            int lineEnd = 0;
            int read = -1;
            if (i >= size) {
                read = -1;
            } else if (c == u'\r' || c == u'\n') {
                lineEnd = c == u'\r' ? 1 : 2;
                read = '\r';
            } else if (c == u'\t') {
                read = ' ';
            } else if (c == u'<') {
                if (m_rawText || i + 1 >= size || source[i + 1] != u'!')
                    read = '<';
            } else if (c >= 0x20) {
                read = c;
            }
            if (read >= 0) {
                m_index = i + 1;
                m_pos = int(i);
                m_lineEnd = lineEnd;
                m_ch = read;
                m_chPos = m_pos;
                return;
            }
        }
    }
    for (;;) {
        int c = readFolded();
        if (c == '<' && !m_rawText && peekRaw(0) == '!') {
            readFolded();
            if (!skipCommentOrDeclaration()) {
                markEndOfInput();
                c = kEof;
            } else {
                continue;
            }
        }
        m_ch = c;
        m_chPos = m_pos;
        return;
    }
}

bool HtmlTokenizer::skipCommentOrDeclaration()
{
    if (peekRaw(0) == '-' && peekRaw(1) == '-') {
        readFolded();
        readFolded();
        if (m_includeHandler && !m_includeActive && peekRaw(0) == '#')
            return readIncludeDirective();
        return skipCommentBody(readFolded());
    }
    for (;;) {
        const int c = readFolded();
        if (c == kEof)
            return false;
        if (c == '>')
            return true;
    }
}

// `c` is the first unexamined character of the comment. A comment ends at a dash pair (any
// number of dashes) followed, after optional blanks and line ends, by '>'.
bool HtmlTokenizer::skipCommentBody(int c)
{
    for (;;) {
        while (c != '-') {
            if (c == kEof)
                return false;
            c = readFolded();
        }
        c = readFolded();
        if (c != '-')
            continue;
        do
            c = readFolded();
        while (c == '-');
        while (c == ' ' || c == '\r')
            c = readFolded();
        if (c == '>')
            return true;
    }
}

bool HtmlTokenizer::readIncludeDirective()
{
    readFolded(); // '#'
    // The directive's attributes are read with comment recognition off, so that a directive
    // cannot open another one.
    const bool savedRaw = m_rawText;
    m_rawText = true;
    m_ch = readFolded();
    QString command;
    while (isLetter(m_ch)) {
        command.append(QChar(char16_t(m_ch)));
        m_ch = readFolded();
    }
    QStringList params;
    TAttribute attribute;
    QString attributeName;
    for (;;) {
        skipWhiteSpace();
        if (!isLetter(m_ch))
            break;
        attributeName.clear();
        while (isLetter(m_ch) || m_ch == '-') {
            attributeName.append(QChar(char16_t(upper(m_ch))));
            advance();
        }
        attribute = TAttribute();
        skipWhiteSpace();
        if (m_ch == '=') {
            advance();
            skipWhiteSpace();
            if (m_ch == '"' || m_ch == '\'') {
                const int quote = m_ch;
                advance();
                while (m_ch != quote && m_ch != kEof) {
                    if (m_ch != '\r')
                        attribute.name.append(QChar(char16_t(m_ch)));
                    advance();
                }
                if (m_ch == quote)
                    advance();
            } else {
                while (m_ch != ' ' && m_ch != '\r' && m_ch != '>' && m_ch != '-' && m_ch != kEof) {
                    attribute.name.append(QChar(char16_t(m_ch)));
                    advance();
                }
            }
        }
        params.append(attributeName + QStringLiteral("=\"") + attribute.name + u'"');
    }
    m_rawText = savedRaw;
    if (!skipCommentBody(m_ch))
        return false;
    QString included = m_includeHandler(command, params);
    if (!included.isEmpty()) {
        m_include = std::move(included);
        m_includeIndex = 0;
        m_includeActive = true;
    }
    return true;
}

void HtmlTokenizer::next()
{
    m_token.clear();
    if (m_ch == kEof) {
        m_sym = Sym::Eof;
        return;
    }
    if (m_ch == '<') {
        readTag();
    } else if (m_ch == '&') {
        readEntity(m_token);
        m_sym = Sym::Text;
    } else if (m_ch < 32 && m_ch != '\r') {
        m_token.addChar(char16_t(m_ch), m_chPos);
        m_sym = Sym::Other;
        advance();
    } else {
        readText();
    }
    switch (m_sym) {
    case Sym::Text:
    case Sym::Br:
    case Sym::H:
    case Sym::Hr:
    case Sym::Img:
    case Sym::Table:
    case Sym::Input:
    case Sym::TextArea:
    case Sym::Select:
        paragraphSpace = false;
        break;
    default:
        break;
    }
}

namespace {

bool isSpaceOrLineEnd(char16_t c)
{
    return c == u' ' || c == u'\r' || c == u'\n' || c == u'\t';
}

// The first index from `from` on, below `end`, that is not plain running text: a control
// character, '<', '&', or a space followed by white space; `end` when there is none up to the
// last whole block. `size` bounds the look-ahead. A caller finishes the tail one by one.
qsizetype scanPlainText(const char16_t* s, qsizetype from, qsizetype end, qsizetype size)
{
    qsizetype j = from;
#if defined(__SSE2__)
    const __m128i space = _mm_set1_epi16(u' ');
    const __m128i lt = _mm_set1_epi16(u'<');
    const __m128i amp = _mm_set1_epi16(u'&');
    const __m128i tab = _mm_set1_epi16(u'\t');
    const __m128i cr = _mm_set1_epi16(u'\r');
    const __m128i lf = _mm_set1_epi16(u'\n');
    // Comparisons for equality only, and "below 0x20" through an unsigned saturating
    // subtraction, so characters from 0x8000 up need no care.
    const __m128i zero = _mm_setzero_si128();
    while (j + 8 <= end && j + 9 <= size) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + j));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + j + 1));
        // a < 0x20 exactly when the saturating 0x20 - a is not zero.
        const __m128i isControl = _mm_andnot_si128(
            _mm_cmpeq_epi16(_mm_subs_epu16(_mm_set1_epi16(0x20), a), zero), _mm_set1_epi16(-1));
        const __m128i special = _mm_or_si128(_mm_cmpeq_epi16(a, lt), _mm_cmpeq_epi16(a, amp));
        const __m128i nextWhite =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(b, space), _mm_cmpeq_epi16(b, tab)),
                         _mm_or_si128(_mm_cmpeq_epi16(b, cr), _mm_cmpeq_epi16(b, lf)));
        const __m128i doubleSpace = _mm_and_si128(_mm_cmpeq_epi16(a, space), nextWhite);
        const __m128i stop = _mm_or_si128(_mm_or_si128(isControl, special), doubleSpace);
        const int mask = _mm_movemask_epi8(stop);
        if (mask != 0)
            return j + (__builtin_ctz(unsigned(mask)) >> 1);
        j += 8;
    }
#else
    (void)end;
    (void)size;
#endif
    return j;
}

} // namespace

void HtmlTokenizer::readText()
{
    // Outside PRE and NOBR a single space between words reads as itself at its own position,
    // so running text is taken from the source in whole stretches of up to the token limit.
    const bool plainSpaces = !preFormatted && !noBreak;
    int count = 0;
    while (count < 100) {
        const int c = m_ch;
        if (c == kEof || c == '&' || c == '<' || (c < 32 && c != '\r'))
            break;
        if (!preFormatted && (c == ' ' || c == '\r')) {
            // A space that ends a stretch read in place stands before a comment or declaration
            // (the one thing that stops a stretch at a single space): the white space after it
            // belongs to the same run and adds nothing.
            const bool afterSpace = !noBreak && !m_token.isEmpty() && m_token.text().back() == u' ';
            if (!afterSpace) {
                m_token.addChar(noBreak ? kNoBreakSpaceMark : u' ', m_chPos);
                ++count;
            }
            do
                advance();
            while (m_ch == ' ' || m_ch == '\r');
            continue;
        }
        if (c > u' ' && !m_includeActive && m_chPos == m_index - 1) {
            // Take the run of ordinary characters that follows straight from the source.
            const char16_t* source = m_source.utf16();
            const qsizetype size = m_source.size();
            const qsizetype begin = m_index - 1;
            const qsizetype end = std::min({size, begin + (100 - count), kMaxFastIndex});
            qsizetype j = m_index;
            if (plainSpaces) {
                j = scanPlainText(source, j, end, size);
                while (j < end) {
                    const char16_t d = source[j];
                    if (d > u' ') {
                        if (d == u'<' || d == u'&')
                            break;
                    } else if (d != u' ' || j + 1 >= size || isSpaceOrLineEnd(source[j + 1])) {
                        break;
                    }
                    ++j;
                }
            } else {
                while (j < end) {
                    const char16_t d = source[j];
                    if (d <= u' ' || d == u'<' || d == u'&')
                        break;
                    ++j;
                }
            }
            m_token.addRun(source + begin, j - begin, m_chPos);
            count += int(j - begin);
            m_index = j;
            m_pos = int(j - 1);
            m_lineEnd = 0;
        } else {
            m_token.addChar(char16_t(c), m_chPos);
            ++count;
        }
        advance();
    }
    m_sym = Sym::Text;
}

bool HtmlTokenizer::readEntity(TokenObj& out)
{
    const int amp = m_chPos;
    // The characters consumed, to be given back as written when the reference is not valid.
    // Longest case: '&', '#', six digits and ';'.
    char16_t literal[10];
    qint32 literalPositions[10];
    int literalLength = 0;
    auto keep = [&](int c) {
        literal[literalLength] = char16_t(c);
        literalPositions[literalLength++] = m_chPos;
    };
    keep('&');
    advance();
    auto reject = [&] {
        for (int i = 0; i < literalLength; ++i)
            out.addChar(literal[i], literalPositions[i]);
        return false;
    };
    auto takeSemicolon = [&] {
        if (m_ch == ';') {
            keep(';');
            advance();
        }
    };
    if (m_ch == '#') {
        keep('#');
        advance();
        int digits = 0;
        int value = 0;
        while (isDigit(m_ch)) {
            keep(m_ch);
            value = value * 10 + (m_ch - '0');
            ++digits;
            advance();
            if (digits == 6)
                return reject();
        }
        if (digits == 0)
            return reject();
        takeSemicolon();
        if (value == 9) {
            out.addChar(u' ', amp);
        } else if (value == 10 || (value >= 32 && value < 128) || (value >= 160 && value <= 255)) {
            out.addChar(char16_t(value), amp);
        } else if (value >= 128 && value < 160) {
            out.addChar(kCp1252High[value - 128], amp);
        } else if (value > 255 && value <= 0xFFFF) {
            if (value >= 0xD800 && value <= 0xDFFF)
                return reject(); // a lone surrogate is no character
            out.addChar(char16_t(value), amp);
        } else if (value > 0xFFFF) {
            const char32_t cp = char32_t(value);
            out.addChar(char16_t(0xD800 + ((cp - 0x10000) >> 10)), amp);
            out.addChar(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)), amp);
        } else {
            return reject();
        }
        return true;
    }
    char16_t name[7];
    int length = 0;
    while (isLetter(m_ch) || isDigit(m_ch)) {
        keep(m_ch);
        name[length++] = char16_t(m_ch);
        advance();
        if (length == 7)
            return reject();
    }
    if (length == 0)
        return reject();
    takeSemicolon();
    const QStringView text = lookupEntity(QStringView(name, length));
    if (text.isEmpty())
        return reject();
    for (QChar c : text)
        out.addChar(c.unicode(), amp);
    return true;
}

void HtmlTokenizer::readTag()
{
    m_tagStart = m_chPos;
    advance();
    bool endTag = false;
    if (m_ch == '/') {
        endTag = true;
        advance();
    } else if (!isLetter(m_ch)) {
        m_token.addChar(u'<', m_tagStart);
        m_sym = Sym::Text;
        return;
    }
    char name[256];
    int length = 0;
    if (isLetter(m_ch) && atSource()) {
        const char16_t* source = m_source.utf16();
        const qsizetype size = std::min(m_source.size(), kMaxFastIndex);
        qsizetype j = m_index - 1;
        for (; j < size; ++j) {
            const unsigned letter = (unsigned(source[j]) | 0x20u) - unsigned(u'a');
            if (letter >= 26)
                break;
            name[length] = char('A' + letter);
            length += length < 255 ? 1 : 0;
        }
        resumeAt(j);
    }
    while (isLetter(m_ch)) {
        if (length < 255)
            name[length++] = char(upper(m_ch));
        advance();
    }
    m_sym = lookupTag(std::string_view(name, size_t(length)), endTag);
    skipWhiteSpace();
    if (m_sym == Sym::H || m_sym == Sym::HEnd) {
        m_headingLevel = 0;
        if (m_ch >= '1' && m_ch <= '6') {
            m_headingLevel = m_ch - '0';
            advance();
        }
    }
    const bool keep = keepsAttributes(m_sym);
    if (keep)
        m_attributes.clear();
    for (;;) {
        skipWhiteSpace();
        if (!isLetter(m_ch))
            break;
        readAttribute(keep ? m_attributes.appendSlot() : m_discarded);
    }
    while (m_ch != '>' && m_ch != kEof)
        advance();
    if (m_sym == Sym::Script) {
        // The content of SCRIPT is raw text (a comment in it belongs to the script), read
        // here so that no caller can leave the reader in raw mode.
        m_rawText = true;
        advance();
        m_scriptText = readRawText(u"/script", true, false);
        return;
    }
    advance();
}

bool HtmlTokenizer::readAttribute(TAttribute& attribute)
{
    skipWhiteSpace();
    if (!isLetter(m_ch))
        return false;
    char name[256];
    int length = 0;
    if (atSource()) {
        const char16_t* source = m_source.utf16();
        const qsizetype size = std::min(m_source.size(), kMaxFastIndex);
        qsizetype j = m_index - 1;
        for (; j < size; ++j) {
            const unsigned letter = (unsigned(source[j]) | 0x20u) - unsigned(u'a');
            if (letter < 26)
                name[length] = char('A' + letter);
            else if (source[j] == u'-')
                name[length] = '-';
            else
                break;
            length += length < 255 ? 1 : 0;
        }
        resumeAt(j);
    }
    while (isLetter(m_ch) || m_ch == '-') {
        if (length < 255)
            name[length++] = char(upper(m_ch));
        advance();
    }
    attribute.which = lookupAttribute(std::string_view(name, size_t(length)));
    attribute.value = attribute.which == Attr::Border ? 1 : 0;
    if (m_ch == '=' && atSource()) {
        // The usual form, name="value" with nothing but ordinary characters inside the quotes,
        // is taken straight from the source.
        const char16_t* source = m_source.utf16();
        const qsizetype size = std::min(m_source.size(), kMaxFastIndex);
        if (m_index < size && (source[m_index] == u'"' || source[m_index] == u'\'')) {
            const char16_t quote = source[m_index];
            const qsizetype begin = m_index + 1;
            qsizetype end = begin;
            while (end < size && source[end] != quote && source[end] >= 0x20 &&
                   source[end] != u'&' && source[end] != u'<')
                ++end;
            if (end < size && source[end] == quote) {
                assignChars(attribute.name, source + begin, end - begin);
                attribute.value = quotedNumber(attribute.name);
                resumeAt(end + 1);
                return true;
            }
        }
    }
    attribute.name.resize(0); // keeps the storage for the value
    skipWhiteSpace();
    if (m_ch != '=')
        return true;
    advance();
    skipWhiteSpace();
    std::u16string& value = m_valueScratch;
    value.clear();
    auto take = [&] {
        value.push_back(char16_t(m_ch));
        advance();
    };
    if (m_ch == '"' || m_ch == '\'') {
        const int quote = m_ch;
        advance();
        while (m_ch != quote && m_ch != kEof) {
            if (m_ch >= 0x20 && m_ch != '&' && m_ch != '<' && atSource()) {
                // A stretch of ordinary characters is taken in place.
                const char16_t* source = m_source.utf16();
                const qsizetype size = std::min(m_source.size(), kMaxFastIndex);
                const qsizetype begin = m_index - 1;
                qsizetype j = m_index;
                while (j < size) {
                    const char16_t d = source[j];
                    if (d < 0x20 || d == quote || d == u'&' || d == u'<')
                        break;
                    ++j;
                }
                // The current character as read (a TAB reads as a space), the rest as written.
                value.push_back(char16_t(m_ch));
                value.append(source + begin + 1, size_t(j - begin - 1));
                resumeAt(j);
            } else if (m_ch == '\r') {
                advance();
            } else if (m_ch == '&') {
                m_entityScratch.clear();
                readEntity(m_entityScratch);
                const QStringView decoded = m_entityScratch.text();
                value.append(decoded.utf16(), size_t(decoded.size()));
            } else {
                take();
            }
        }
        if (m_ch == quote)
            advance();
        assignText(attribute.name, value);
        attribute.value = quotedNumber(attribute.name);
    } else if (m_ch == '+' || m_ch == '-' || isDigit(m_ch)) {
        take();
        while (m_ch != ' ' && m_ch != '\r' && m_ch != '%' && m_ch != '>' && m_ch != kEof)
            take();
        skipWhiteSpace();
        attribute.value = toIntDef(QStringView(value.data(), qsizetype(value.size())), 0);
        if (m_ch == '%') {
            value.push_back(u'%');
            advance();
        }
        assignText(attribute.name, value);
    } else {
        while (m_ch != ' ' && m_ch != '\r' && m_ch != '>' && m_ch != kEof) {
            if (m_ch > 0x20 && m_ch != '<' && atSource()) {
                const char16_t* source = m_source.utf16();
                const qsizetype size = std::min(m_source.size(), kMaxFastIndex);
                const qsizetype begin = m_index - 1;
                qsizetype j = m_index;
                while (j < size && source[j] > 0x20 && source[j] != u'>' && source[j] != u'<')
                    ++j;
                value.append(source + begin, size_t(j - begin));
                resumeAt(j);
            } else {
                take();
            }
        }
        assignText(attribute.name, value);
    }
    return true;
}

QString HtmlTokenizer::readRawText(QStringView closer, bool needGt, bool decodeEntities)
{
    m_rawText = true;
    QString out;
    TokenObj entity;
    while (m_ch != kEof) {
        if (m_ch == '<') {
            advance();
            QString examined;
            while (examined.size() < closer.size() && (isLetter(m_ch) || m_ch == '/')) {
                examined.append(QChar(char16_t(m_ch)));
                advance();
            }
            if (QStringView(examined).compare(closer, Qt::CaseInsensitive) == 0 &&
                (!needGt || m_ch == '>')) {
                m_rawText = false;
                while (m_ch != '>' && m_ch != kEof)
                    advance();
                advance();
                return out;
            }
            out.append(u'<');
            out.append(examined);
            continue;
        }
        if (decodeEntities && m_ch == '&') {
            entity.clear();
            readEntity(entity);
            out.append(entity.text());
            continue;
        }
        out.append(QChar(char16_t(m_ch)));
        advance();
    }
    m_rawText = false;
    return out;
}

} // namespace vantoro
