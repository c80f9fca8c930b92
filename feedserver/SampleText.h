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
    // HTML body of 700 to 2800 bytes, with the fragments the reader's
    // clean-up strips; linkTarget (may be empty) becomes an <a href>.
    std::string Body(const Topics& topics, const std::string& linkTarget);

private:
    std::string Sentence(const Topics& topics);
    std::string Paragraph(const Topics& topics, const std::string& linkTarget);

    SampleRandom& random_;
};

} // namespace pregonero::feeds
