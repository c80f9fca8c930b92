#include "feedserver/sources/JsonFeedReader.h"

#include "feedserver/sources/FeedDate.h"
#include "feedserver/sources/HtmlText.h"
#include "feedserver/sources/ItemPictures.h"
#include "feedserver/sources/SourceUrl.h"

#include <nlohmann/json.hpp>

namespace pregonero::feeds {

namespace {

using Json = nlohmann::json;

// A feed is at most feed → items → item → authors → author → name deep.
constexpr int kMaxDepth = 8;

std::string String(const Json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end()) {
        return {};
    }
    if (it->is_string()) {
        return it->get<std::string>();
    }
    if (std::string_view(key) == "id" && (it->is_number_integer() || it->is_number_unsigned())) {
        return it->dump(); // ids are sometimes numbers
    }
    return {};
}

// "authors": [{"name": …}] (1.1) or "author": {"name": …} (1.0), joined.
std::string Authors(const Json& object) {
    std::string names;
    auto add = [&](const Json& author) {
        if (!author.is_object()) {
            return;
        }
        std::string name = HtmlText::PlainLine(String(author, "name"));
        if (!name.empty()) {
            names += names.empty() ? name : ", " + name;
        }
    };
    auto authors = object.find("authors");
    if (authors != object.end() && authors->is_array()) {
        for (const Json& author : *authors) {
            add(author);
        }
    }
    auto author = object.find("author");
    if (names.empty() && author != object.end()) {
        add(*author);
    }
    return names;
}

SourceItem ReadItem(const Json& object, const std::string& base, const std::string& feedAuthor) {
    SourceItem item;
    item.guid = HtmlText::PlainLine(String(object, "id"));
    item.link = SourceUrl::Resolve(base, String(object, "url"));
    if (item.link.empty()) {
        item.link = SourceUrl::Resolve(base, String(object, "external_url"));
    }
    item.title = HtmlText::PlainLine(String(object, "title"));
    item.summary = HtmlText::PlainLine(String(object, "summary"));
    item.author = Authors(object);
    if (item.author.empty()) {
        item.author = feedAuthor;
    }
    item.published = FeedDate::Parse(String(object, "date_published"));
    if (!item.published) {
        item.published = FeedDate::Parse(String(object, "date_modified"));
    }
    ItemPictures pictures;
    for (const char* key : {"image", "banner_image"}) {
        pictures.Add(ItemPictures::Kind::FeedImage,
                     {SourceUrl::Resolve(base, String(object, key)), {}});
    }
    auto attachments = object.find("attachments");
    if (attachments != object.end() && attachments->is_array()) {
        for (const Json& attachment : *attachments) {
            if (attachment.is_object() && String(attachment, "mime_type").rfind("image/", 0) == 0) {
                pictures.Add(ItemPictures::Kind::Enclosure,
                             {SourceUrl::Resolve(base, String(attachment, "url")),
                              HtmlText::PlainLine(String(attachment, "title"))});
            }
        }
    }
    std::string html = String(object, "content_html");
    std::vector<SourcePicture> bodyPictures;
    if (!html.empty()) {
        item.body = HtmlText::Body(html, base, &bodyPictures);
    } else {
        std::string text = String(object, "content_text");
        item.body = HtmlText::PlainBody(text.empty() ? String(object, "summary") : text);
    }
    for (SourcePicture& picture : bodyPictures) {
        pictures.Add(ItemPictures::Kind::Body, std::move(picture));
    }
    item.pictures = pictures.Take();
    return item;
}

} // namespace

bool JsonFeedReader::Read(std::string_view bytes, const std::string& feedUrl, SourceFeed* feed,
                          std::string* error) {
    Json::parser_callback_t shallow = [](int depth, Json::parse_event_t, Json&) {
        return depth <= kMaxDepth;
    };
    Json document = Json::parse(bytes.begin(), bytes.end(), shallow, false);
    if (document.is_discarded() || !document.is_object()) {
        *error = "not a JSON Feed: not a JSON object";
        return false;
    }
    if (String(document, "version").rfind("https://jsonfeed.org/version/", 0) != 0) {
        *error = "not a JSON Feed: no jsonfeed.org version";
        return false;
    }
    auto items = document.find("items");
    if (items == document.end() || !items->is_array()) {
        *error = "JSON Feed without items";
        return false;
    }
    feed->title = HtmlText::PlainLine(String(document, "title"));
    std::string feedAuthor = Authors(document);
    for (const Json& object : *items) {
        if (feed->items.size() >= kMaxItems) {
            break;
        }
        if (object.is_object()) {
            feed->items.push_back(ReadItem(object, feedUrl, feedAuthor));
        }
    }
    return true;
}

} // namespace pregonero::feeds
