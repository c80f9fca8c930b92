#pragma once

#include <string>

namespace pregonero::feeds {

// Writes the bundled sample edition into dir: every catalogue feed under
// mobile/, an article feed per headline under notas/, the photo galleries
// under galerias/ and the pictures under img/. Links inside the feeds use the
// {{FEED_SERVER}} token that FeedServer replaces. The output is the same,
// byte for byte, on every run. False with a reason in *error on failure.
bool WriteSampleEdition(const std::string& dir, std::string* error);

// Makes dir hold the sample edition marked with `stamp` (in dir/.stamp),
// whole or not at all: a folder already carrying the stamp is kept, and
// otherwise the edition is written into a fresh folder beside dir and renamed
// into place, so several processes may do this at once on one folder and
// each ends with a complete edition there. dir being a symbolic link is a
// failure; nothing is written through it.
bool InstallSampleEdition(const std::string& dir, const std::string& stamp, std::string* error);

} // namespace pregonero::feeds
