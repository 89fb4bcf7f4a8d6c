#pragma once

#include <QString>

namespace vantoro {

// A font family name as a font run holds it. A document names few families while it has
// thousands of runs, so each distinct name is kept once for the whole program and a FontName
// is a pointer to it: copying, comparing and destroying one touch no string.
//
// At most kMaxNames distinct names are kept; a name beyond that reads as the empty name (the
// toolkit's default family), so that documents with endless invented names cannot grow the
// program without bound.
class FontName
{
public:
    static constexpr int kMaxNames = 4096;

    FontName() = default;
    FontName(const QString& name) : m_name(keep(name)) {} // NOLINT: converts like the string
    FontName& operator=(const QString& name)
    {
        m_name = keep(name);
        return *this;
    }

    const QString& toString() const { return *m_name; }
    operator const QString&() const { return *m_name; } // NOLINT: reads like the string
    bool isEmpty() const { return m_name->isEmpty(); }
    int compare(const QString& other, Qt::CaseSensitivity cs) const
    {
        return m_name->compare(other, cs);
    }

    bool operator==(const FontName& other) const { return m_name == other.m_name; }
    friend bool operator==(const FontName& a, const QString& b) { return *a.m_name == b; }

private:
    static const QString* keep(const QString& name);
    static const QString* empty();

    const QString* m_name = empty();
};

} // namespace vantoro
