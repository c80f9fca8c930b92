#include "screens/ArticleCleanup.h"

// The order matters: "</em" before ">" leaves "texto final" from
// "texto</em> final", and "<a href=" and "<p align=" keep their quoted values.
const wchar_t* const ArticleCleanup::kFragments[kFragmentCount] = {
    L"&#13;",     L"<p>",    L"</p>",   L"<em>",     L"</ a>",     L"</em", L"<strong>",
    L"</strong>", L"<br />", L"</font", L"<a href=", L"<p align=", L"left", L">",
};

void ArticleCleanup::Apply(Osp::Base::String& body) {
    const Osp::Base::String nothing;
    for (const wchar_t* fragment : kFragments) {
        body.Replace(Osp::Base::String(fragment), nothing);
    }
}
