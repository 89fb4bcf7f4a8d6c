#pragma once

namespace vantoro {

// A run of source positions in a text section: from character `index` on, positions run on by
// one from `pos` until the next run.
struct IndexObj
{
    int index = 0;
    int pos = 0;
    bool operator==(const IndexObj&) const = default;
};

} // namespace vantoro
