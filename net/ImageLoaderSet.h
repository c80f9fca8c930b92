#pragma once

#include "net/ImageLoader.h"

#include <memory>
#include <vector>

// The picture loaders one screen has started. A screen holds the set as a
// member, so leaving the screen destroys its loaders, and a destroyed loader
// cancels its pending request: no late callback reaches a row or screen that
// is gone, nor counts toward the next screen's pictures.
class ImageLoaderSet {
public:
    ImageLoaderSet();
    ~ImageLoaderSet();
    ImageLoaderSet(const ImageLoaderSet&) = delete;
    ImageLoaderSet& operator=(const ImageLoaderSet&) = delete;

    // A new loader with every field null, owned by the set.
    ImageLoader* Add();
    int GetCount() const { return static_cast<int>(loaders_.size()); }
    void Clear();

private:
    std::vector<std::unique_ptr<ImageLoader>> loaders_;
};
