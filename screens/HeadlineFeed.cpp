#include "screens/HeadlineFeed.h"

using Osp::Base::String;

namespace {

HeadlineFeed::Record ReadArticle(const FeedElement& article, bool withPubTime, const String& id) {
    HeadlineFeed::Record record;
    record.title = article.Attribute("Title");
    record.link = article.Attribute("Link");
    if (withPubTime) {
        record.pubTime = article.Attribute("PubTime");
    }
    record.imgUrl = article.Attribute("ImgUrl");
    record.description = article.Attribute("Description");
    record.id = id;
    return record;
}

void ReadArticles(FeedElement parent, bool withPubTime, const wchar_t* prefix,
                  std::vector<HeadlineFeed::Record>& records) {
    for (FeedElement e = parent.FirstChildElement(); e; e = e.NextElement()) {
        if (!e.IsNamed("article")) {
            continue;
        }
        String id(prefix);
        id.Append(static_cast<int>(records.size()) + 1);
        records.push_back(ReadArticle(e, withPubTime, id));
    }
}

} // namespace

std::vector<HeadlineFeed::Record> HeadlineFeed::Read(FeedElement root, FeedLayout layout) {
    std::vector<Record> records;
    if (layout == FeedLayout::Section) {
        ReadArticles(root, true, L"IDSECCION", records);
        return records;
    }
    for (FeedElement group = root.FirstChildElement(); group; group = group.NextElement()) {
        if (!group.IsNamed("group")) {
            continue;
        }
        const String title = group.Attribute("Title");
        if (title.IsEmpty() || title.Equals(L"Portada", false)) {
            // Untitled groups carry no publication times worth showing.
            ReadArticles(group, !title.IsEmpty(), L"IDPORTADA", records);
        }
    }
    return records;
}
