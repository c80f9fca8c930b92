#include "TreeHeadlines.h"

#include <utility>

#include <string>

using Osp::Base::String;

namespace pregonero::test {

namespace {

void ReadArticles(FeedElement parent, bool withPubTime, const wchar_t* prefix,
                  std::vector<HeadlineFeed::Record>& records) {
    for (FeedElement e = parent.FirstChildElement(); e; e = e.NextElement()) {
        if (!e.IsNamed("article")) {
            continue;
        }
        HeadlineFeed::Record record;
        record.title = e.Attribute("Title");
        record.link = e.Attribute("Link");
        if (withPubTime) {
            record.pubTime = e.Attribute("PubTime");
        }
        record.imgUrl = e.Attribute("ImgUrl");
        record.description = e.Attribute("Description");
        record.id = String(prefix);
        record.id.Append(static_cast<int>(records.size()) + 1);
        records.push_back(std::move(record));
    }
}

} // namespace

TreeHeadlines ReadTreeHeadlines(const char* data, std::size_t size, FeedLayout layout) {
    FeedDocument document;
    TreeHeadlines read{document.LoadMemory(data, size), {}};
    if (read.status != FeedDocument::Status::Ok) {
        return read;
    }
    const FeedElement root = document.Root();
    if (layout == FeedLayout::Section) {
        ReadArticles(root, true, L"IDSECCION", read.records);
        return read;
    }
    for (FeedElement group = root.FirstChildElement(); group; group = group.NextElement()) {
        if (!group.IsNamed("group")) {
            continue;
        }
        const String title = group.Attribute("Title");
        if (title.IsEmpty() || title.Equals(L"Portada", false)) {
            ReadArticles(group, !title.IsEmpty(), L"IDPORTADA", read.records);
        }
    }
    return read;
}

std::string CompareHeadlines(const std::vector<HeadlineFeed::Record>& expected,
                             const std::vector<HeadlineFeed::Record>& actual) {
    if (expected.size() != actual.size()) {
        return "expected " + std::to_string(expected.size()) + " records, read " +
               std::to_string(actual.size());
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const HeadlineFeed::Record& e = expected[i];
        const HeadlineFeed::Record& a = actual[i];
        const String* pairs[][2] = {{&e.title, &a.title},
                                    {&e.link, &a.link},
                                    {&e.pubTime, &a.pubTime},
                                    {&e.imgUrl, &a.imgUrl},
                                    {&e.description, &a.description},
                                    {&e.id, &a.id}};
        for (const auto& pair : pairs) {
            if (!pair[0]->Equals(*pair[1], true)) {
                return "record " + std::to_string(i + 1) + ": expected \"" + pair[0]->ToUtf8() +
                       "\", read \"" + pair[1]->ToUtf8() + "\"";
            }
        }
    }
    return {};
}

} // namespace pregonero::test
