#pragma once

#include <string>
#include <vector>

#include "feedserver/SampleRandom.h"

namespace pregonero::feeds {

// Fictional Spanish newspaper prose assembled from small phrase tables.
// Topics are the section's own nouns ("el transporte público", "la liga").
class SampleText {
public:
    using Topics = std::vector<std::string>;

    explicit SampleText(SampleRandom& random) : random_(random) {}

    std::string Headline(const Topics& topics);
    std::string Description(const Topics& topics);
    std::string Author();
    std::string Caption(const Topics& topics);
    std::string GalleryTitle(const Topics& topics);
    // HTML body of 700 to 2800 bytes. Without a link target it holds only
    // markup the reader's clean-up removes whole, so that once cleaned it
    // reads as paragraphs separated by line breaks. With one, its first
    // paragraph carries every fragment the clean-up knows, an aligned
    // paragraph, a closing font tag and a link to the target among them, as
    // real feeds do; the link's target stays in the cleaned text.
    std::string Body(const Topics& topics, const std::string& linkTarget);

private:
    std::string Sentence(const Topics& topics);
    std::string Paragraph(const Topics& topics);
    std::string MarkedUpLead(const Topics& topics, const std::string& linkTarget);

    SampleRandom& random_;
};

} // namespace pregonero::feeds
