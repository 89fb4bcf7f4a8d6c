#pragma once

#include "htmlview/HtmlTokenizer.h"
#include "htmlview/TMyFont.h"
#include "htmlview/TUrlTarget.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

namespace vantoro {

class TCell;
class TSection;
class TSectionList;
struct ThtmlForm;

// The optional hooks of a parse. All run synchronously on the parsing thread.
struct HtmlParseOptions
{
    // The owner is the text view: BODY margins and META character sets apply.
    bool ownerIsTextView = true;
    HtmlTokenizer::IncludeHandler onInclude;
    std::function<void(const QString& name, const QString& language, const QString& script)>
        onScript;
    std::function<void(const QString& httpEquiv, const QString& name, const QString& content)>
        onMeta;
    std::function<void(const QString& source, int loop, bool terminate)> onSoundRequest;
};

// What a parse leaves for the view besides the document.
struct HtmlParseResult
{
    QString title;
    QString base;
    QString baseTarget;
    std::optional<int> marginWidth; // from BODY, 0..200
    std::optional<int> marginHeight;
    // Set when the input ended inside a comment: "Open Comment at End of HTML File". The
    // document holds everything before the comment.
    QString error;
};

// An <A NAME>: the upper-case name without a leading '#', and the section it stands in.
struct AnchorName
{
    QString name;
    TSection* section = nullptr;
};

// Turns HTML into the document model in one pass; one object per parse. Structure nested
// deeper than kMaxNesting (lists, BLOCKQUOTE, DIV/CENTER, tables in cells) is flattened into
// the deepest level allowed, so no input can exhaust the stack.
class HtmlParser
{
public:
    static constexpr int kMaxNesting = 200;
    static constexpr int kMaxFonts = 25;

    HtmlParser(TSectionList& document, QStringView source, const HtmlParseOptions& options,
               std::vector<AnchorName>* anchors);
    ~HtmlParser();
    HtmlParser(const HtmlParser&) = delete;
    HtmlParser& operator=(const HtmlParser&) = delete;

    HtmlParseResult parseHtml();
    void parsePlainText();

private:
    struct TableState;

    Sym sy() const { return m_tz.sym(); }
    const TAttributeList& attributes() const { return m_tz.attributes(); }
    void next() { m_tz.next(); }
    const TMyFont& top() const { return m_fonts.back(); }
    bool pushFont(TMyFont font);
    void popFont();
    void popFontsTo(size_t depth);
    void changeFont();
    void addSection();
    void newSection(Justify justification);
    void ensureSection();
    void finish();
    Justify alignOf(const QString& value, Justify fallback) const;

    void doBody(const SymSet& stop, int level);
    bool doCommon();
    void doTitle();
    void doBodyTag();
    void doMeta();
    void doStrayListItem();
    void doDivision(const SymSet& stop, int level);
    void doParagraph();
    void doLineBreak();
    void doHeading();
    void doHeadingEnd();
    void applyStyle(Sym s);
    void applyFont(bool baseFont);
    void applyBigSmall(bool bigger);
    void applyLinkTag();
    void applyLinkEnd();
    void endOpenLink();
    void applyInput();
    void applyTextArea();
    void applyForm();
    void doSelect();
    void doMap();
    void applyScript();
    void doLists(Sym list, int level, const SymSet& stop);
    void doPre();
    void doTable();
    void startTableCell(Sym kind, TableState& state);

    TSectionList& m_doc;
    HtmlTokenizer m_tz;
    const HtmlParseOptions& m_options;
    std::vector<AnchorName>* m_anchors;
    HtmlParseResult m_result;

    std::vector<TMyFont> m_fonts; // [0] is the base font and is never popped
    FontStyles m_styles;
    int m_script = 0;
    Justify m_justify = Justify::Left;
    int m_baseFontSize = 3;
    bool m_inLink = false;
    TUrlTarget m_link;
    std::unique_ptr<TSection> m_section;
    TCell* m_cell;
    ThtmlForm* m_form = nullptr;
    int m_level = 0; // list level of new plain sections
    int m_depth = 0;
};

// Parses `html` into `document` (which the caller has cleared). `anchors` receives one entry
// per <A NAME> when given.
HtmlParseResult ParseHtmlBuffer(TSectionList& document, QStringView html,
                                const HtmlParseOptions& options = {},
                                std::vector<AnchorName>* anchors = nullptr);
// The same over the whole content of a device, read as UTF-8.
HtmlParseResult ParseHtmlFile(TSectionList& document, QIODevice& file,
                              const HtmlParseOptions& options = {},
                              std::vector<AnchorName>* anchors = nullptr);
// Loads plain text as pre-formatted lines, one section per line.
void ParseTextFile(TSectionList& document, QStringView text);

} // namespace vantoro
