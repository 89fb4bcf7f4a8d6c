#include "htmlview/HtmlSymbols.h"

#include <algorithm>
#include <array>
#include <vector>

namespace vantoro {

namespace {

struct TagEntry
{
    std::string_view name;
    Sym start;
    Sym end; // Sym::Unknown for tags without an end tag
};

// Table order is the recognition order of the tag set; the lookup sorts a copy by name.
constexpr TagEntry kTags[] = {
    {"HTML", Sym::Html, Sym::HtmlEnd},
    {"TITLE", Sym::Title, Sym::TitleEnd},
    {"BODY", Sym::Body, Sym::BodyEnd},
    {"HEAD", Sym::Head, Sym::HeadEnd},
    {"B", Sym::B, Sym::BEnd},
    {"I", Sym::I, Sym::IEnd},
    {"H", Sym::H, Sym::HEnd},
    {"EM", Sym::Em, Sym::EmEnd},
    {"STRONG", Sym::Strong, Sym::StrongEnd},
    {"U", Sym::U, Sym::UEnd},
    {"CITE", Sym::Cite, Sym::CiteEnd},
    {"VAR", Sym::Var, Sym::VarEnd},
    {"TT", Sym::Tt, Sym::TtEnd},
    {"CODE", Sym::Code, Sym::CodeEnd},
    {"KBD", Sym::Kbd, Sym::KbdEnd},
    {"SAMP", Sym::Samp, Sym::SampEnd},
    {"OL", Sym::Ol, Sym::OlEnd},
    {"UL", Sym::Ul, Sym::UlEnd},
    {"DIR", Sym::Dir, Sym::DirEnd},
    {"MENU", Sym::Menu, Sym::MenuEnd},
    {"DL", Sym::Dl, Sym::DlEnd},
    {"A", Sym::A, Sym::AEnd},
    {"ADDRESS", Sym::Address, Sym::AddressEnd},
    {"BLOCKQUOTE", Sym::BlockQuote, Sym::BlockQuoteEnd},
    {"PRE", Sym::Pre, Sym::PreEnd},
    {"CENTER", Sym::Center, Sym::CenterEnd},
    {"TABLE", Sym::Table, Sym::TableEnd},
    {"TD", Sym::Td, Sym::TdEnd},
    {"TH", Sym::Th, Sym::ThEnd},
    {"CAPTION", Sym::Caption, Sym::CaptionEnd},
    {"FORM", Sym::Form, Sym::FormEnd},
    {"TEXTAREA", Sym::TextArea, Sym::TextAreaEnd},
    {"SELECT", Sym::Select, Sym::SelectEnd},
    {"OPTION", Sym::Option, Sym::OptionEnd},
    {"FONT", Sym::Font, Sym::FontEnd},
    {"SUB", Sym::Sub, Sym::SubEnd},
    {"SUP", Sym::Sup, Sym::SupEnd},
    {"BIG", Sym::Big, Sym::BigEnd},
    {"SMALL", Sym::Small, Sym::SmallEnd},
    {"P", Sym::P, Sym::PEnd},
    {"MAP", Sym::Map, Sym::MapEnd},
    {"FRAMESET", Sym::FrameSet, Sym::FrameSetEnd},
    {"NOFRAMES", Sym::NoFrames, Sym::NoFramesEnd},
    {"SCRIPT", Sym::Script, Sym::ScriptEnd},
    {"DIV", Sym::Div, Sym::DivEnd},
    {"S", Sym::S, Sym::SEnd},
    {"STRIKE", Sym::Strike, Sym::StrikeEnd},
    {"TR", Sym::Tr, Sym::TrEnd},
    {"NOBR", Sym::NoBr, Sym::NoBrEnd},
    {"LI", Sym::Li, Sym::Unknown},
    {"BR", Sym::Br, Sym::Unknown},
    {"HR", Sym::Hr, Sym::Unknown},
    {"DD", Sym::Dd, Sym::Unknown},
    {"DT", Sym::Dt, Sym::Unknown},
    {"IMG", Sym::Img, Sym::Unknown},
    {"BASE", Sym::Base, Sym::Unknown},
    {"BUTTON", Sym::Button, Sym::Unknown},
    {"INPUT", Sym::Input, Sym::Unknown},
    {"SELECTED", Sym::Selected, Sym::Unknown},
    {"BASEFONT", Sym::BaseFont, Sym::Unknown},
    {"AREA", Sym::Area, Sym::Unknown},
    {"FRAME", Sym::Frame, Sym::Unknown},
    {"BGSOUND", Sym::BgSound, Sym::Unknown},
    {"WRAP", Sym::Wrap, Sym::Unknown},
    {"META", Sym::Meta, Sym::Unknown},
    {"WBR", Sym::Wbr, Sym::Unknown},
};
static_assert(std::size(kTags) == 66);

struct AttrEntry
{
    std::string_view name;
    Attr attr;
};

constexpr AttrEntry kAttributes[] = {
    {"HREF", Attr::Href},
    {"NAME", Attr::Name},
    {"SRC", Attr::Src},
    {"ALT", Attr::Alt},
    {"ALIGN", Attr::Align},
    {"TEXT", Attr::Text},
    {"BGCOLOR", Attr::BgColor},
    {"LINK", Attr::Link},
    {"BACKGROUND", Attr::Background},
    {"COLSPAN", Attr::ColSpan},
    {"ROWSPAN", Attr::RowSpan},
    {"BORDER", Attr::Border},
    {"CELLPADDING", Attr::CellPadding},
    {"CELLSPACING", Attr::CellSpacing},
    {"VALIGN", Attr::VAlign},
    {"WIDTH", Attr::Width},
    {"START", Attr::Start},
    {"VALUE", Attr::Value},
    {"TYPE", Attr::Type},
    {"CHECKBOX", Attr::Checkbox},
    {"RADIO", Attr::Radio},
    {"METHOD", Attr::Method},
    {"ACTION", Attr::Action},
    {"CHECKED", Attr::Checked},
    {"SIZE", Attr::Size},
    {"MAXLENGTH", Attr::MaxLength},
    {"COLS", Attr::Cols},
    {"ROWS", Attr::Rows},
    {"MULTIPLE", Attr::Multiple},
    {"SELECTED", Attr::Selected},
    {"FACE", Attr::Face},
    {"COLOR", Attr::Color},
    {"TRANSP", Attr::Transp},
    {"CLEAR", Attr::Clear},
    {"ISMAP", Attr::IsMap},
    {"BORDERCOLOR", Attr::BorderColor},
    {"USEMAP", Attr::UseMap},
    {"SHAPE", Attr::Shape},
    {"COORDS", Attr::Coords},
    {"NOHREF", Attr::NoHref},
    {"HEIGHT", Attr::Height},
    {"PLAIN", Attr::Plain},
    {"TARGET", Attr::Target},
    {"NORESIZE", Attr::NoResize},
    {"SCROLLING", Attr::Scrolling},
    {"HSPACE", Attr::HSpace},
    {"LANGUAGE", Attr::Language},
    {"FRAMEBORDER", Attr::FrameBorder},
    {"MARGINWIDTH", Attr::MarginWidth},
    {"MARGINHEIGHT", Attr::MarginHeight},
    {"LOOP", Attr::Loop},
    {"ONCLICK", Attr::OnClick},
    {"WRAP", Attr::Wrap},
    {"NOSHADE", Attr::NoShade},
    {"HTTP-EQUIV", Attr::HttpEquiv},
    {"CONTENT", Attr::Content},
    {"ENCTYPE", Attr::EncType},
    {"VLINK", Attr::VLink},
    {"OLINK", Attr::OLink},
    {"ACTIVE", Attr::Active},
    {"VSPACE", Attr::VSpace},
    {"NOWRAP", Attr::NoWrap},
};

// Open-addressed table over the names of an entry table: a tag or attribute name is found with
// one hash of its length and three of its characters and, nearly always, one comparison.
template <typename Entry, size_t N> class NameIndex
{
public:
    explicit NameIndex(const Entry (&table)[N]) : m_table(table)
    {
        m_slots.fill(-1);
        for (size_t i = 0; i < N; ++i) {
            size_t slot = hash(table[i].name);
            while (m_slots[slot] >= 0)
                slot = (slot + 1) & kMask;
            m_slots[slot] = qint16(i);
        }
    }
    const Entry* find(std::string_view name) const
    {
        if (name.empty())
            return nullptr;
        for (size_t slot = hash(name);; slot = (slot + 1) & kMask) {
            const int i = m_slots[slot];
            if (i < 0)
                return nullptr;
            if (sameName(m_table[i].name, name))
                return &m_table[i];
        }
    }

private:
    static constexpr size_t kSize = 256; // more than twice the entries: probes stay short
    static constexpr size_t kMask = kSize - 1;
    static_assert(N * 2 < kSize);

    // Names are a few characters long: a plain loop beats a call to memcmp.
    static bool sameName(std::string_view a, std::string_view b)
    {
        if (a.size() != b.size())
            return false;
        for (size_t k = 0; k < a.size(); ++k) {
            if (a[k] != b[k])
                return false;
        }
        return true;
    }

    static size_t hash(std::string_view name)
    {
        const size_t n = name.size();
        const size_t first = uchar(name[0]);
        const size_t last = uchar(name[n - 1]);
        const size_t middle = uchar(name[n / 2]);
        return (n * 97 + first * 31 + last * 7 + middle * 13) & kMask;
    }

    const Entry (&m_table)[N];
    std::array<qint16, kSize> m_slots;
};

struct EntityEntry
{
    const char16_t* name;
    const char16_t* text;
};

// The first eight give strings; the rest are the Latin-1 names for code points 160..255.
constexpr EntityEntry kSpecialEntities[] = {
    {u"amp", u"&"},   {u"lt", u"<"},    {u"gt", u">"},         {u"quot", u"\""},
    {u"rsquo", u"'"}, {u"ndash", u"-"}, {u"trade", u"\u2122"}, {u"hellip", u"..."},
};

constexpr const char16_t* kLatin1Entities[96] = {
    u"nbsp",   u"iexcl",  u"cent",   u"pound",  u"curren", u"yen",    u"brvbar", u"sect",
    u"uml",    u"copy",   u"ordf",   u"laquo",  u"not",    u"shy",    u"reg",    u"macr",
    u"deg",    u"plusmn", u"sup2",   u"sup3",   u"acute",  u"micro",  u"para",   u"middot",
    u"cedil",  u"sup1",   u"ordm",   u"raquo",  u"frac14", u"frac12", u"frac34", u"iquest",
    u"Agrave", u"Aacute", u"Acirc",  u"Atilde", u"Auml",   u"Aring",  u"AElig",  u"Ccedil",
    u"Egrave", u"Eacute", u"Ecirc",  u"Euml",   u"Igrave", u"Iacute", u"Icirc",  u"Iuml",
    u"ETH",    u"Ntilde", u"Ograve", u"Oacute", u"Ocirc",  u"Otilde", u"Ouml",   u"times",
    u"Oslash", u"Ugrave", u"Uacute", u"Ucirc",  u"Uuml",   u"Yacute", u"THORN",  u"szlig",
    u"agrave", u"aacute", u"acirc",  u"atilde", u"auml",   u"aring",  u"aelig",  u"ccedil",
    u"egrave", u"eacute", u"ecirc",  u"euml",   u"igrave", u"iacute", u"icirc",  u"iuml",
    u"eth",    u"ntilde", u"ograve", u"oacute", u"ocirc",  u"otilde", u"ouml",   u"divide",
    u"oslash", u"ugrave", u"uacute", u"ucirc",  u"uuml",   u"yacute", u"thorn",  u"yuml",
};

struct EntityTable
{
    std::vector<std::pair<std::u16string_view, QStringView>> entries;
    char16_t latin1[96] = {};

    EntityTable()
    {
        for (const auto& e : kSpecialEntities)
            entries.emplace_back(std::u16string_view(e.name), QStringView(e.text));
        for (int i = 0; i < 96; ++i) {
            latin1[i] = char16_t(160 + i);
            entries.emplace_back(std::u16string_view(kLatin1Entities[i]),
                                 QStringView(&latin1[i], 1));
        }
        slots.fill(-1);
        for (size_t i = 0; i < entries.size(); ++i) {
            size_t slot = hash(entries[i].first);
            while (slots[slot] >= 0)
                slot = (slot + 1) & kMask;
            slots[slot] = qint16(i);
        }
    }

    QStringView find(std::u16string_view name) const
    {
        if (name.empty())
            return {};
        for (size_t slot = hash(name);; slot = (slot + 1) & kMask) {
            const int i = slots[slot];
            if (i < 0)
                return {};
            if (entries[size_t(i)].first == name)
                return entries[size_t(i)].second;
        }
    }

    // Open addressing with more than twice the entries in slots, as for tag names.
    static constexpr size_t kSlots = 256;
    static constexpr size_t kMask = kSlots - 1;
    std::array<qint16, kSlots> slots;

    static size_t hash(std::u16string_view name)
    {
        const size_t n = name.size();
        return (n * 97 + size_t(name[0]) * 31 + size_t(name[n - 1]) * 7 +
                size_t(name[n / 2]) * 13) &
               kMask;
    }
};

struct NamedColor
{
    std::u16string_view name;
    quint32 rgb;
};

constexpr NamedColor kColorNames[] = {
    {u"BLACK", 0x000000},  {u"MAROON", 0x800000},  {u"GREEN", 0x008000}, {u"OLIVE", 0x808000},
    {u"NAVY", 0x000080},   {u"PURPLE", 0x800080},  {u"TEAL", 0x008080},  {u"GRAY", 0x808080},
    {u"SILVER", 0xC0C0C0}, {u"RED", 0xFF0000},     {u"LIME", 0x00FF00},  {u"YELLOW", 0xFFFF00},
    {u"BLUE", 0x0000FF},   {u"FUCHSIA", 0xFF00FF}, {u"AQUA", 0x00FFFF},  {u"WHITE", 0xFFFFFF},
};

TColor fromRgb(quint32 rgb)
{
    const quint32 r = (rgb >> 16) & 0xFF;
    const quint32 g = (rgb >> 8) & 0xFF;
    const quint32 b = rgb & 0xFF;
    return (b << 16) | (g << 8) | r;
}

} // namespace

Sym lookupTag(std::string_view upperName, bool endTag)
{
    static const NameIndex index(kTags);
    const TagEntry* entry = index.find(upperName);
    if (!entry)
        return Sym::Unknown;
    return endTag ? entry->end : entry->start;
}

Attr lookupAttribute(std::string_view upperName)
{
    static const NameIndex index(kAttributes);
    const AttrEntry* entry = index.find(upperName);
    return entry ? entry->attr : Attr::Unknown;
}

namespace {

constexpr std::array<bool, size_t(Sym::Count)> keepingTable()
{
    std::array<bool, size_t(Sym::Count)> table{};
    for (Sym s :
         {Sym::Body,     Sym::P,     Sym::Br,   Sym::H,        Sym::Hr,     Sym::Base,   Sym::Ol,
          Sym::Ul,       Sym::Img,   Sym::A,    Sym::Table,    Sym::Td,     Sym::Tr,     Sym::Th,
          Sym::Caption,  Sym::Input, Sym::Form, Sym::TextArea, Sym::Select, Sym::Option, Sym::Font,
          Sym::BaseFont, Sym::Map,   Sym::Area, Sym::FrameSet, Sym::Frame,  Sym::Script, Sym::Div,
          Sym::BgSound,  Sym::Wrap,  Sym::Meta})
        table[size_t(s)] = true;
    return table;
}

constexpr std::array<bool, size_t(Sym::Count)> kKeepsAttributes = keepingTable();

} // namespace

bool keepsAttributes(Sym sym)
{
    return size_t(sym) < kKeepsAttributes.size() && kKeepsAttributes[size_t(sym)];
}

const char* tagName(Sym sym)
{
    switch (sym) {
    case Sym::Eof:
        return "EOF";
    case Sym::Text:
        return "TEXT";
    case Sym::Other:
        return "OTHER";
    case Sym::Unknown:
        return "UNKNOWN";
    default:
        break;
    }
    for (const TagEntry& e : kTags) {
        if (e.start == sym || e.end == sym)
            return e.name.data();
    }
    return "?";
}

const char* attributeName(Attr attr)
{
    for (const AttrEntry& e : kAttributes) {
        if (e.attr == attr)
            return e.name.data();
    }
    return "UNKNOWN";
}

QStringView lookupEntity(QStringView name)
{
    static const EntityTable table;
    return table.find(std::u16string_view(name.utf16(), size_t(name.size())));
}

std::optional<TColor> parseHtmlColor(QStringView value)
{
    if (value.isEmpty())
        return std::nullopt;
    // The usual form, '#' and six hex digits, read directly.
    if (value.size() == 7 && value[0] == u'#') {
        quint32 number = 0;
        qsizetype i = 1;
        for (; i < 7; ++i) {
            const char16_t u = value[i].unicode();
            const int digit = (u >= '0' && u <= '9')   ? u - '0'
                              : (u >= 'A' && u <= 'F') ? u - 'A' + 10
                              : (u >= 'a' && u <= 'f') ? u - 'a' + 10
                                                       : -1;
            if (digit < 0)
                break;
            number = number * 16 + quint32(digit);
        }
        if (i == 7)
            return fromRgb(number) | kHtmlColorFlag;
    }
    // At most 10 characters count, upper-cased.
    char16_t text[10];
    const qsizetype length = std::min<qsizetype>(value.size(), 10);
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = value[i].unicode();
        text[i] = (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
    }
    const std::u16string_view upper(text, size_t(length));
    if (upper[0] != u'#') { // no colour name starts with '#'
        for (const NamedColor& c : kColorNames) {
            if (upper == c.name)
                return fromRgb(c.rgb) | kHtmlColorFlag;
        }
    }
    // Remove the first '#', wherever it stands; pad on the right with '0' to six digits.
    quint64 number = 0;
    int digits = 0;
    bool hashRemoved = false;
    for (char16_t u : upper) {
        if (u == u'#' && !hashRemoved) {
            hashRemoved = true;
            continue;
        }
        const int digit = (u >= '0' && u <= '9')   ? u - '0'
                          : (u >= 'A' && u <= 'F') ? u - 'A' + 10
                                                   : -1;
        if (digit < 0)
            return std::nullopt;
        number = number * 16 + quint64(digit);
        ++digits;
    }
    for (; digits < 6; ++digits)
        number *= 16;
    if (number > 0xFFFFFFFFu)
        return std::nullopt;
    // Only the 24 colour bits count: anything above them would be read as a palette mode.
    return fromRgb(quint32(number) & 0xFFFFFF) | kHtmlColorFlag;
}

} // namespace vantoro
