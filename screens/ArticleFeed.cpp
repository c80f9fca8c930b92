#include "screens/ArticleFeed.h"

#include "screens/ArticleCleanup.h"

std::vector<ArticleFeed::Record> ArticleFeed::Read(FeedElement root) {
    std::vector<Record> records;
    for (FeedElement child = root.FirstChildElement();
         child && records.size() < FeedParser::kMaxRows; child = child.NextElement()) {
        if (!child.IsNamed("article")) {
            continue;
        }
        Record record;
        record.body = child.FirstChildText();
        ArticleCleanup::Apply(record.body);
        record.imgLink = child.Attribute("ImgLink");
        record.title = child.Attribute("Title");
        record.author = child.Attribute("Author");
        record.pubDate = child.Attribute("PubDate");
        record.pubTime = child.Attribute("PubTime");
        record.imgDes = child.Attribute("ImgDes");
        records.push_back(std::move(record));
    }
    return records;
}
