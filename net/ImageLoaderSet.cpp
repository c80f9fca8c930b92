#include "net/ImageLoaderSet.h"

ImageLoaderSet::ImageLoaderSet() = default;

ImageLoaderSet::~ImageLoaderSet() = default;

ImageLoader* ImageLoaderSet::Add() {
    loaders_.push_back(std::make_unique<ImageLoader>());
    return loaders_.back().get();
}

void ImageLoaderSet::Clear() {
    loaders_.clear();
}
