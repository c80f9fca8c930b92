#include "screens/GalleryFeed.h"

std::vector<GalleryFeed::Record> GalleryFeed::Read(FeedElement root) {
    std::vector<Record> records;
    for (FeedElement child = root.FirstChildElement();
         child && records.size() < FeedParser::kMaxRows; child = child.NextElement()) {
        if (!child.IsNamed("article")) {
            continue;
        }
        Record record;
        record.imgUrl = child.Attribute("ImgUrl");
        record.id = L"IDFOTOGALERIA";
        record.id.Append(static_cast<int>(records.size()) + 1);
        record.title = child.Attribute("Title");
        record.imgDes = child.Attribute("ImgDes");
        records.push_back(std::move(record));
    }
    return records;
}
