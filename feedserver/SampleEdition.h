#pragma once

#include <string>

namespace pregonero::feeds {

// Writes the bundled sample edition into dir: every catalogue feed under
// mobile/, an article feed per headline under notas/, the photo galleries
// under galerias/ and the pictures under img/. Links inside the feeds use the
// {{FEED_SERVER}} token that FeedServer replaces. The output is the same,
// byte for byte, on every run. False with a reason in *error on failure.
bool WriteSampleEdition(const std::string& dir, std::string* error);

} // namespace pregonero::feeds
