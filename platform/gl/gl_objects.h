// The OpenGL back-end's resources: textures (each level kept in memory and uploaded on
// unlock), their surfaces, the device's back-buffer surface (read back on lock, never
// written) and vertex buffers (a GL buffer refreshed on unlock). Resources do not keep their device alive.
#pragma once
#include <d3d8.h>

#include <cstdint>
#include <vector>

#include "core/device_object.h"
#include "core/vertex_buffer.h"
#include "gl/gl_context.h"

// The back buffer of a live OpenGL device: its size, and the pixels of one rectangle inside
// it as ARGB words, top row first, each row `pitch` words after the last. Both are false
// when device is not a live OpenGL device. Only the rectangle is read: a one-pixel lock,
// the usual way to wait for a frame, must not cost a whole-picture copy.
bool GlBackBufferSize(IDirect3DDevice8* device, UINT& width, UINT& height);
bool GlReadBackBuffer(IDirect3DDevice8* device, const RECT& rect, UINT pitch, uint32_t* argb);

class GlTexture final : public CountedObject<IDirect3DTexture8> {
public:
    GlTexture(IDirect3DDevice8* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
              D3DPOOL pool);
    HRESULT GetDevice(IDirect3DDevice8** device) override { return ResourceDevice(device_, device); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, CONST RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    GLuint Name() const { return name_; }
    // Sampler settings last given to GL; changing them costs a texture revalidation.
    GLint sampling[4] = {-1, -1, -1, -1};

private:
    struct Level {
        UINT width, height;
        std::vector<BYTE> pixels;
        bool locked = false;
    };
    void Upload(UINT level);
    void OnFinalRelease() override;
    IDirect3DDevice8* device_;
    DWORD usage_;
    D3DFORMAT format_;
    D3DPOOL pool_;
    std::vector<Level> levels_;
    GLuint name_ = 0;
};

class GlSurface final : public CountedObject<IDirect3DSurface8> {
public:
    // A level of a texture, or (texture null) a read-back of the device's back buffer.
    GlSurface(IDirect3DDevice8* device, GlTexture* texture, UINT level);
    HRESULT GetDevice(IDirect3DDevice8** device) override { return ResourceDevice(device_, device); }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* lockedRect, CONST RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

private:
    void OnFinalRelease() override;
    IDirect3DDevice8* device_;
    GlTexture* texture_;
    UINT level_;
    std::vector<BYTE> readBack_;
    bool locked_ = false;
};

class GlVertexBuffer final : public VertexBufferCore {
public:
    GlVertexBuffer(IDirect3DDevice8* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    GLuint Name() const { return name_; }

private:
    void OnUnlocked() override;
    void OnFinalRelease() override;
    GLuint name_ = 0;
};
