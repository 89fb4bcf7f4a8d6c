#pragma once

#include "htmlview/IndexObj.h"

#include <QStringView>

#include <algorithm>
#include <cstring>
#include <vector>

namespace vantoro {

// A run of text with the source position of each character (positions count UTF-16 units of
// the HTML source from 0). Positions are kept as runs: from token index `index` on, positions
// run on by one from `pos` until the next run, so running text costs one entry per gap in the
// source rather than one per character. Clearing keeps the storage, so one token object serves
// a whole parse.
class TokenObj
{
public:
    void addChar(char16_t c, qint32 position) { addRun(&c, 1, position); }
    // Appends `count` characters whose positions run on by one from `firstPosition`.
    void addRun(const char16_t* chars, qsizetype count, qint32 firstPosition)
    {
        if (count <= 0)
            return;
        const int at = int(m_size);
        if (m_runs.empty() || firstPosition != m_nextPos)
            m_runs.push_back({at, firstPosition});
        m_nextPos = firstPosition + qint32(count);
        if (size_t(count) > m_text.size() - m_size)
            m_text.resize(std::max({m_size + size_t(count), m_text.size() * 2, size_t(128)}));
        std::memcpy(m_text.data() + m_size, chars, size_t(count) * sizeof(char16_t));
        m_size += size_t(count);
        m_positionsValid = false;
    }
    void addToken(const TokenObj& other)
    {
        const std::vector<IndexObj>& runs = other.m_runs;
        for (size_t r = 0; r < runs.size(); ++r) {
            const int end = r + 1 < runs.size() ? runs[r + 1].index : int(other.m_size);
            addRun(other.m_text.data() + runs[r].index, end - runs[r].index, runs[r].pos);
        }
    }
    void clear()
    {
        m_size = 0;
        m_runs.clear();
        m_positionsValid = false;
    }
    qsizetype length() const { return qsizetype(m_size); }
    // Characters the storage holds without growing.
    size_t capacity() const { return m_text.size(); }
    bool isEmpty() const { return m_size == 0; }
    QStringView text() const { return QStringView(m_text.data(), qsizetype(m_size)); }
    // The position runs, in token order; the first starts at index 0 when the token has text.
    const std::vector<IndexObj>& runs() const { return m_runs; }
    // The position of every character (expanded from the runs on demand).
    const std::vector<qint32>& positions() const
    {
        if (!m_positionsValid) {
            m_positions.clear();
            m_positions.reserve(m_size);
            for (size_t r = 0; r < m_runs.size(); ++r) {
                const int end = r + 1 < m_runs.size() ? m_runs[r + 1].index : int(m_size);
                for (int i = m_runs[r].index; i < end; ++i)
                    m_positions.push_back(m_runs[r].pos + (i - m_runs[r].index));
            }
            m_positionsValid = true;
        }
        return m_positions;
    }

private:
    std::vector<char16_t> m_text; // storage; the token is its first m_size characters
    size_t m_size = 0;
    std::vector<IndexObj> m_runs;
    qint32 m_nextPos = 0; // position that would continue the last run
    mutable std::vector<qint32> m_positions;
    mutable bool m_positionsValid = false;
};

} // namespace vantoro
