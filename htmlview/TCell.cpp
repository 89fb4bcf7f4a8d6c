#include "htmlview/TCell.h"

#include "htmlview/TSection.h"
#include "htmlview/ThtmlTable.h"

namespace vantoro {

namespace {

// Frees sections with an explicit work list: a table's cells hand their sections to the list
// before the table goes, so the depth of nesting never reaches the call stack.
void dismantle(std::vector<std::unique_ptr<TSectionBase>>&& sections)
{
    std::vector<std::unique_ptr<TSectionBase>> work = std::move(sections);
    while (!work.empty()) {
        std::unique_ptr<TSectionBase> section = std::move(work.back());
        work.pop_back();
        if (section && section->kind() == SectionKind::Table)
            static_cast<ThtmlTable*>(section.get())->releaseSections(work);
    }
}

} // namespace

TCell::~TCell()
{
    dismantle(std::move(sections));
}

void TCell::clearSections()
{
    dismantle(std::move(sections));
    sections.clear();
    len = 0;
}

void TCell::add(std::unique_ptr<TSectionBase> section)
{
    if (!section)
        return;
    if (section->kind() == SectionKind::Text &&
        static_cast<const TSection*>(section.get())->isDisposable())
        return;
    section->document = document;
    switch (section->kind()) {
    case SectionKind::Text:
    case SectionKind::Preformatted:
    case SectionKind::UnorderedItem:
    case SectionKind::OrderedItem:
    case SectionKind::DefinitionItem: {
        auto* text = static_cast<TSection*>(section.get());
        text->complete();
        len += text->len();
        break;
    }
    default:
        break;
    }
    section->updateMetrics();
    sections.push_back(std::move(section));
}

} // namespace vantoro
