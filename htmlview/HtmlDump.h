#pragma once

#include <QString>
#include <QStringView>

namespace vantoro {

class TSectionList;

// A plain-text picture of a document for tests and debugging: one line per section with its
// kind and settings, its text with special characters made visible, its font runs (start,
// face, size, styles, colour, link) and source-position runs; tables show their rows and cells
// with the cells' sections indented below them.
QString dumpDocument(const TSectionList& document);

// Text with every character below 32, '{' and the non-breaking space written as {code}.
QString visibleText(QStringView text);

} // namespace vantoro
