#include "net/FeedDocument.h"

#include "net/AttributeCount.h"
#include "net/FeedParser.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <string>
#include <string_view>

namespace {

bool IsElement(const xmlNode* node) {
    return node != nullptr && node->type == XML_ELEMENT_NODE;
}

xmlNode* SkipToElement(xmlNode* node) {
    while (node != nullptr && node->type != XML_ELEMENT_NODE) {
        node = node->next;
    }
    return node;
}

std::string_view TextOf(const xmlNode* node) {
    return reinterpret_cast<const char*>(node->content);
}

} // namespace

bool FeedElement::IsNamed(const char* name) const {
    return IsElement(node_) && xmlStrcmp(node_->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

Osp::Base::String FeedElement::Attribute(const char* name) const {
    if (!IsElement(node_)) {
        return Osp::Base::String();
    }
    for (xmlAttr* attr = node_->properties; attr != nullptr; attr = attr->next) {
        if (attr->ns != nullptr ||
            xmlStrcmp(attr->name, reinterpret_cast<const xmlChar*>(name)) != 0) {
            continue;
        }
        const xmlNode* first = attr->children;
        if (first != nullptr && first->next == nullptr && first->type == XML_TEXT_NODE &&
            first->content != nullptr) {
            return FeedParser::FromUtf8(TextOf(first)); // the usual value: one run of text, no copy
        }
        // Only literal text: an entity reference is skipped, never expanded.
        std::string value;
        for (const xmlNode* part = first; part != nullptr; part = part->next) {
            if (part->type == XML_TEXT_NODE && part->content != nullptr) {
                value += TextOf(part);
            }
        }
        return FeedParser::FromUtf8(value);
    }
    return Osp::Base::String();
}

Osp::Base::String FeedElement::FirstChildText() const {
    if (!IsElement(node_) || node_->children == nullptr) {
        return Osp::Base::String();
    }
    xmlNode* first = node_->children;
    if ((first->type != XML_TEXT_NODE && first->type != XML_CDATA_SECTION_NODE) ||
        first->content == nullptr) {
        return Osp::Base::String();
    }
    return FeedParser::FromUtf8(TextOf(first));
}

FeedElement FeedElement::FirstChildElement() const {
    return FeedElement(IsElement(node_) ? SkipToElement(node_->children) : nullptr);
}

FeedElement FeedElement::NextElement() const {
    return FeedElement(node_ != nullptr ? SkipToElement(node_->next) : nullptr);
}

void FeedDocument::FreeDoc(_xmlDoc* doc) noexcept {
    xmlFreeDoc(doc);
}

FeedDocument::FeedDocument() = default;
FeedDocument::~FeedDocument() = default;

FeedDocument::Status FeedDocument::Load(const char* path, const char* rootName) {
    doc_.reset();
    std::string bytes;
    const Status read = FeedParser::ReadFile(path, bytes);
    return read == Status::Ok ? LoadMemory(bytes.data(), bytes.size(), rootName) : read;
}

FeedDocument::Status FeedDocument::LoadMemory(const char* data, std::size_t size,
                                              const char* rootName) {
    doc_.reset();
    if (size > kMaxBytes) {
        return Status::TooLarge;
    }
    const std::string_view bytes(data, size);
    if (AttributeCount::Exceeds(bytes, FeedParser::kMaxAttributes)) {
        return Status::TooManyAttributes;
    }
    doc_.reset(FeedParser::Parse(bytes));
    if (!doc_) {
        return Status::NotXml;
    }
    xmlNode* root = xmlDocGetRootElement(doc_.get());
    if (root == nullptr) {
        return Status::NoRoot;
    }
    if (xmlStrcmp(root->name, reinterpret_cast<const xmlChar*>(rootName)) != 0) {
        return Status::WrongRoot;
    }
    return Status::Ok;
}

FeedElement FeedDocument::Root() const {
    return FeedElement(doc_ ? xmlDocGetRootElement(doc_.get()) : nullptr);
}
