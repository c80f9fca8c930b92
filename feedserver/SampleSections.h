#pragma once

#include <string>
#include <vector>

namespace pregonero::feeds {

// One catalogue section as the sample edition fills it.
struct SampleSection {
    std::string path;                // feed path on the server
    std::string slug;                // folder of its article or gallery feeds
    std::vector<std::string> topics; // nouns its fictional stories are about
};

// The nineteen sections in catalogue order; "fg" is the photo galleries and
// "editorial" feeds the front page's opinion group.
const std::vector<SampleSection>& SampleSections();

} // namespace pregonero::feeds
