#pragma once

#include "htmlview/HtmlTokenizer.h"
#include "htmlview/TFormControlObj.h"
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
    // The link new text belongs to, or null outside a link.
    const TUrlTarget* openLink() const { return m_inLink ? &m_link : nullptr; }
    // Makes a section of kind `Section` the one new text goes into, in the running font, styles
    // and link, at the normal script position; `extra` are the kind's further constructor
    // arguments. The previous section must have been added already.
    template <typename Section, typename... Extra>
    Section& startSection(Justify justification, int level, Extra... extra);
    void newSection(Justify justification);
    void ensureSection();
    void appendText();
    // Pushes the fixed-pitch font of pre-formatted text and TT/CODE/KBD/SAMP.
    void pushPreFont();
    void finish();
    Justify alignOf(const QString& value, Justify fallback) const;

    void doBody(const SymSet& stop, int level);
    bool doCommon();
    void doTitle();
    void doBodyTag();
    void doMeta();
    void doStrayListItem();
    // Reads the list (OL, UL, DIR, MENU, DL) or BLOCKQUOTE that starts at the current tag, one
    // level below `level`; false when the current tag starts none.
    bool doNestedList(int level, const SymSet& stop);
    void doHorizontalRule();
    void doDivision(const SymSet& stop, int level);
    void doParagraph();
    void doLineBreak();
    void doHeading();
    void doHeadingEnd();
    // B, STRONG, I, EM, CITE, VAR, U, S, STRIKE and their ends switch a font style; false for
    // any other tag.
    bool applyFontStyle(Sym s);
    // SUB, SUP and their ends; false for any other tag.
    bool applyScriptPosition(Sym s);
    void applyFont(bool baseFont);
    void applyBigSmall(bool bigger);
    void applyLinkTag();
    void applyLinkEnd();
    void endOpenLink();
    // A form control from the tag's attributes, in the running form, and the section it will
    // stand in made sure of.
    std::unique_ptr<TFormControlObj> newControl(TFormControlObj::Kind kind);
    // Places `control` in the section at source position `position` and enters it in its form.
    TFormControlObj* placeControl(std::unique_ptr<TFormControlObj> control, int position);
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

template <typename Section, typename... Extra>
Section& HtmlParser::startSection(Justify justification, int level, Extra... extra)
{
    m_script = 0;
    auto section = std::make_unique<Section>(&m_doc, justification, openLink(), top(), m_styles,
                                             level, extra...);
    Section& started = *section;
    m_section = std::move(section);
    return started;
}

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
