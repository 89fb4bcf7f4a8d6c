#pragma once

#include "htmlview/HtmlSymbols.h"
#include "htmlview/TAttributeList.h"
#include "htmlview/TokenObj.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace vantoro {

// Reads HTML text one token at a time with one character of look-ahead. Line ends (CR, LF,
// CRLF, LFCR) read as one CR and TAB as a space; comments and declarations vanish before any
// token is formed. Positions count UTF-16 units of the main source from 0.
//
// Lifetime: the source must outlive the tokenizer. Every call does work proportional to the
// characters it consumes, and no call recurses on the input.
class HtmlTokenizer
{
public:
    static constexpr int kEof = -1;

    // Called for a <!--#command name="value" ...--> directive; answers text to read in its place
    // (empty for none). Included text has no source positions of its own.
    using IncludeHandler =
        std::function<QString(const QString& command, const QStringList& params)>;

    explicit HtmlTokenizer(QStringView source, IncludeHandler include = {});
    ~HtmlTokenizer();
    HtmlTokenizer(const HtmlTokenizer&) = delete;
    HtmlTokenizer& operator=(const HtmlTokenizer&) = delete;

    // Reads the next token: its kind in sym(), its text in token(), a kept tag's attributes in
    // attributes() and a heading's level in headingLevel().
    void next();

    Sym sym() const { return m_sym; }
    const TokenObj& token() const { return m_token; }
    const TAttributeList& attributes() const { return m_attributes; }
    int headingLevel() const { return m_headingLevel; }
    int tagStart() const { return m_tagStart; }
    // True when the input ended inside a comment or declaration; the text before it stands.
    bool openCommentAtEnd() const { return m_openComment; }
    // The content of the last SCRIPT element (read raw, up to its end tag, when the tag is read).
    const QString& scriptText() const { return m_scriptText; }
    // Off: comments are text like any other (for loading plain text).
    void setCommentRecognition(bool on) { m_rawText = !on; }

    // Flags the tag handling sets.
    bool noBreak = false;        // inside NOBR: white space reads as kNoBreakSpaceMark
    bool preFormatted = false;   // inside PRE: white space is kept
    bool paragraphSpace = false; // a paragraph space was emitted and no content followed

    // Character level, for pre-formatted text and the raw content of SCRIPT and TEXTAREA.
    int ch() const { return m_ch; }
    int chPosition() const { return m_chPos; }
    // Reads the next character. Ordinary characters of the main source take the inline path;
    // line ends, TAB, '<' (a possible comment) and included text take the full one.
    void advance()
    {
        if (!m_includeActive && m_index < m_source.size() && m_index < kMaxFastIndex) {
            const char16_t c = m_source[m_index].unicode();
            if (c >= 0x20 && c != u'<') {
                m_pos = int(m_index++);
                m_lineEnd = 0;
                m_ch = c;
                m_chPos = m_pos;
                return;
            }
        }
        advanceSlow();
    }
    void skipWhiteSpace()
    {
        while (m_ch == ' ' || m_ch == '\r')
            advance();
    }
    // At '&': appends the entity's text (or, when it is not a valid reference, the characters
    // as written) to `out`. Answers whether a reference was decoded.
    bool readEntity(TokenObj& out);
    // At '<': reads a tag into sym()/attributes(); a '<' that starts no tag becomes a text token.
    void readTag();
    // Reads raw text up to a tag whose name (with '/') equals `closer` ignoring case, and
    // consumes that tag. With `needGt` the closer must be followed directly by '>' (else it is
    // text); otherwise everything up to '>' after it is skipped. Line ends read as CR.
    QString readRawText(QStringView closer, bool needGt, bool decodeEntities);

private:
    static constexpr qsizetype kMaxFastIndex = 0x7FFFFFFF;

    void advanceSlow();
    // True when the current character is the main source's character at m_index - 1, so the
    // characters after it can be examined straight in the source.
    bool atSource() const
    {
        return !m_includeActive && m_chPos == m_index - 1 && m_index < kMaxFastIndex;
    }
    // Continues at source index `j` after examining the characters before it in place. The
    // current character and those skipped must be ordinary characters (no line end, no '<').
    void resumeAt(qsizetype j)
    {
        m_index = j;
        m_pos = int(j - 1);
        m_lineEnd = 0;
        advance();
    }
    int rawRead();
    int peekRaw(int ahead) const;
    int readFolded();
    bool skipCommentOrDeclaration();
    bool skipCommentBody(int c);
    bool readIncludeDirective();
    bool readAttribute(TAttribute& attribute);
    void readText();
    void markEndOfInput();

    QStringView m_source;
    qsizetype m_index = 0;
    QString m_include;
    qsizetype m_includeIndex = 0;
    bool m_includeActive = false;
    IncludeHandler m_includeHandler;

    int m_ch = kEof;
    int m_chPos = -1;
    int m_pos = -1;         // position of the last character read from the main source
    int m_lineEnd = 0;      // 0 none, 1 last was CR, 2 last was LF
    bool m_rawText = false; // comment recognition off
    bool m_openComment = false;

    Sym m_sym = Sym::Eof;
    TokenObj m_token;
    TAttributeList m_attributes;
    TAttribute m_discarded; // attributes of tags that keep none
    int m_headingLevel = 0;
    int m_tagStart = 0;
    QString m_scriptText;
    std::u16string m_valueScratch;
    TokenObj m_entityScratch;
};

} // namespace vantoro
