// Textures, surfaces and vertex buffers of the OpenGL back-end.
#include "gl/gl_objects.h"
#include "pixel_format.h"

#include <algorithm>
#include <cstring>

#include "common/rect.h"

namespace {

struct GlFormat {
    GLint internal;
    GLenum format, type;
    bool opaque;  // the format has no alpha: sampling reads alpha 1
};

GlFormat FormatFor(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false};
    case D3DFMT_X8R8G8B8: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, true};
    case D3DFMT_R8G8B8: return {GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE, true};
    case D3DFMT_R5G6B5: return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, true};
    case D3DFMT_X1R5G5B5: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, true};
    case D3DFMT_A1R5G5B5: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false};
    case D3DFMT_A4R4G4B4: return {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, false};
    default: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false};
    }
}

// OpenGL ES takes neither the platform's blue-first byte order nor its 16-bit layouts,
// nor a swizzle that WebGL would honour: every format goes up as RGBA bytes, alpha 255
// where the format has none.
void ToRgba8(D3DFORMAT format, const BYTE* source, size_t pixels, std::vector<BYTE>& rgba)
{
    rgba.resize(pixels * 4);
    const UINT bytes = BytesPerPixel(format);
    for (size_t i = 0; i < pixels; ++i) {
        const uint32_t argb = PixelArgb(format, source + i * bytes);
        BYTE* out = &rgba[i * 4];
        out[0] = BYTE(argb >> 16), out[1] = BYTE(argb >> 8), out[2] = BYTE(argb), out[3] = BYTE(argb >> 24);
    }
}

uint64_t g_lastTextureVersion = 0;

}  // namespace

// ---- textures ----

GlTexture::GlTexture(IDirect3DDevice8* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                     D3DPOOL pool)
    : device_(device), usage_(usage), format_(format), pool_(pool)
{
    if (levels == 0) levels = FullMipCount(width, height);
    for (UINT i = 0; i < levels; ++i) {
        levels_.push_back({width, height, std::vector<BYTE>(size_t(width) * height * BytesPerPixel(format), 0)});
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
    }
    glGenTextures(1, &name_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels_.size() - 1));
    if (!kGles && FormatFor(format_).opaque) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    for (UINT i = 0; i < levels_.size(); ++i) Upload(i);
}

HRESULT GlTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (!desc || !Alive() || level >= levels_.size()) return D3DERR_INVALIDCALL;
    std::memset(desc, 0, sizeof *desc);
    desc->Format = format_;
    desc->Type = D3DRTYPE_TEXTURE;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Size = static_cast<UINT>(levels_[level].pixels.size());
    desc->Width = levels_[level].width;
    desc->Height = levels_[level].height;
    return S_OK;
}

HRESULT GlTexture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface)
{
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!Alive() || level >= levels_.size()) return D3DERR_INVALIDCALL;
    *surface = MakeObject<GlSurface>(device_, this, level);
    return S_OK;
}

HRESULT GlTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, CONST RECT* rect, DWORD)
{
    if (!lockedRect || !Alive() || level >= levels_.size() || levels_[level].locked) return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    LONG left = 0, top = 0;
    if (rect) {
        if (!RectInside(*rect, LONG(l.width), LONG(l.height))) return D3DERR_INVALIDCALL;
        left = rect->left;
        top = rect->top;
    }
    const UINT pitch = l.width * BytesPerPixel(format_);
    l.locked = true;
    lockedRect->Pitch = static_cast<INT>(pitch);
    lockedRect->pBits = l.pixels.data() + size_t(top) * pitch + size_t(left) * BytesPerPixel(format_);
    return S_OK;
}

HRESULT GlTexture::UnlockRect(UINT level)
{
    if (!Alive() || level >= levels_.size() || !levels_[level].locked) return D3DERR_INVALIDCALL;
    levels_[level].locked = false;
    Upload(level);
    return S_OK;
}

void GlTexture::Upload(UINT level)
{
    GlTextureChanging(device_, this);
    version_ = ++g_lastTextureVersion;
    const GlFormat f = FormatFor(format_);
    const Level& l = levels_[level];
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // Row 0 of the pixels is the image's top row and becomes texture coordinate v = 0.
    if (kGles) {
        std::vector<BYTE> rgba;
        ToRgba8(format_, l.pixels.data(), size_t(l.width) * l.height, rgba);
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, static_cast<GLsizei>(l.width),
                     static_cast<GLsizei>(l.height), 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return;
    }
    glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), f.internal, static_cast<GLsizei>(l.width),
                 static_cast<GLsizei>(l.height), 0, f.format, f.type, l.pixels.data());
}

void GlTexture::OnFinalRelease()
{
    GlTextureChanging(device_, this);
    glDeleteTextures(1, &name_);
    name_ = 0;
    levels_.clear();
}

// ---- surfaces ----

GlSurface::GlSurface(IDirect3DDevice8* device, GlTexture* texture, UINT level)
    : device_(device), texture_(texture), level_(level)
{
    if (texture_) texture_->AddRef();
}

void GlSurface::OnFinalRelease()
{
    if (texture_) texture_->Release();
    texture_ = nullptr;
    readBack_.clear();
}

HRESULT GlSurface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc || !Alive()) return D3DERR_INVALIDCALL;
    if (texture_) {
        const HRESULT result = texture_->GetLevelDesc(level_, desc);
        desc->Type = D3DRTYPE_SURFACE;
        return result;
    }
    UINT width = 0, height = 0;
    if (!GlBackBufferSize(device_, width, height)) return D3DERR_INVALIDCALL;
    std::memset(desc, 0, sizeof *desc);
    desc->Format = D3DFMT_X8R8G8B8;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = D3DUSAGE_RENDERTARGET;
    desc->Width = width;
    desc->Height = height;
    desc->Size = desc->Width * desc->Height * 4;
    return S_OK;
}

HRESULT GlSurface::LockRect(D3DLOCKED_RECT* lockedRect, CONST RECT* rect, DWORD flags)
{
    if (!Alive() || !lockedRect) return D3DERR_INVALIDCALL;
    if (texture_) return texture_->LockRect(level_, lockedRect, rect, flags);
    // The back buffer can be read (for checks), not written.
    UINT width = 0, height = 0;
    if (locked_ || !GlBackBufferSize(device_, width, height)) return D3DERR_INVALIDCALL;
    RECT area = {0, 0, LONG(width), LONG(height)};
    if (rect) {
        if (!RectInside(*rect, LONG(width), LONG(height))) return D3DERR_INVALIDCALL;
        area = *rect;
    }
    // Rows of the whole width keep the pitch a whole-surface lock has; only the rectangle is filled.
    readBack_.resize(size_t(area.bottom - area.top) * width * 4);
    auto* rows = reinterpret_cast<uint32_t*>(readBack_.data());
    if (!readBack_.empty() && !GlReadBackBuffer(device_, area, width, rows + area.left)) return D3DERR_INVALIDCALL;
    locked_ = true;
    lockedRect->Pitch = static_cast<INT>(width * 4);
    lockedRect->pBits = readBack_.data() + size_t(area.left) * 4;
    return S_OK;
}

HRESULT GlSurface::UnlockRect()
{
    if (!Alive()) return D3DERR_INVALIDCALL;
    if (texture_) return texture_->UnlockRect(level_);
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return S_OK;
}
