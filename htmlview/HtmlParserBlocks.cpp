// Tag handling of the parser for fonts, links, forms, lists, pre-formatted text and tables.

#include "htmlview/HtmlParser.h"

#include "htmlview/TDListItem.h"
#include "htmlview/THorzLine.h"
#include "htmlview/TOListItem.h"
#include "htmlview/TPreFormated.h"
#include "htmlview/TSectionList.h"
#include "htmlview/ThtmlTable.h"

#include <algorithm>

namespace vantoro {

namespace {

constexpr int kFontSizes[7] = {8, 10, 12, 14, 18, 24, 36};
constexpr int kPreFontSizes[7] = {7, 8, 10, 12, 15, 20, 30};

const SymSet kListStarts =
    symSet({Sym::Ol, Sym::Ul, Sym::Dir, Sym::Menu, Sym::Dl, Sym::BlockQuote});
const SymSet kListEnds =
    symSet({Sym::OlEnd, Sym::UlEnd, Sym::DirEnd, Sym::MenuEnd, Sym::DlEnd, Sym::BlockQuoteEnd});
const SymSet kCellStop = symSet({Sym::TableEnd, Sym::Td, Sym::TdEnd, Sym::Tr, Sym::TrEnd, Sym::Th,
                                 Sym::ThEnd, Sym::Caption, Sym::CaptionEnd});

int vAlignOf(const QString& value, int fallback)
{
    const QString v = value.toLower();
    if (v == u"top" || v == u"baseline")
        return 0;
    if (v == u"middle")
        return 1;
    if (v == u"bottom")
        return 2;
    return fallback;
}

} // namespace

void HtmlParser::applyFont(bool baseFont)
{
    std::optional<int> size;
    std::optional<TColor> color;
    QString face;
    bool recognised = false;
    for (const TAttribute& a : attributes().items()) {
        switch (a.which) {
        case Attr::Size: {
            int value = a.value;
            if (a.name.size() > 1 && (a.name[0] == u'+' || a.name[0] == u'-'))
                value += m_baseFontSize;
            value = std::clamp(value, 1, 7);
            size = value;
            recognised = true;
            if (baseFont)
                m_baseFontSize = value;
            break;
        }
        case Attr::Color:
            if (!baseFont) {
                color = parseHtmlColor(a.name);
                recognised = true;
            }
            break;
        case Attr::Face:
            if (!baseFont) {
                QString name = a.name.left(50);
                const qsizetype comma = name.indexOf(u',');
                if (comma >= 0)
                    name.truncate(comma);
                name = name.trimmed();
                if (!name.isEmpty())
                    face = name;
                recognised = true;
            }
            break;
        default:
            break;
        }
    }
    if (baseFont && !(m_cell == &m_doc && m_doc.isEmpty()))
        return;
    TMyFont font = top();
    if (recognised) {
        if (color)
            font.color = *color;
        if (!face.isEmpty())
            font.name = face;
        if (size) {
            const int* table = m_tz.preFormatted ? kPreFontSizes : kFontSizes;
            font.setNominalSize(table[*size - 1], m_doc.defaultFontSize);
        }
    }
    if (!pushFont(std::move(font)))
        return;
    if (recognised)
        changeFont();
}

void HtmlParser::applyBigSmall(bool bigger)
{
    TMyFont font = top();
    const int* table = m_tz.preFormatted ? kPreFontSizes : kFontSizes;
    const int* found = std::find(table, table + 7, font.nominalSize);
    if (found != table + 7) {
        const qsizetype index = found - table;
        if (bigger && index < 6)
            font.setNominalSize(table[index + 1], m_doc.defaultFontSize);
        else if (!bigger && index > 0)
            font.setNominalSize(table[index - 1], m_doc.defaultFontSize);
    }
    pushFont(std::move(font));
    changeFont();
}

void HtmlParser::applyLinkTag()
{
    for (const TAttribute& a : attributes().items()) {
        if (a.which == Attr::Href && !a.name.isEmpty()) {
            endOpenLink();
            m_link.url = a.name;
            m_link.target = attributes().text(Attr::Target);
            m_inLink = true;
            TMyFont font = top();
            font.style |= m_doc.linkStyle;
            font.color = m_doc.linkColor;
            pushFont(std::move(font));
            if (m_section)
                m_section->setLinkRun(true, top(), m_styles, m_script, m_link);
        } else if (a.which == Attr::Name && !a.name.isEmpty()) {
            ensureSection();
            QString name = a.name.toUpper();
            if (name.startsWith(u'#'))
                name.remove(0, 1);
            m_section->anchored = true;
            if (m_anchors)
                m_anchors->push_back({name, m_section.get()});
        }
    }
}

void HtmlParser::applyLinkEnd()
{
    if (m_inLink) {
        m_link.clear();
        m_inLink = false;
        popFont();
    }
    if (m_section)
        m_section->setLinkRun(false, top(), m_styles, m_script, TUrlTarget());
}

void HtmlParser::endOpenLink()
{
    if (m_inLink)
        applyLinkEnd();
}

void HtmlParser::applyForm()
{
    auto form = std::make_unique<ThtmlForm>();
    form->action = attributes().text(Attr::Action);
    form->method = attributes().text(Attr::Method);
    form->target = attributes().text(Attr::Target);
    form->encType = attributes().text(Attr::EncType);
    m_form = form.get();
    m_doc.forms.push_back(std::move(form));
}

std::unique_ptr<TFormControlObj> HtmlParser::newControl(TFormControlObj::Kind kind)
{
    ensureSection();
    auto control =
        std::make_unique<TFormControlObj>(TFormControlObj::fromAttributes(kind, attributes()));
    control->form = m_form;
    return control;
}

TFormControlObj* HtmlParser::placeControl(std::unique_ptr<TFormControlObj> control, int position)
{
    TFormControlObj* placed = m_section->insertControl(std::move(control), position, m_tz.noBreak);
    if (m_form)
        m_form->controls.push_back(placed);
    return placed;
}

void HtmlParser::applyInput()
{
    placeControl(newControl(TFormControlObj::Kind::Input), m_tz.tagStart());
}

void HtmlParser::applyTextArea()
{
    auto control = newControl(TFormControlObj::Kind::TextArea);
    const int position = m_tz.tagStart();
    const QString content = m_tz.readRawText(u"/textarea", false, true);
    control->lines = content.split(u'\r');
    placeControl(std::move(control), position);
}

void HtmlParser::doSelect()
{
    TFormControlObj* select =
        placeControl(newControl(TFormControlObj::Kind::Select), m_tz.tagStart());
    next();
    while (sy() == Sym::Option || sy() == Sym::OptionEnd || sy() == Sym::Text) {
        if (sy() == Sym::Option) {
            TFormControlObj::Option option;
            option.value = attributes().text(Attr::Value);
            option.selected = attributes().find(Attr::Selected) != nullptr;
            select->options.push_back(option);
        } else if (sy() == Sym::Text && !select->options.empty()) {
            select->options.back().text.append(m_tz.token().text());
        }
        next();
    }
    for (TFormControlObj::Option& option : select->options)
        option.text = option.text.trimmed();
    if (sy() == Sym::SelectEnd)
        next();
}

void HtmlParser::doMap()
{
    auto map = std::make_unique<TMapItem>();
    map->name = attributes().text(Attr::Name).toUpper();
    next();
    int others = 0;
    for (;;) {
        if (sy() == Sym::Area) {
            TMapItem::Area area;
            area.shape = attributes().text(Attr::Shape);
            area.coords = attributes().text(Attr::Coords);
            area.href = attributes().text(Attr::Href);
            area.target = attributes().text(Attr::Target);
            area.alt = attributes().text(Attr::Alt);
            area.noHref = attributes().find(Attr::NoHref) != nullptr;
            map->areas.push_back(area);
            next();
        } else if (sy() == Sym::MapEnd) {
            m_doc.maps.push_back(std::move(map));
            next();
            return;
        } else if (sy() == Sym::Eof) {
            return;
        } else if (sy() == Sym::Text) {
            next();
        } else if (++others >= 3) {
            return; // abandoned; the token is handled by the caller
        } else {
            next();
        }
    }
}

void HtmlParser::applyScript()
{
    if (!m_options.onScript)
        return;
    QString script = m_tz.scriptText();
    script.replace(u'\r', QStringLiteral("\r\n"));
    m_options.onScript(attributes().text(Attr::Name), attributes().text(Attr::Language), script);
}

void HtmlParser::doHorizontalRule()
{
    addSection();
    m_cell->add(std::make_unique<THorzLine>(&m_doc, attributes()));
    next();
}

bool HtmlParser::doNestedList(int level, const SymSet& stop)
{
    if (!contains(kListStarts, sy()))
        return false;
    if (m_depth < kMaxNesting) {
        ++m_depth;
        doLists(sy(), level + 1, stop);
        --m_depth;
    } else {
        next();
    }
    return true;
}

void HtmlParser::doLists(Sym list, int level, const SymSet& stop)
{
    int number = 1;
    char16_t numberType = u'1';
    bool plain = false;
    if (list == Sym::Ol) {
        if (const TAttribute* start = attributes().find(Attr::Start); start && start->value >= 0)
            number = start->value;
        if (const TAttribute* type = attributes().find(Attr::Type); type && !type->name.isEmpty()) {
            const char16_t t = type->name[0].unicode();
            if (t == u'1' || t == u'A' || t == u'a' || t == u'I' || t == u'i')
                numberType = t;
        }
    } else if (list == Sym::Ul) {
        plain = attributes().find(Attr::Plain) != nullptr;
    }
    addSection();
    const int savedLevel = m_level;
    m_level = level;
    next();
    while (sy() != Sym::Eof && !contains(kListEnds, sy()) && !contains(stop, sy())) {
        switch (sy()) {
        case Sym::Li: {
            addSection();
            if (list == Sym::Ol) {
                TOListItem& item = startSection<TOListItem>(m_justify, level);
                item.number = number++;
                item.numberType = numberType;
            } else {
                startSection<TUListItem>(m_justify, level).plain = plain;
            }
            m_tz.skipWhiteSpace();
            next();
            if (sy() == Sym::P)
                next();
            break;
        }
        case Sym::Dd:
        case Sym::Dt:
            addSection();
            startSection<TDListItem>(m_justify, sy() == Sym::Dd ? level : level - 1);
            next();
            break;
        case Sym::Hr:
            doHorizontalRule();
            break;
        case Sym::Center:
        case Sym::Div:
            next();
            if (m_depth < kMaxNesting) {
                ++m_depth;
                doBody(stop | kListEnds, level);
                --m_depth;
            }
            break;
        case Sym::Table:
            if (m_section && m_section->len() == 0)
                m_section->addLineBreakSpace(m_tz.tagStart());
            doTable();
            break;
        default:
            if (!doNestedList(level, stop) && !doCommon())
                next();
            break;
        }
    }
    addSection();
    if (contains(kListEnds, sy()))
        next();
    m_level = savedLevel;
}

void HtmlParser::doPre()
{
    addSection();
    const size_t depth = m_fonts.size();
    pushPreFont();
    auto newPreSection = [this] { startSection<TPreFormated>(m_justify, m_level); };
    newPreSection();
    m_tz.preFormatted = true;
    TokenObj pending;
    auto flush = [&] {
        if (!pending.isEmpty()) {
            if (!m_section)
                newPreSection();
            m_section->appendToken(pending, false);
            pending.clear();
        }
    };
    auto endLine = [&] {
        flush();
        addSection();
        newPreSection();
    };
    bool endedByCell = false;
    bool ended = false;
    while (!ended && m_tz.ch() != HtmlTokenizer::kEof) {
        const int c = m_tz.ch();
        if (c == '\r') {
            endLine();
            m_tz.advance();
        } else if (c == '&') {
            m_tz.readEntity(pending);
        } else if (c == '<') {
            flush();
            m_tz.readTag();
            if (!m_section)
                newPreSection();
            switch (sy()) {
            case Sym::Text:
                pending.addToken(m_tz.token());
                break;
            case Sym::P:
            case Sym::Br:
                endLine();
                if (m_tz.ch() == '\r')
                    m_tz.advance();
                break;
            case Sym::PreEnd:
                ended = true;
                break;
            case Sym::TdEnd:
            case Sym::ThEnd:
                ended = true;
                endedByCell = true;
                break;
            case Sym::Img:
                m_section->insertImage(attributes(), m_tz.tagStart(), m_tz.noBreak);
                break;
            case Sym::A:
                applyLinkTag();
                break;
            case Sym::AEnd:
                applyLinkEnd();
                break;
            case Sym::Font:
            case Sym::BaseFont:
                applyFont(sy() == Sym::BaseFont);
                break;
            case Sym::FontEnd:
                if (m_fonts.size() > depth + 1) {
                    popFont();
                    changeFont();
                }
                break;
            case Sym::Form:
                applyForm();
                break;
            case Sym::FormEnd:
                m_form = nullptr;
                break;
            case Sym::Input:
                applyInput();
                break;
            case Sym::TextArea:
                applyTextArea();
                break;
            case Sym::Script:
                applyScript();
                break;
            default:
                // Font styles apply; any other tag, SUB and SUP among them, is dropped.
                applyFontStyle(sy());
                break;
            }
        } else if (c < 32) {
            // Placeholder codes and other control characters never enter the text.
            m_tz.advance();
        } else {
            pending.addChar(char16_t(c), m_tz.chPosition());
            m_tz.advance();
            if (pending.length() > 200)
                flush();
        }
    }
    flush();
    addSection();
    m_tz.preFormatted = false;
    popFontsTo(depth);
    // A cell end closes the block and is left for the table that holds it.
    if (!endedByCell)
        next();
}

struct HtmlParser::TableState
{
    ThtmlTable* table = nullptr;
    TCell* enclosing = nullptr;
    std::unique_ptr<TCellList> row;
    size_t fontDepth = 1;
    FontStyles styles;
};

void HtmlParser::startTableCell(Sym kind, TableState& state)
{
    endOpenLink();
    popFontsTo(state.fontDepth);
    m_styles = state.styles;
    const TAttributeList& attrs = attributes();
    m_tz.noBreak = attrs.find(Attr::NoWrap) && !attrs.find(Attr::Width);
    addSection();
    m_cell = state.enclosing;
    auto cell = std::make_unique<TCellObj>(&m_doc);
    Justify justification = Justify::Centre;
    if (kind == Sym::Caption) {
        state.table->captionBelow = attrs.text(Attr::Align).toLower() == u"bottom";
    } else {
        if (!state.row)
            state.row = std::make_unique<TCellList>();
        justification = state.row->hasAlign ? state.row->align
                        : kind == Sym::Th   ? Justify::Centre
                                            : Justify::Left;
        if (kind == Sym::Th)
            m_styles |= FontStyle::Bold;
        else
            m_styles &= ~FontStyles(FontStyle::Bold);
        if (const TAttribute* a = attrs.find(Attr::Align))
            justification = alignOf(a->name, justification);
        cell->vAlign = vAlignOf(attrs.text(Attr::VAlign), state.row->vAlign);
    }
    for (const TAttribute& a : attrs.items()) {
        switch (a.which) {
        case Attr::ColSpan:
            cell->colSpan = std::max(1, a.value);
            break;
        case Attr::RowSpan:
            cell->rowSpan = std::max(1, a.value);
            break;
        case Attr::Width:
            cell->widthPercent = a.name.endsWith(u'%');
            cell->width =
                cell->widthPercent ? std::clamp(a.value, 0, 100) * 10 : std::max(0, a.value);
            break;
        case Attr::Height:
            cell->specHeight = std::max(0, a.value);
            break;
        case Attr::BgColor:
            if (const auto c = parseHtmlColor(a.name)) {
                cell->bgColor = *c;
                cell->hasBgColor = true;
            }
            break;
        default:
            break;
        }
    }
    if (kind != Sym::Caption && !cell->hasBgColor && state.row->hasBgColor) {
        cell->bgColor = state.row->bgColor;
        cell->hasBgColor = true;
    }
    cell->justify = justification;
    m_cell = cell->cell.get();
    if (kind == Sym::Caption)
        state.table->caption = std::move(cell);
    else
        state.row->cells.push_back(std::move(cell));
    m_justify = justification;
    m_level = 0;
    m_tz.skipWhiteSpace();
    next();
    m_tz.paragraphSpace = true;
    doBody(kCellStop, 0);
    if (kind == Sym::Caption && sy() == Sym::CaptionEnd)
        next();
}

void HtmlParser::doTable()
{
    if (m_depth >= kMaxNesting) {
        next();
        return;
    }
    ++m_depth;
    endOpenLink();
    TableState state;
    state.fontDepth = m_fonts.size();
    state.styles = m_styles;
    state.enclosing = m_cell;
    addSection();
    const Justify savedJustify = m_justify;
    const bool savedNoBreak = m_tz.noBreak;
    const int savedLevel = m_level;
    auto table = std::make_unique<ThtmlTable>(&m_doc, attributes(), m_level, m_justify, m_cell,
                                              m_cell == &m_doc);
    state.table = table.get();
    auto finishCell = [&] {
        addSection();
        m_cell = state.enclosing;
        m_justify = savedJustify;
        m_level = savedLevel;
    };
    auto finishRow = [&] {
        if (state.row)
            table->rows.push_back(std::move(state.row));
        state.row.reset();
    };
    next();
    while (sy() != Sym::Eof && sy() != Sym::TableEnd) {
        switch (sy()) {
        case Sym::Td:
        case Sym::Th:
        case Sym::Caption:
            startTableCell(sy(), state);
            break;
        case Sym::TdEnd:
        case Sym::ThEnd:
        case Sym::CaptionEnd:
            finishCell();
            next();
            break;
        case Sym::Tr: {
            endOpenLink();
            finishCell();
            finishRow();
            state.row = std::make_unique<TCellList>();
            for (const TAttribute& a : attributes().items()) {
                if (a.which == Attr::BgColor) {
                    if (const auto c = parseHtmlColor(a.name)) {
                        state.row->bgColor = *c;
                        state.row->hasBgColor = true;
                    }
                } else if (a.which == Attr::Align) {
                    const Justify j = alignOf(a.name, Justify(0));
                    if (j != Justify(0)) {
                        state.row->align = j;
                        state.row->hasAlign = true;
                    }
                } else if (a.which == Attr::VAlign) {
                    state.row->vAlign = vAlignOf(a.name, 1);
                }
            }
            next();
            break;
        }
        case Sym::TrEnd:
            endOpenLink();
            finishCell();
            finishRow();
            next();
            break;
        case Sym::Text:
            // Text outside any cell goes to the enclosing cell, before the table.
            finishCell();
            appendText();
            next();
            break;
        default:
            next();
            break;
        }
    }
    endOpenLink();
    popFontsTo(state.fontDepth);
    finishCell();
    finishRow();
    m_cell = state.enclosing;
    m_cell->add(std::move(table));
    m_styles = state.styles;
    m_tz.noBreak = savedNoBreak;
    m_justify = savedJustify;
    m_level = savedLevel;
    next();
    --m_depth;
}

void HtmlParser::parsePlainText()
{
    m_tz.setCommentRecognition(false);
    addSection();
    pushPreFont();
    // Plain text has no links and no lists.
    auto newPreSection = [this] { startSection<TPreFormated>(m_justify, 0); };
    newPreSection();
    m_tz.preFormatted = true;
    TokenObj pending;
    auto flush = [&] {
        m_section->appendToken(pending, false);
        pending.clear();
    };
    while (m_tz.ch() != HtmlTokenizer::kEof) {
        const int c = m_tz.ch();
        if (c == '\r') {
            flush();
            addSection();
            newPreSection();
        } else if (c >= 32) {
            pending.addChar(char16_t(c), m_tz.chPosition());
            if (pending.length() > 200)
                flush();
        }
        m_tz.advance();
    }
    flush();
    m_tz.preFormatted = false;
    finish();
}

} // namespace vantoro
