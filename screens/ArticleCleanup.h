#pragma once

#include "platform/base/String.h"

// The fixed list of HTML fragments an article body loses before it is shown.
// Each fragment goes, every occurrence and case included, in the list's
// order; whatever one removal leaves is what the next one sees. Nothing else
// is touched: other tags, entities, line breaks and spaces stay.
class ArticleCleanup {
public:
    static constexpr int kFragmentCount = 14;
    static const wchar_t* const kFragments[kFragmentCount];

    static void Apply(Osp::Base::String& body);
};
