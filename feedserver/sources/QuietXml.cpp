#include "feedserver/sources/QuietXml.h"

#include <libxml/globals.h>
#include <libxml/parser.h>

#include <mutex>

namespace pregonero::feeds {

namespace {

void DropGeneric(void*, const char*, ...) {}

void DropStructured(void*, xmlErrorPtr) {}

} // namespace

// The handlers are libxml2's per-thread globals (it is built with threads),
// so other threads keep theirs. Both are set: a structured handler, when one
// is installed, takes precedence over the generic one.
QuietXml::QuietXml() {
    // libxml2 sets up its globals on first use, which must not race.
    static std::once_flag initialised;
    std::call_once(initialised, xmlInitParser);
    generic_ = xmlGenericError;
    genericContext_ = xmlGenericErrorContext;
    structured_ = xmlStructuredError;
    structuredContext_ = xmlStructuredErrorContext;
    xmlSetGenericErrorFunc(nullptr, DropGeneric);
    xmlSetStructuredErrorFunc(nullptr, DropStructured);
}

QuietXml::~QuietXml() {
    xmlSetGenericErrorFunc(genericContext_, generic_);
    xmlSetStructuredErrorFunc(structuredContext_, structured_);
}

} // namespace pregonero::feeds
