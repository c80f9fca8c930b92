#include "feedserver/EditionWriter.h"

#include <cstdio>
#include <fstream>

#include "feedserver/MarkupEscape.h"
#include "feedserver/PictureMaker.h"

namespace pregonero::feeds {

namespace {

constexpr const char* kServer = "{{FEED_SERVER}}";
constexpr const char* kPubDate = "lunes 3 de marzo";
constexpr int kPictures = 42;
const char* kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

std::string Attr(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + MarkupEscape::Text(value) + "\"";
}

std::size_t SectionIndex(const std::string& slug) {
    const auto& sections = SampleSections();
    std::size_t i = 0;
    while (i < sections.size() && sections[i].slug != slug) {
        ++i;
    }
    return i;
}

} // namespace

std::string EditionWriter::HeadlineElement(const Headline& h) {
    return "  <article" + Attr("Title", h.title) + Attr("Link", h.link) +
           Attr("PubTime", h.pubTime) + (h.imgUrl.empty() ? "" : Attr("ImgUrl", h.imgUrl)) +
           Attr("Description", h.description) + "/>\n";
}

std::string EditionWriter::PictureUrl() {
    return kServer + std::string("/") + pictures_[random_.Below(pictures_.size())];
}

bool EditionWriter::Save(const std::string& relative, const std::string& bytes) {
    const auto file = root_ / relative;
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out && error_.empty()) {
        error_ = "cannot write " + file.string();
    }
    return static_cast<bool>(out);
}

bool EditionWriter::WritePictures() {
    static const int kJpegSizes[][2] = {{640, 480},  {800, 600},   {1024, 768},
                                        {1280, 960}, {1600, 1200}, {1200, 900}};
    static const int kPngSizes[][2] = {{640, 480}, {800, 600}};
    std::error_code ec;
    std::filesystem::create_directories(root_ / "img", ec);
    for (int i = 0; i < kPictures; ++i) {
        const bool png = i % 7 == 3; // one in seven, spread over the sections
        const auto& size = png ? kPngSizes[i % 2] : kJpegSizes[i % 6];
        char name[32];
        std::snprintf(name, sizeof name, "img/foto-%02d.%s", i + 1, png ? "png" : "jpg");
        if (!PictureMaker::Write((root_ / name).string(),
                                 png ? PictureMaker::Format::Png : PictureMaker::Format::Jpeg,
                                 size[0], size[1], kSeed + i, &error_)) {
            return false;
        }
        pictures_.push_back(name);
    }
    return true;
}

std::string EditionWriter::NextTime() {
    minutes_ = (minutes_ + random_.Between(5, 35)) % (24 * 60);
    char time[32];
    std::snprintf(time, sizeof time, "%02d:%02d", minutes_ / 60, minutes_ % 60);
    return time;
}

std::vector<EditionWriter::Headline> EditionWriter::WriteArticles(const SampleSection& section) {
    std::vector<Headline> headlines;
    const int count = random_.Between(8, 15);
    for (int i = 1; i <= count; ++i) {
        Headline h;
        const std::string file = "notas/" + section.slug + "/" + std::to_string(i) + ".xml";
        h.title = text_.Headline(section.topics);
        h.link = kServer + ("/" + file);
        h.pubTime = NextTime();
        h.imgUrl = random_.Chance(85) ? PictureUrl() : "";
        h.description = text_.Description(section.topics);
        // Only the first few articles of one section carry the markup the
        // reader's clean-up does not fully undo; the others read cleanly.
        const std::string related =
            kServer + ("/notas/" + section.slug + "/" + std::to_string(i % count + 1) + ".xml");
        const bool markedUp = section.slug == kMarkedUpSection && i <= kMarkedUpArticles;
        const std::string body = text_.Body(section.topics, markedUp ? related : "");
        const std::string caption = h.imgUrl.empty() ? "" : text_.Caption(section.topics);
        Save(file, std::string(kHeader) + "<root>\n  <article" + Attr("Title", h.title) +
                       Attr("Author", text_.Author()) + Attr("PubDate", kPubDate) +
                       Attr("PubTime", h.pubTime) + Attr("ImgLink", h.imgUrl) +
                       Attr("ImgDes", caption) + "><![CDATA[" + body + "]]></article>\n</root>\n");
        headlines.push_back(std::move(h));
    }
    return headlines;
}

std::vector<EditionWriter::Headline> EditionWriter::WriteGalleries(const SampleSection& section) {
    std::vector<Headline> headlines;
    const int count = random_.Between(8, 12);
    for (int i = 1; i <= count; ++i) {
        Headline h;
        const std::string file = "galerias/" + std::to_string(i) + ".xml";
        h.title = text_.GalleryTitle(section.topics);
        h.link = kServer + ("/" + file);
        h.pubTime = NextTime();
        h.description = text_.Description(section.topics);
        std::string feed = std::string(kHeader) + "<root>\n";
        const int photos = random_.Between(3, 12);
        for (int p = 0; p < photos; ++p) {
            const std::string picture = PictureUrl();
            if (p == 0 && random_.Chance(85)) {
                h.imgUrl = picture;
            }
            const std::string title = text_.GalleryTitle(section.topics);
            const std::string caption = text_.Caption(section.topics);
            feed += "  <article" + Attr("Title", title) + Attr("ImgUrl", picture) +
                    Attr("ImgDes", caption) + "/>\n";
        }
        Save(file, feed + "</root>\n");
        headlines.push_back(std::move(h));
    }
    return headlines;
}

bool EditionWriter::WriteSection(const SampleSection& section,
                                 const std::vector<Headline>& headlines) {
    std::string feed = std::string(kHeader) + "<root>\n";
    for (const auto& h : headlines) {
        feed += HeadlineElement(h);
    }
    return Save(section.path.substr(1), feed + "</root>\n");
}

bool EditionWriter::WriteFrontPage() {
    // Headlines picked across the news sections (all those before the
    // editorial in catalogue order), round robin, the way an editor fills a
    // front page; the opinion group comes from the editorial itself.
    const std::size_t editorial = SectionIndex("editorial");
    const std::size_t newsSections = editorial;
    auto pick = [&](int k) { return bySection_[k % newsSections][k / newsSections]; };
    std::string feed = std::string(kHeader) + "<root>\n<group Title=\"Portada\">\n";
    int k = 0;
    for (; k < 10; ++k) {
        feed += HeadlineElement(pick(k));
    }
    feed += "</group>\n<group Title=\"\">\n";
    for (; k < 15; ++k) {
        feed += HeadlineElement(pick(k));
    }
    feed += "</group>\n<group Title=\"Opinion\">\n";
    const auto& opinion = bySection_[editorial];
    for (int i = 0; i < 4; ++i) {
        feed += HeadlineElement(opinion[i]);
    }
    return Save("mobile/2notashome.xml", feed + "</group>\n</root>\n");
}

bool EditionWriter::Run(std::string* error) {
    bool ok = WritePictures();
    for (const auto& section : SampleSections()) {
        if (!ok) {
            break;
        }
        bySection_.push_back(section.slug == "fg" ? WriteGalleries(section)
                                                  : WriteArticles(section));
        ok = error_.empty() && WriteSection(section, bySection_.back());
    }
    ok = ok && WriteFrontPage();
    if (!ok && error) {
        *error = error_;
    }
    return ok;
}

} // namespace pregonero::feeds
