#pragma once

#include "htmlview/HtmlTypes.h"

#include <QString>
#include <QStringView>

#include <bitset>
#include <optional>
#include <string_view>

// The vocabulary of the HTML reader: token kinds, the tag and attribute tables, the entity table
// and colour values.

namespace vantoro {

// Kind of a token. Tags with an end tag have a start and an end symbol (Foo, FooEnd); the
// others only a start symbol. Headings are the single tag H with a level beside the symbol.
enum class Sym : quint8 {
    Eof,
    Text,
    Other,   // a stray character the tag handling ignores
    Unknown, // an unknown tag, or the end tag of a tag that has none
    Html,
    HtmlEnd,
    Title,
    TitleEnd,
    Body,
    BodyEnd,
    Head,
    HeadEnd,
    B,
    BEnd,
    I,
    IEnd,
    H,
    HEnd,
    Em,
    EmEnd,
    Strong,
    StrongEnd,
    U,
    UEnd,
    Cite,
    CiteEnd,
    Var,
    VarEnd,
    Tt,
    TtEnd,
    Code,
    CodeEnd,
    Kbd,
    KbdEnd,
    Samp,
    SampEnd,
    Ol,
    OlEnd,
    Ul,
    UlEnd,
    Dir,
    DirEnd,
    Menu,
    MenuEnd,
    Dl,
    DlEnd,
    A,
    AEnd,
    Address,
    AddressEnd,
    BlockQuote,
    BlockQuoteEnd,
    Pre,
    PreEnd,
    Center,
    CenterEnd,
    Table,
    TableEnd,
    Td,
    TdEnd,
    Th,
    ThEnd,
    Caption,
    CaptionEnd,
    Form,
    FormEnd,
    TextArea,
    TextAreaEnd,
    Select,
    SelectEnd,
    Option,
    OptionEnd,
    Font,
    FontEnd,
    Sub,
    SubEnd,
    Sup,
    SupEnd,
    Big,
    BigEnd,
    Small,
    SmallEnd,
    P,
    PEnd,
    Map,
    MapEnd,
    FrameSet,
    FrameSetEnd,
    NoFrames,
    NoFramesEnd,
    Script,
    ScriptEnd,
    Div,
    DivEnd,
    S,
    SEnd,
    Strike,
    StrikeEnd,
    Tr,
    TrEnd,
    NoBr,
    NoBrEnd,
    Li,
    Br,
    Hr,
    Dd,
    Dt,
    Img,
    Base,
    Button,
    Input,
    Selected,
    BaseFont,
    Area,
    Frame,
    BgSound,
    Wrap,
    Meta,
    Wbr,
    Count
};

using SymSet = std::bitset<size_t(Sym::Count)>;

inline SymSet symSet(std::initializer_list<Sym> syms)
{
    SymSet set;
    for (Sym s : syms)
        set.set(size_t(s));
    return set;
}

inline bool contains(const SymSet& set, Sym s)
{
    return set.test(size_t(s));
}

enum class Attr : quint8 {
    Unknown,
    Href,
    Name,
    Src,
    Alt,
    Align,
    Text,
    BgColor,
    Link,
    Background,
    ColSpan,
    RowSpan,
    Border,
    CellPadding,
    CellSpacing,
    VAlign,
    Width,
    Start,
    Value,
    Type,
    Checkbox,
    Radio,
    Method,
    Action,
    Checked,
    Size,
    MaxLength,
    Cols,
    Rows,
    Multiple,
    Selected,
    Face,
    Color,
    Transp,
    Clear,
    IsMap,
    BorderColor,
    UseMap,
    Shape,
    Coords,
    NoHref,
    Height,
    Plain,
    Target,
    NoResize,
    Scrolling,
    HSpace,
    Language,
    FrameBorder,
    MarginWidth,
    MarginHeight,
    Loop,
    OnClick,
    Wrap,
    NoShade,
    HttpEquiv,
    Content,
    EncType,
    VLink,
    OLink,
    Active,
    VSpace,
    NoWrap,
};

// Tag name (upper-case letters) to symbol; Sym::Unknown when the name is not in the table or
// an end tag is asked of a tag without one.
Sym lookupTag(std::string_view upperName, bool endTag);
// Attribute name (upper case) to attribute; Attr::Unknown when not in the table.
Attr lookupAttribute(std::string_view upperName);
// Whether a tag's attributes are kept for the tag handling (only start symbols keep them).
bool keepsAttributes(Sym sym);
// Upper-case tag name of a symbol (start or end), for dumps and messages.
const char* tagName(Sym sym);
const char* attributeName(Attr attr);

// Named character reference (case-sensitive name without & and ;) to its text; empty when
// unknown. hellip gives three characters.
QStringView lookupEntity(QStringView name);

// A colour value as HTML writes it: one of the 16 colour names, or hexadecimal RRGGBB with or
// without '#'. Short values are padded on the right with '0' (so "#FFF" is FFF000). The result
// is 0x00BBGGRR with kHtmlColorFlag set; nothing when the value is empty or not hexadecimal.
std::optional<TColor> parseHtmlColor(QStringView value);

} // namespace vantoro
