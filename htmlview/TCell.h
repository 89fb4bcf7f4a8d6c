#pragma once

#include "htmlview/TSectionBase.h"

#include <memory>
#include <vector>

namespace vantoro {

// A list of sections in reading order: the document itself or the content of a table cell.
// Destroying or clearing a cell never recurses per level of nested tables.
class TCell
{
public:
    explicit TCell(TSectionList* owner) : document(owner) {}
    virtual ~TCell();
    TCell(const TCell&) = delete;
    TCell& operator=(const TCell&) = delete;

    // Completes and appends a section; a plain text section holding nothing is dropped instead.
    void add(std::unique_ptr<TSectionBase> section);
    bool isEmpty() const { return sections.empty(); }
    void clearSections();

    TSectionList* document;
    std::vector<std::unique_ptr<TSectionBase>> sections;
    int yValue = 0;    // where it was last laid out
    int startCurs = 0; // cursor index of its first character
    int len = 0;       // characters in its text sections
};

} // namespace vantoro
