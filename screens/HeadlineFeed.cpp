#include "screens/HeadlineFeed.h"

#include "net/FeedStream.h"

#include <utility>

using Osp::Base::String;

namespace {

// Sections keep their articles straight under the root; the front page keeps
// them one level down, in the groups it shows.
class HeadlineVisitor : public FeedStream::Visitor {
public:
    HeadlineVisitor(FeedLayout layout, std::vector<HeadlineFeed::Record>& records)
        : layout_(layout), records_(records) {}

    void OnElement(int depth, const FeedStreamElement& element) override {
        if (layout_ == FeedLayout::Section) {
            if (depth == 1 && element.IsNamed("article")) {
                Add(element, true, L"IDSECCION");
            }
            return;
        }
        if (depth == 1) {
            groupShown_ = false;
            if (element.IsNamed("group")) {
                const String title = element.Attribute("Title");
                groupShown_ = title.IsEmpty() || title.Equals(L"Portada", false);
                // Untitled groups carry no publication times worth showing.
                groupTimes_ = !title.IsEmpty();
            }
        } else if (depth == 2 && groupShown_ && element.IsNamed("article")) {
            Add(element, groupTimes_, L"IDPORTADA");
        }
    }

private:
    void Add(const FeedStreamElement& article, bool withPubTime, const wchar_t* prefix) {
        HeadlineFeed::Record record;
        record.title = article.Attribute("Title");
        record.link = article.Attribute("Link");
        if (withPubTime) {
            record.pubTime = article.Attribute("PubTime");
        }
        record.imgUrl = article.Attribute("ImgUrl");
        record.description = article.Attribute("Description");
        record.id = String(prefix);
        record.id.Append(static_cast<int>(records_.size()) + 1);
        records_.push_back(std::move(record));
    }

    FeedLayout layout_;
    std::vector<HeadlineFeed::Record>& records_;
    bool groupShown_ = false;
    bool groupTimes_ = false;
};

FeedDocument::Status Keep(FeedDocument::Status status, std::vector<HeadlineFeed::Record>& records) {
    if (status != FeedDocument::Status::Ok) {
        records.clear();
    }
    return status;
}

} // namespace

FeedDocument::Status HeadlineFeed::Read(const char* path, FeedLayout layout,
                                        std::vector<Record>& records) {
    records.clear();
    HeadlineVisitor visitor(layout, records);
    return Keep(FeedStream::Read(path, visitor), records);
}

FeedDocument::Status HeadlineFeed::ReadMemory(const char* data, std::size_t size, FeedLayout layout,
                                              std::vector<Record>& records) {
    records.clear();
    HeadlineVisitor visitor(layout, records);
    return Keep(FeedStream::ReadMemory(data, size, visitor), records);
}
