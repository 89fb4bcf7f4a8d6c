#pragma once

#include "htmlview/HtmlTypes.h"
#include "htmlview/TCell.h"
#include "htmlview/TMapItem.h"
#include "htmlview/TUrlTarget.h"
#include "htmlview/ThtmlForm.h"

#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace vantoro {

struct TFontObj;
struct TImageObj;

// The document: the top cell plus everything that holds for the whole text. Cleared and
// refilled for each load.
class TSectionList : public TCell
{
public:
    TSectionList();
    ~TSectionList() override;

    // Empties the document and every list it keeps; settings (fonts, colours) stay.
    void clear();

    QString defaultFontName = QStringLiteral("Times New Roman"); // at most 32 characters
    QString preFontName = QStringLiteral("Courier New");
    int defaultFontSize = 12; // points; every font size is scaled by it
    TColor fontColor = clBtnText;
    TColor linkVisitedColor = clPurple;
    TColor hoverLinkColor = clBlue;
    TColor linkColor = clBlue;
    HtmlCharSet charSet = HtmlCharSet::Default;
    FontStyles linkStyle = FontStyle::Underline;
    bool hoverColoring = false;
    TColor background = clBtnFace;
    QString backgroundImageName;
    bool viewImages = true;
    int scrollOffset = 0;
    int selStart = -1;
    int selEnd = -1;
    bool showCaret = false;

    std::vector<std::unique_ptr<ThtmlForm>> forms;
    std::vector<std::unique_ptr<TMapItem>> maps;
    std::vector<TFontObj*> links; // every link run, in document order
    // Where link runs point: one entry per link, so a run costs a pointer, not two strings.
    std::deque<TUrlTarget> linkTargets;
    // The kept copy of `target` (the last one kept when it is the same).
    const TUrlTarget* keepLinkTarget(const TUrlTarget& target);
    std::vector<TImageObj*> animatedImages;
    TFontObj* activeLink = nullptr;
    TImageObj* activeImage = nullptr;
    QString copyBuffer;

    // Called when BODY sets the background colour (the view takes it as its own colour).
    std::function<void(TColor)> onBackgroundChanged;
    void setBackground(TColor color);
};

} // namespace vantoro
