// The OpenGL back-end's resources: textures (each level kept in memory and uploaded on
// unlock), their surfaces, the device's back-buffer surface (read back on lock, never
// written) and vertex buffers (kept in memory only: the device copies what a draw reads
// into its frame). Resources do not keep their device alive.
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
class GlTexture;
// Told before a texture's pixels change in OpenGL or its name is deleted: a frame the
// device has recorded but not drawn yet must be drawn with the texture as it was.
void GlTextureChanging(IDirect3DDevice8* device, const GlTexture* texture);

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
    // Unique among all textures of the process and renewed by every upload, so two frames
    // naming the same version sampled the same pixels.
    uint64_t Version() const { return version_; }
    // Sampler settings last given to GL; changing them costs a texture revalidation.
    GLint sampling[4] = {-1, -1, -1, -1};
    // A recording the device has not finished with samples it: the frame not drawn yet, or
    // one drawn without its depth buffer whose depth may still have to be drawn.
    bool inRecording = false;

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
    uint64_t version_ = 0;
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
    using VertexBufferCore::VertexBufferCore;
    const std::vector<BYTE>& Contents() const { return Bytes(); }
};
