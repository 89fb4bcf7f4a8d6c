#include "htmlview/FontName.h"

#include <QHash>

#include <deque>
#include <mutex>

namespace vantoro {

namespace {

struct NameStore
{
    std::mutex mutex;
    std::deque<QString> names; // stable addresses
    QHash<QString, const QString*> index;
};

NameStore& store()
{
    static NameStore* const instance = new NameStore; // lives as long as the program
    return *instance;
}

// The names this thread looked up last: a parse assigns the same few names again and again.
struct RecentNames
{
    static constexpr int kSize = 4;
    const QString* names[kSize] = {};
    int next = 0;
};

thread_local RecentNames recent;

} // namespace

const QString* FontName::empty()
{
    static const QString* const name = new QString;
    return name;
}

const QString* FontName::keep(const QString& name)
{
    if (name.isEmpty())
        return empty();
    for (const QString* kept : recent.names) {
        if (kept != nullptr && *kept == name)
            return kept;
    }
    NameStore& s = store();
    const QString* kept = nullptr;
    {
        const std::lock_guard lock(s.mutex);
        if (const auto it = s.index.constFind(name); it != s.index.constEnd()) {
            kept = it.value();
        } else if (s.names.size() < size_t(kMaxNames)) {
            s.names.push_back(name);
            kept = &s.names.back();
            s.index.insert(name, kept);
        } else {
            return empty();
        }
    }
    recent.names[recent.next] = kept;
    recent.next = (recent.next + 1) % RecentNames::kSize;
    return kept;
}

} // namespace vantoro
