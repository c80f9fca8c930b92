#pragma once

#include <string>
#include <vector>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/ProgramRun.h"

namespace pregonero::e2e {

// Where a fault of the matrix strikes.
enum class FaultTarget {
    Feed,           // the feed of each screen kind
    Picture,        // the picture each screen kind shows
    OddPicture,     // idem, with a picture that is unusual but decodes
    PictureUrl,     // the picture URLs in the feeds are replaced by a given text
    Refused,        // nothing listens where the feeds are
    RefusedPicture, // nothing listens where the pictures are
};

// What a headline screen must end on once the fault has played out.
enum class Headline { List, Error, Any };

// One program run that visits the four screen kinds in turn, front page, a
// section, an article opened from a section row and a gallery opened from
// section 119, with a fault on the feeds or pictures of all four; then the
// checks each screen kind must pass. Dumps, in order: front page, its menu,
// section, its menu, article, after its back softkey, gallery, after back.
class FaultCells {
public:
    static constexpr int kDumps = 8;

    explicit FaultCells(const std::string& name);
    ~FaultCells();
    FaultCells(const FaultCells&) = delete;
    FaultCells& operator=(const FaultCells&) = delete;

    FeedFixture& Fixture() { return fixture_; }

    // `detail`: the picture extension, or for PictureUrl the URL itself.
    void WriteHealthyEdition(FaultTarget target, const std::string& detail = "jpg");
    std::vector<std::string> FaultPaths(FaultTarget target) const;

    // The four-screen walk (or `script`), run inside `launcher` if given.
    ProgramRun Run(FaultTarget target, const std::string& script = "",
                   std::vector<std::string> launcher = {});
    void ExpectAllCells(const ProgramRun& run, Headline headline, FaultTarget target) const;
    // Nothing was written outside the home directory and no local file leaked into it.
    void ExpectNothingOutsideHome() const;

    // The front page and a section, each dumped and then with its menu open.
    static constexpr const char* kHeadlineWalk =
        "wait 30\ndump\noption\ndump\nchoose Mexico\nwait 30\ndump\noption\ndump\nquit\n";

private:
    std::string name_;
    std::string extension_ = "jpg";
    FeedFixture fixture_;
    std::string outside_; // working and temporary directory of the program
};

} // namespace pregonero::e2e
