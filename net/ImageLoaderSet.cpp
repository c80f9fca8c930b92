#include "net/ImageLoaderSet.h"

#include <algorithm>

ImageLoaderSet::ImageLoaderSet() = default;

ImageLoaderSet::~ImageLoaderSet() = default;

ImageLoader* ImageLoaderSet::Add() {
    loaders_.push_back(std::make_unique<ImageLoader>());
    return loaders_.back().get();
}

int ImageLoaderSet::PendingCount() const {
    return static_cast<int>(std::count_if(loaders_.begin(), loaders_.end(),
                                          [](const auto& l) { return l->PendingRequests() > 0; }));
}

void ImageLoaderSet::Clear() {
    loaders_.clear();
}
