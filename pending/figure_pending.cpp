// Placeholders for functions that other branches provide, so this branch links.
#include <windows.h>
#include <d3dx8.h>

HRESULT WINAPI D3DXCreateTexture(LPDIRECT3DDEVICE8, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, LPDIRECT3DTEXTURE8*)
{
    return E_FAIL;
}
HRESULT WINAPI D3DXCreateTextureFromFileExA(LPDIRECT3DDEVICE8, LPCSTR, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                            DWORD, DWORD, D3DCOLOR, D3DXIMAGE_INFO*, PALETTEENTRY*,
                                            LPDIRECT3DTEXTURE8*)
{
    return E_FAIL;
}
HRESULT WINAPI D3DXLoadSurfaceFromFileA(LPDIRECT3DSURFACE8, CONST PALETTEENTRY*, CONST RECT*, LPCSTR, CONST RECT*,
                                        DWORD, D3DCOLOR, D3DXIMAGE_INFO*)
{
    return E_FAIL;
}
