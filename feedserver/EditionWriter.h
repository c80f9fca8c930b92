#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "feedserver/SampleRandom.h"
#include "feedserver/SampleSections.h"
#include "feedserver/SampleText.h"

namespace pregonero::feeds {

// Writes every file of the sample edition under one directory, drawing all
// texts and pictures from one seeded generator in a fixed order. The first
// failure stops it and is reported by Run.
class EditionWriter {
public:
    static constexpr std::uint64_t kSeed = 20240519;
    // The articles whose bodies carry every fragment the reader's clean-up
    // knows, a link among them: the first few of one section.
    static constexpr const char* kMarkedUpSection = "mxm";
    static constexpr int kMarkedUpArticles = 3;

    explicit EditionWriter(std::filesystem::path root)
        : root_(std::move(root)), random_(kSeed), text_(random_) {}

    bool Run(std::string* error);

private:
    struct Headline {
        std::string title;
        std::string link;
        std::string pubTime;
        std::string imgUrl;
        std::string description;
    };

    bool Save(const std::string& relative, const std::string& bytes);
    bool WritePictures();
    std::string PictureUrl();
    std::string NextTime();
    std::vector<Headline> WriteArticles(const SampleSection& section);
    std::vector<Headline> WriteGalleries(const SampleSection& section);
    bool WriteSection(const SampleSection& section, const std::vector<Headline>& headlines);
    bool WriteFrontPage();
    static std::string HeadlineElement(const Headline& h);

    std::filesystem::path root_;
    SampleRandom random_;
    SampleText text_;
    std::vector<std::string> pictures_;
    std::vector<std::vector<Headline>> bySection_;
    int minutes_ = 0;
    std::string error_;
};

} // namespace pregonero::feeds
