// Pictures as one looping animated GIF (giflib), each written as it comes: every picture
// whole, with a palette of its own colours (exactly them where there are at most 255, else
// 255 standing in for them), a transparent index for the pixels under half opaque, and
// cleared before the next one. Only the picture being written is held.
#pragma once
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "export/capture.h"

class GifOutput;

class GifWriter : public PictureSink {
public:
    // Writes into file, which stays the caller's to close.
    explicit GifWriter(std::FILE* file);
    ~GifWriter() override;
    // Errors are the library's reasons, or the size a GIF cannot have.
    bool Begin(const FrameLayout& layout, std::string& error) override;
    bool Add(const Picture& picture, std::string& error) override;
    // Ends the GIF after the last picture.
    bool Finish(std::string& error);
    const FrameLayout& Layout() const { return layout_; }

private:
    std::FILE* file_;
    FrameLayout layout_;
    std::unique_ptr<GifOutput> out_;
    std::vector<int> delays_;  // hundredths of a second, one per picture
    size_t added_ = 0;
};
