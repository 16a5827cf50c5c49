// D3DX8 stand-in: matrix and vector math, picking, image files into textures and
// surfaces, the screen sprite and error names. Written only against the Direct3D 8
// interfaces, so it serves every device back-end (and the real one).
#pragma once
#include <d3d8.h>

#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_FILTER_NONE (1 << 0)
#define D3DX_FILTER_POINT (2 << 0)
#define D3DX_FILTER_LINEAR (3 << 0)

#define _FACDD 0x876
#define MAKE_DDHRESULT(code) MAKE_HRESULT(1, _FACDD, code)
enum _D3DXERR {
    D3DXERR_CANNOTMODIFYINDEXBUFFER = MAKE_DDHRESULT(2900),
    D3DXERR_INVALIDMESH = MAKE_DDHRESULT(2901),
    D3DXERR_CANNOTATTRSORT = MAKE_DDHRESULT(2902),
    D3DXERR_SKINNINGNOTSUPPORTED = MAKE_DDHRESULT(2903),
    D3DXERR_TOOMANYINFLUENCES = MAKE_DDHRESULT(2904),
    D3DXERR_INVALIDDATA = MAKE_DDHRESULT(2905),
    D3DXERR_LOADEDMESHASNODATA = MAKE_DDHRESULT(2906),
};

// The platform's own windows.h brings this record with its GDI part.
#ifndef _WINGDI_
typedef struct tagPALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
} PALETTEENTRY;
#endif

typedef enum _D3DXIMAGE_FILEFORMAT {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_FORCE_DWORD = 0x7fffffff
} D3DXIMAGE_FILEFORMAT;

typedef struct _D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
} D3DXIMAGE_INFO;

struct D3DXVECTOR2 {
    D3DXVECTOR2() = default;
    D3DXVECTOR2(FLOAT fx, FLOAT fy) : x(fx), y(fy) {}
    FLOAT x, y;
};

struct D3DXVECTOR3 : public D3DVECTOR {
    D3DXVECTOR3() = default;
    D3DXVECTOR3(FLOAT fx, FLOAT fy, FLOAT fz) { x = fx; y = fy; z = fz; }
};

struct D3DXVECTOR4 {
    D3DXVECTOR4() = default;
    D3DXVECTOR4(FLOAT fx, FLOAT fy, FLOAT fz, FLOAT fw) : x(fx), y(fy), z(fz), w(fw) {}
    FLOAT x, y, z, w;
};

struct D3DXMATRIX : public D3DMATRIX {
    D3DXMATRIX() = default;
    D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22, FLOAT f23, FLOAT f24,
               FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34, FLOAT f41, FLOAT f42, FLOAT f43, FLOAT f44);
    FLOAT& operator()(UINT row, UINT col) { return m[row][col]; }
    FLOAT operator()(UINT row, UINT col) const { return m[row][col]; }
    D3DXMATRIX operator*(const D3DXMATRIX& other) const;
};

D3DXMATRIX* WINAPI D3DXMatrixIdentity(D3DXMATRIX* out);
D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* out, FLOAT x, FLOAT y, FLOAT z);
D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* out, FLOAT angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* out, FLOAT angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* out, FLOAT angle);
D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* out, CONST D3DXMATRIX* m1, CONST D3DXMATRIX* m2);
D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* out, FLOAT* determinant, CONST D3DXMATRIX* m);
D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, FLOAT fovy, FLOAT aspect, FLOAT zn, FLOAT zf);
D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* out, CONST D3DXVECTOR3* eye, CONST D3DXVECTOR3* at,
                                      CONST D3DXVECTOR3* up);
D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* out, CONST D3DXVECTOR3* v, CONST D3DXMATRIX* m);
D3DXVECTOR3* WINAPI D3DXVec3Project(D3DXVECTOR3* out, CONST D3DXVECTOR3* v, CONST D3DVIEWPORT8* viewport,
                                    CONST D3DXMATRIX* projection, CONST D3DXMATRIX* view,
                                    CONST D3DXMATRIX* world);
D3DXVECTOR3* WINAPI D3DXVec3Unproject(D3DXVECTOR3* out, CONST D3DXVECTOR3* v, CONST D3DVIEWPORT8* viewport,
                                      CONST D3DXMATRIX* projection, CONST D3DXMATRIX* view,
                                      CONST D3DXMATRIX* world);
BOOL WINAPI D3DXIntersectTri(CONST D3DXVECTOR3* p0, CONST D3DXVECTOR3* p1, CONST D3DXVECTOR3* p2,
                             CONST D3DXVECTOR3* rayPos, CONST D3DXVECTOR3* rayDir, FLOAT* u, FLOAT* v,
                             FLOAT* dist);

HRESULT WINAPI D3DXGetErrorStringA(HRESULT hr, LPSTR buffer, UINT bufferLen);

HRESULT WINAPI D3DXCreateTexture(LPDIRECT3DDEVICE8 device, UINT width, UINT height, UINT mipLevels,
                                 DWORD usage, D3DFORMAT format, D3DPOOL pool, LPDIRECT3DTEXTURE8* texture);
HRESULT WINAPI D3DXCreateTextureFromFileExA(LPDIRECT3DDEVICE8 device, LPCSTR srcFile, UINT width, UINT height,
                                            UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            LPDIRECT3DTEXTURE8* texture);
HRESULT WINAPI D3DXLoadSurfaceFromFileA(LPDIRECT3DSURFACE8 destSurface, CONST PALETTEENTRY* destPalette,
                                        CONST RECT* destRect, LPCSTR srcFile, CONST RECT* srcRect, DWORD filter,
                                        D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo);

struct ID3DXSprite : public IUnknown {
    virtual HRESULT GetDevice(LPDIRECT3DDEVICE8* device) = 0;
    virtual HRESULT Begin() = 0;
    virtual HRESULT Draw(LPDIRECT3DTEXTURE8 srcTexture, CONST RECT* srcRect, CONST D3DXVECTOR2* scaling,
                         CONST D3DXVECTOR2* rotationCenter, FLOAT rotation, CONST D3DXVECTOR2* translation,
                         D3DCOLOR color) = 0;
    virtual HRESULT End() = 0;
};
typedef ID3DXSprite* LPD3DXSPRITE;

HRESULT WINAPI D3DXCreateSprite(LPDIRECT3DDEVICE8 device, LPD3DXSPRITE* sprite);
