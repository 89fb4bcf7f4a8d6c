#pragma once

#include "htmlview/IndexObj.h"
#include "htmlview/LineRec.h"
#include "htmlview/TFontObj.h"
#include "htmlview/TFormControlObj.h"
#include "htmlview/TImageObj.h"
#include "htmlview/TSectionBase.h"
#include "htmlview/TokenObj.h"

#include <QString>

#include <memory>
#include <vector>

namespace vantoro {

using TFontList = std::vector<std::unique_ptr<TFontObj>>;

// A paragraph of text: its characters, the source position of each (as IndexObj runs), its font
// runs and the images and form controls that stand in the text as placeholder characters.
// A section is filled by the parser and complete once it is added to a cell.
class TSection : public TSectionBase
{
public:
    // The first font run is `font` with `styles` OR-ed in; when `link` is a link the run is a
    // link run and is entered in the document's link list.
    TSection(TSectionList* owner, Justify justification, const TUrlTarget* link,
             const TMyFont& font, FontStyles styles, int level, int indentStep = 35);

    SectionKind kind() const override { return SectionKind::Text; }

    int len() const { return int(text.size()); }
    void appendChar(char16_t c, int position, bool noBreak);
    // Appends a token following the space rules of running text; `noBreak` is the NOBR state,
    // in which the token's kNoBreakSpaceMark characters become non-breaking spaces.
    virtual void appendToken(const TokenObj& token, bool noBreak);
    // Text from here on is set in `font` with `styles` OR-ed in, in script state `script`.
    void switchFont(const TMyFont& font, FontStyles styles, int script);
    // Starts (`start`) or ends a link run.
    void setLinkRun(bool start, const TMyFont& font, FontStyles styles, int script,
                    const TUrlTarget& link);
    void insertImage(const TAttributeList& attributes, int position, bool noBreak);
    TFormControlObj* insertControl(std::unique_ptr<TFormControlObj> control, int position,
                                   bool noBreak);
    // The BR step: an empty section receives one space so that the empty line keeps its height.
    Justify addLineBreakSpace(int position);

    // Index of the font run that covers character `index` (the last run starting at or before).
    int fontRunAt(int index) const;
    // Characters from `index` to the end of the run that covers it.
    int runLengthFrom(int index) const;
    // Source position of character `index`, from the index runs.
    int sourcePosOf(int index) const;
    // A plain section with nothing in it and nothing pointing at it can be dropped unseen.
    bool isDisposable() const;
    // Called when the section is added to a cell: no more text comes, spare room is freed.
    void complete();

    QString text;
    std::vector<IndexObj> sourceIndex;
    TFontList fonts;
    std::vector<std::unique_ptr<TImageObj>> images;
    std::vector<std::unique_ptr<TFormControlObj>> formControls;
    int indent = 0;
    int listLevel = 0;
    std::vector<LineRec> lines;
    TMyFont defaultFont;
    Justify justify = Justify::Left;
    int clearMode = 0; // 0 none, 1 left, 2 right, 3 both
    int firstLineLeft = 0;
    bool anchored = false; // an <A NAME> points here

protected:
    // Appends characters and their positions without any space rule.
    void appendRaw(QStringView chars, const qint32* positions);
    // Appends characters whose positions run on by one from `firstPosition`.
    void appendRun(QStringView chars, qint32 firstPosition);
    // Appends the token's characters from index `skip` on without any space rule.
    void appendTokenFrom(const TokenObj& token, qsizetype skip);

private:
    static constexpr int kInitialCapacity = 160;

    bool allFloatingImages() const { return m_floatingImageChars == len() && len() > 0; }

    int m_lastPos = -2;
    int m_floatingImageChars = 0; // leading placeholders of floating images
};

} // namespace vantoro
