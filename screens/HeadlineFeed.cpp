#include "screens/HeadlineFeed.h"

#include <utility>

using Osp::Base::String;

namespace {

void ReadArticles(FeedElement parent, bool withPubTime, const wchar_t* prefix,
                  std::vector<HeadlineFeed::Record>& records) {
    for (FeedElement e = parent.FirstChildElement(); e && records.size() < FeedParser::kMaxRows;
         e = e.NextElement()) {
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

// Sections keep their articles straight under the root; the front page keeps
// them one level down, in the groups it shows.
std::vector<HeadlineFeed::Record> HeadlineFeed::Read(FeedElement root, FeedLayout layout) {
    std::vector<Record> records;
    if (layout == FeedLayout::Section) {
        ReadArticles(root, true, L"IDSECCION", records);
        return records;
    }
    for (FeedElement group = root.FirstChildElement();
         group && records.size() < FeedParser::kMaxRows; group = group.NextElement()) {
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
