#include "feedserver/bridge/OpmlReader.h"

#include <fstream>
#include <sstream>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include "feedserver/bridge/SectionTable.h"
#include "feedserver/sources/QuietXml.h"
#include "platform/runtime/loop/UniqueHandle.h"
#include "platform/runtime/network/UrlCheck.h"

namespace pregonero::feeds {

namespace {

using Document = runtime::UniqueHandle<xmlDoc, xmlFreeDoc>;

std::string Attribute(xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr) {
        return {};
    }
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

bool Named(xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

std::string OutlineName(xmlNode* outline) {
    std::string name = Attribute(outline, "text");
    return name.empty() ? Attribute(outline, "title") : name;
}

struct Walk {
    std::vector<OpmlSource>& sources;
    std::string& failure;

    // `enclosing` is the nearest enclosing outline that has a name.
    void Outlines(xmlNode* parent, xmlNode* enclosing) {
        for (xmlNode* node = parent->children; node && failure.empty(); node = node->next) {
            if (!Named(node, "outline")) {
                continue;
            }
            const std::string name = OutlineName(node);
            const std::string url = Attribute(node, "xmlUrl");
            if (!url.empty()) {
                Source(name, url, enclosing);
            }
            Outlines(node, name.empty() ? enclosing : node);
        }
    }

    void Source(const std::string& name, const std::string& url, xmlNode* enclosing) {
        const std::string shown = name.empty() ? url : name;
        if (!runtime::UrlCheck::IsFetchable(url)) {
            failure = "outline \"" + shown + "\": \"" + url + "\" is not an http or https URL";
            return;
        }
        int section = SectionTable::Find(name);
        std::string culprit = shown;
        if (section < 0 && enclosing != nullptr) {
            culprit = OutlineName(enclosing);
            section = SectionTable::Find(culprit);
        }
        if (section < 0) {
            failure = "outline \"" + culprit +
                      "\" names no section\nvalid names: " + SectionTable::ValidNames();
            return;
        }
        sources.push_back({url, shown, section});
    }
};

} // namespace

bool OpmlReader::Fail(const std::string& message) {
    error_ = message;
    sources_.clear();
    return false;
}

bool OpmlReader::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return Fail(path + ": cannot be read");
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!Read(bytes.str())) {
        error_ = path + ": " + error_;
        return false;
    }
    return true;
}

bool OpmlReader::Read(const std::string& bytes) {
    sources_.clear();
    error_.clear();
    // No entity substitution, no DTD, no network: a list of feeds needs none.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    // A list declaring an encoding its bytes break would make libxml2 print
    // beside our own one-line message.
    QuietXml quiet;
    Document doc(
        xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, options));
    if (!doc) {
        const xmlError* last = xmlGetLastError();
        std::string reason = last != nullptr && last->message != nullptr ? last->message : "";
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) {
            reason.pop_back();
        }
        return Fail("not an OPML file (" +
                    (last != nullptr ? "line " + std::to_string(last->line) + ": " : "") + reason +
                    ")");
    }
    xmlNode* root = xmlDocGetRootElement(doc.get());
    if (root == nullptr || !Named(root, "opml")) {
        return Fail("not an OPML file (its root element is not <opml>)");
    }
    std::string failure;
    Walk walk{sources_, failure};
    for (xmlNode* node = root->children; node; node = node->next) {
        if (Named(node, "body")) {
            walk.Outlines(node, nullptr);
        }
    }
    if (!failure.empty()) {
        return Fail(failure);
    }
    if (sources_.empty()) {
        return Fail("no outline with an xmlUrl: there is no feed to read");
    }
    return true;
}

} // namespace pregonero::feeds
