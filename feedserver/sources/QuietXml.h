#pragma once

#include <libxml/xmlerror.h>

namespace pregonero::feeds {

// While it lives, libxml2 is set up and prints nothing on the calling thread:
// complaints it raises outside any parser's own error options (a tree written
// back with bytes that are not UTF-8, a declared encoding the bytes break,
// I/O) are dropped instead of written to stderr, where a hostile feed would
// reach the user's terminal or journal. The last error is still recorded
// (xmlGetLastError). The thread's previous handlers come back at the end.
// Not copyable; make one per call that reads XML, on the stack.
class QuietXml {
public:
    QuietXml();
    ~QuietXml();
    QuietXml(const QuietXml&) = delete;
    QuietXml& operator=(const QuietXml&) = delete;

private:
    xmlGenericErrorFunc generic_;
    void* genericContext_;
    xmlStructuredErrorFunc structured_;
    void* structuredContext_;
};

} // namespace pregonero::feeds
