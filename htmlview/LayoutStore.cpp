#include "htmlview/LayoutStore.h"

#include "htmlview/TableLayout.h"

namespace vantoro {

LayoutStore::LayoutStore() = default;
LayoutStore::~LayoutStore() = default;

void LayoutStore::clear()
{
    images.clear();
    rules.clear();
    tables.clear();
    cellWidths.clear();
    sectionIndexes.clear();
}

} // namespace vantoro
