#pragma once

#include <QStringView>

#include <string>
#include <vector>

namespace vantoro {

// A run of text with the source position of each character (positions count UTF-16 units of
// the HTML source from 0). Clearing keeps the storage, so one token object serves a whole parse.
class TokenObj
{
public:
    void addChar(char16_t c, qint32 position)
    {
        m_text.push_back(c);
        m_positions.push_back(position);
    }
    // Appends `count` characters whose positions run on by one from `firstPosition`.
    void addRun(const char16_t* chars, qsizetype count, qint32 firstPosition)
    {
        m_text.append(chars, size_t(count));
        for (qsizetype i = 0; i < count; ++i)
            m_positions.push_back(firstPosition + qint32(i));
    }
    void addToken(const TokenObj& other)
    {
        m_text.append(other.m_text);
        m_positions.insert(m_positions.end(), other.m_positions.begin(), other.m_positions.end());
    }
    void clear()
    {
        m_text.clear();
        m_positions.clear();
    }
    qsizetype length() const { return qsizetype(m_text.size()); }
    bool isEmpty() const { return m_text.empty(); }
    QStringView text() const { return QStringView(m_text.data(), qsizetype(m_text.size())); }
    const std::vector<qint32>& positions() const { return m_positions; }

private:
    std::u16string m_text;
    std::vector<qint32> m_positions;
};

} // namespace vantoro
