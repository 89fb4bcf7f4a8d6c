#pragma once

#include "htmlview/ModelPool.h"

#include <QtGlobal>

namespace vantoro {

class TSectionList;

enum class SectionKind : quint8 {
    Text,
    Preformatted,
    UnorderedItem,
    OrderedItem,
    DefinitionItem,
    ParagraphSpace,
    HeadingSpace,
    HorzLine,
    Table,
};

// A block of the document. Geometry fields are pixels of the last layout.
class TSectionBase
{
public:
    VANTORO_MODEL_POOLED

    explicit TSectionBase(TSectionList* owner) : document(owner) {}
    virtual ~TSectionBase() = default;
    TSectionBase(const TSectionBase&) = delete;
    TSectionBase& operator=(const TSectionBase&) = delete;

    virtual SectionKind kind() const = 0;
    // Re-reads sizes that depend on the document's default font.
    virtual void updateMetrics() {}
    virtual void refreshFonts() { updateMetrics(); }

    TSectionList* document;
    int sectionHeight = 0;
    int drawHeight = 0; // including floating images that hang below
    int yValue = 0;     // top, set by layout
    int startCurs = 0;  // document index of the first character
};

} // namespace vantoro
