#include "htmlview/HtmlParser.h"

#include "htmlview/THeadingSpace.h"
#include "htmlview/TParagraphSpace.h"
#include "htmlview/TSectionList.h"
#include "htmlview/TUListItem.h"

#include <QIODevice>

#include <algorithm>

namespace vantoro {

namespace {

const SymSet kInlineSymbols =
    symSet({Sym::Text,      Sym::B,       Sym::BEnd,    Sym::Strong, Sym::StrongEnd, Sym::I,
            Sym::IEnd,      Sym::Em,      Sym::EmEnd,   Sym::Cite,   Sym::CiteEnd,   Sym::Var,
            Sym::VarEnd,    Sym::U,       Sym::UEnd,    Sym::S,      Sym::SEnd,      Sym::Strike,
            Sym::StrikeEnd, Sym::Tt,      Sym::TtEnd,   Sym::Code,   Sym::CodeEnd,   Sym::Kbd,
            Sym::KbdEnd,    Sym::Samp,    Sym::SampEnd, Sym::Big,    Sym::Small,     Sym::Sub,
            Sym::SubEnd,    Sym::Sup,     Sym::SupEnd,  Sym::A,      Sym::AEnd,      Sym::FontEnd,
            Sym::NoBr,      Sym::NoBrEnd, Sym::Wbr});

struct CharSetRow
{
    std::initializer_list<const char16_t*> keys;
    HtmlCharSet charSet;
};

const CharSetRow kCharSets[] = {
    {{u"1252", u"8859-1"}, HtmlCharSet::Ansi},
    {{u"1253", u"8859-7"}, HtmlCharSet::Greek},
    {{u"1250", u"8859-2"}, HtmlCharSet::EastEurope},
    {{u"1251", u"8859-5", u"koi8-r"}, HtmlCharSet::Russian},
    {{u"1254", u"8859-3", u"8859-9"}, HtmlCharSet::Turkish},
    {{u"1257", u"8859-4"}, HtmlCharSet::Baltic},
};

} // namespace

HtmlParser::HtmlParser(TSectionList& document, QStringView source, const HtmlParseOptions& options,
                       std::vector<AnchorName>* anchors)
    : m_doc(document), m_tz(source, options.onInclude), m_options(options), m_anchors(anchors),
      m_cell(&document)
{
    TMyFont base;
    base.name = document.defaultFontName;
    base.color = document.fontColor;
    base.charSet = document.charSet;
    base.setNominalSize(12, document.defaultFontSize);
    m_fonts.reserve(16);
    m_fonts.push_back(std::move(base));
    newSection(Justify::Left);
}

HtmlParser::~HtmlParser() = default;

HtmlParseResult HtmlParser::parseHtml()
{
    try {
        next();
        doBody(SymSet(), 0);
    } catch (...) {
        // The cell being filled may belong to a table that is already gone.
        m_section.reset();
        throw;
    }
    finish();
    if (m_tz.openCommentAtEnd())
        m_result.error = QStringLiteral("Open Comment at End of HTML File");
    return m_result;
}

void HtmlParser::finish()
{
    addSection();
    m_fonts.resize(1);
    m_link.clear();
    m_inLink = false;
}

bool HtmlParser::pushFont(TMyFont font)
{
    if (int(m_fonts.size()) >= kMaxFonts)
        return false;
    m_fonts.push_back(std::move(font));
    return true;
}

void HtmlParser::popFont()
{
    if (m_fonts.size() > 1)
        m_fonts.pop_back();
}

void HtmlParser::popFontsTo(size_t depth)
{
    while (m_fonts.size() > std::max<size_t>(depth, 1))
        m_fonts.pop_back();
}

void HtmlParser::changeFont()
{
    if (m_section)
        m_section->switchFont(top(), m_styles, m_script);
}

void HtmlParser::addSection()
{
    if (m_section)
        m_cell->add(std::move(m_section));
    m_section.reset();
}

void HtmlParser::newSection(Justify justification)
{
    startSection<TSection>(justification, m_level);
}

void HtmlParser::ensureSection()
{
    if (!m_section)
        newSection(m_justify);
}

void HtmlParser::appendText()
{
    ensureSection();
    m_section->appendToken(m_tz.token(), m_tz.noBreak);
}

void HtmlParser::pushPreFont()
{
    TMyFont font = top();
    font.name = m_doc.preFontName;
    font.setNominalSize(10, m_doc.defaultFontSize);
    font.fixedPitch = true;
    pushFont(std::move(font));
}

Justify HtmlParser::alignOf(const QString& value, Justify fallback) const
{
    const QString align = value.left(10).toLower();
    if (align == u"left")
        return Justify::Left;
    if (align == u"center")
        return Justify::Centre;
    if (align == u"right")
        return Justify::Right;
    return fallback;
}

void HtmlParser::doBody(const SymSet& stop, int level)
{
    while (sy() != Sym::Eof && !contains(stop, sy())) {
        switch (sy()) {
        case Sym::Title:
            doTitle();
            break;
        case Sym::Body:
            doBodyTag();
            break;
        case Sym::Base:
            for (const TAttribute& a : attributes().items()) {
                if (a.which == Attr::Href)
                    m_result.base = a.name;
                else if (a.which == Attr::Target)
                    m_result.baseTarget = a.name;
            }
            next();
            break;
        case Sym::Hr:
            doHorizontalRule();
            break;
        case Sym::Li:
            if (level == 0)
                doStrayListItem();
            else
                next();
            break;
        case Sym::Center:
        case Sym::Div:
            doDivision(stop, level);
            break;
        case Sym::BgSound:
            if (m_options.onSoundRequest) {
                if (const TAttribute* src = attributes().find(Attr::Src)) {
                    const TAttribute* loop = attributes().find(Attr::Loop);
                    m_options.onSoundRequest(src->name, loop ? loop->value : 1, false);
                }
            }
            next();
            break;
        case Sym::Meta:
            doMeta();
            break;
        default:
            if (!doNestedList(level, stop) && !doCommon())
                next();
            break;
        }
    }
}

void HtmlParser::doTitle()
{
    next();
    QString title;
    while (sy() == Sym::Text) {
        title.append(m_tz.token().text());
        next();
    }
    m_result.title = title;
}

void HtmlParser::doBodyTag()
{
    if (!m_cell->isEmpty()) {
        next();
        return;
    }
    // Text written before BODY stays; an empty section is replaced.
    if (m_section && m_section->len() > 0)
        addSection();
    m_section.reset();
    for (const TAttribute& a : attributes().items()) {
        switch (a.which) {
        case Attr::Text:
            if (const auto c = parseHtmlColor(a.name)) {
                m_fonts.back().color = *c;
                m_doc.fontColor = *c;
            }
            break;
        case Attr::Link:
            if (const auto c = parseHtmlColor(a.name))
                m_doc.linkColor = *c;
            break;
        case Attr::BgColor:
            if (const auto c = parseHtmlColor(a.name))
                m_doc.setBackground(*c);
            break;
        case Attr::Background:
            m_doc.backgroundImageName = a.name;
            break;
        case Attr::VLink:
            if (const auto c = parseHtmlColor(a.name))
                m_doc.linkVisitedColor = *c;
            break;
        case Attr::OLink:
            if (const auto c = parseHtmlColor(a.name)) {
                m_doc.hoverLinkColor = *c;
                m_doc.hoverColoring = true;
            }
            break;
        case Attr::MarginWidth:
            if (m_options.ownerIsTextView)
                m_result.marginWidth = std::clamp(a.value, 0, 200);
            break;
        case Attr::MarginHeight:
            if (m_options.ownerIsTextView)
                m_result.marginHeight = std::clamp(a.value, 0, 200);
            break;
        default:
            break;
        }
    }
    newSection(m_justify);
    next();
}

void HtmlParser::doMeta()
{
    const QString httpEquiv = attributes().text(Attr::HttpEquiv);
    const QString name = attributes().text(Attr::Name);
    const QString content = attributes().text(Attr::Content);
    if (m_options.ownerIsTextView &&
        httpEquiv.compare(QStringLiteral("content-type"), Qt::CaseInsensitive) == 0) {
        const QString lower = content.toLower();
        for (const CharSetRow& row : kCharSets) {
            const bool found =
                std::any_of(row.keys.begin(), row.keys.end(),
                            [&](const char16_t* k) { return lower.contains(QStringView(k)); });
            if (found) {
                m_fonts.back().charSet = row.charSet;
                break;
            }
        }
    }
    if (m_options.onMeta)
        m_options.onMeta(httpEquiv, name, content);
    next();
}

void HtmlParser::doStrayListItem()
{
    addSection();
    startSection<TUListItem>(m_justify, 1, 15);
    next();
    while (contains(kInlineSymbols, sy())) {
        if (!doCommon())
            next();
    }
    addSection();
}

void HtmlParser::doDivision(const SymSet& stop, int level)
{
    if (m_depth >= kMaxNesting) {
        next();
        return;
    }
    addSection();
    const Justify saved = m_justify;
    if (sy() == Sym::Center) {
        m_justify = Justify::Centre;
    } else if (const TAttribute* align = attributes().find(Attr::Align)) {
        m_justify = alignOf(align->name, m_justify);
    }
    newSection(m_justify);
    next();
    SymSet extended = stop;
    extended.set(size_t(Sym::CenterEnd));
    extended.set(size_t(Sym::DivEnd));
    ++m_depth;
    doBody(extended, level);
    --m_depth;
    addSection();
    m_justify = saved;
    newSection(m_justify);
    if (sy() == Sym::CenterEnd || sy() == Sym::DivEnd)
        next();
}

void HtmlParser::doParagraph()
{
    addSection();
    if (!m_tz.paragraphSpace)
        m_cell->add(std::make_unique<TParagraphSpace>(&m_doc));
    auto alignment = [this] {
        if (sy() == Sym::P) {
            if (const TAttribute* a = attributes().find(Attr::Align))
                return alignOf(a->name, m_justify);
        }
        return m_justify;
    };
    m_tz.skipWhiteSpace();
    Justify justification = alignment();
    m_tz.paragraphSpace = true;
    next();
    while (sy() == Sym::P || sy() == Sym::PEnd) {
        justification = alignment();
        m_tz.skipWhiteSpace();
        next();
    }
    newSection(justification);
}

void HtmlParser::doLineBreak()
{
    Justify justification = m_justify;
    if (m_section) {
        justification = m_section->addLineBreakSpace(m_tz.tagStart());
    }
    addSection();
    int clear = 0;
    if (const TAttribute* a = attributes().find(Attr::Clear)) {
        const QString value = a->name.toLower();
        clear = value == u"left" ? 1 : value == u"right" ? 2 : 3;
    }
    newSection(justification);
    m_section->clearMode = clear;
    next();
}

void HtmlParser::doHeading()
{
    const int level = m_tz.headingLevel();
    if (int(m_fonts.size()) < kMaxFonts) {
        addSection();
        static constexpr int kSizes[] = {12, 24, 18, 14, 12, 10, 8};
        TMyFont font = top();
        font.setNominalSize(kSizes[std::clamp(level, 0, 6)], m_doc.defaultFontSize);
        if (level > 0)
            font.style |= FontStyle::Bold;
        m_fonts.push_back(font);
        m_cell->add(std::make_unique<THeadingSpace>(&m_doc, level));
        Justify justification = m_justify;
        if (const TAttribute* a = attributes().find(Attr::Align))
            justification = alignOf(a->name, m_justify);
        newSection(justification);
    }
    next();
}

void HtmlParser::doHeadingEnd()
{
    if (m_fonts.size() > 1) {
        addSection();
        m_cell->add(std::make_unique<THeadingSpace>(&m_doc, m_tz.headingLevel()));
        popFont();
    }
    next();
}

bool HtmlParser::applyFontStyle(Sym s)
{
    switch (s) {
    case Sym::B:
    case Sym::Strong:
        m_styles |= FontStyle::Bold;
        break;
    case Sym::BEnd:
    case Sym::StrongEnd:
        m_styles &= ~FontStyles(FontStyle::Bold);
        break;
    case Sym::I:
    case Sym::Em:
    case Sym::Cite:
    case Sym::Var:
        m_styles |= FontStyle::Italic;
        break;
    case Sym::IEnd:
    case Sym::EmEnd:
    case Sym::CiteEnd:
    case Sym::VarEnd:
        m_styles &= ~FontStyles(FontStyle::Italic);
        break;
    case Sym::U:
        m_styles |= FontStyle::Underline;
        break;
    case Sym::UEnd:
        m_styles &= ~FontStyles(FontStyle::Underline);
        break;
    case Sym::S:
    case Sym::Strike:
        m_styles |= FontStyle::StrikeOut;
        break;
    case Sym::SEnd:
    case Sym::StrikeEnd:
        m_styles &= ~FontStyles(FontStyle::StrikeOut);
        break;
    default:
        return false;
    }
    changeFont();
    return true;
}

bool HtmlParser::applyScriptPosition(Sym s)
{
    switch (s) {
    case Sym::Sub:
    case Sym::Sup:
        ensureSection();
        m_script = s == Sym::Sub ? 1 : 2;
        break;
    case Sym::SubEnd:
    case Sym::SupEnd:
        m_script = 0;
        break;
    default:
        return false;
    }
    changeFont();
    return true;
}

bool HtmlParser::doCommon()
{
    if (applyFontStyle(sy()) || applyScriptPosition(sy())) {
        next();
        return true;
    }
    switch (sy()) {
    case Sym::P:
    case Sym::PEnd:
        doParagraph();
        return true;
    case Sym::Br:
        doLineBreak();
        return true;
    case Sym::Tt:
    case Sym::Code:
    case Sym::Kbd:
    case Sym::Samp:
        pushPreFont();
        changeFont();
        next();
        return true;
    case Sym::TtEnd:
    case Sym::CodeEnd:
    case Sym::KbdEnd:
    case Sym::SampEnd:
    case Sym::FontEnd:
    case Sym::BigEnd:
    case Sym::SmallEnd:
        popFont();
        changeFont();
        next();
        return true;
    case Sym::H:
        doHeading();
        return true;
    case Sym::HEnd:
        doHeadingEnd();
        return true;
    case Sym::Address: {
        addSection();
        TMyFont font = top();
        font.style |= FontStyle::Italic;
        pushFont(std::move(font));
        newSection(m_justify);
        next();
        return true;
    }
    case Sym::AddressEnd:
        addSection();
        popFont();
        next();
        return true;
    case Sym::Font:
    case Sym::BaseFont:
        applyFont(sy() == Sym::BaseFont);
        next();
        return true;
    case Sym::Big:
    case Sym::Small:
        applyBigSmall(sy() == Sym::Big);
        next();
        return true;
    case Sym::A:
        applyLinkTag();
        next();
        return true;
    case Sym::AEnd:
        applyLinkEnd();
        next();
        return true;
    case Sym::Text:
        appendText();
        next();
        return true;
    case Sym::Img:
        ensureSection();
        m_section->insertImage(attributes(), m_tz.tagStart(), m_tz.noBreak);
        next();
        return true;
    case Sym::Table:
        doTable();
        return true;
    case Sym::Form:
        applyForm();
        next();
        return true;
    case Sym::FormEnd:
        m_form = nullptr;
        next();
        return true;
    case Sym::Input:
        applyInput();
        next();
        return true;
    case Sym::Select:
        doSelect();
        return true;
    case Sym::TextArea:
        applyTextArea();
        next();
        return true;
    case Sym::TextAreaEnd:
        next();
        return true;
    case Sym::Map:
        doMap();
        return true;
    case Sym::Script:
        applyScript();
        next();
        return true;
    case Sym::NoBr:
    case Sym::NoBrEnd:
        m_tz.noBreak = sy() == Sym::NoBr;
        next();
        return true;
    case Sym::Wbr:
        if (m_tz.noBreak && m_section)
            m_section->appendChar(u' ', m_tz.tagStart(), true);
        next();
        return true;
    case Sym::Pre:
        doPre();
        return true;
    default:
        return false;
    }
}

HtmlParseResult ParseHtmlBuffer(TSectionList& document, QStringView html,
                                const HtmlParseOptions& options, std::vector<AnchorName>* anchors)
{
    HtmlParser parser(document, html, options, anchors);
    return parser.parseHtml();
}

HtmlParseResult ParseHtmlFile(TSectionList& document, QIODevice& file,
                              const HtmlParseOptions& options, std::vector<AnchorName>* anchors)
{
    const QString text = QString::fromUtf8(file.readAll());
    return ParseHtmlBuffer(document, text, options, anchors);
}

void ParseTextFile(TSectionList& document, QStringView text)
{
    HtmlParser parser(document, text, HtmlParseOptions(), nullptr);
    parser.parsePlainText();
}

} // namespace vantoro
