// Placeholders for functions that other branches provide, so this branch's tests link.
#include <windows.h>
#include <d3dx8.h>

HRESULT WINAPI D3DXCreateSprite(LPDIRECT3DDEVICE8, LPD3DXSPRITE* sprite)
{
    if (sprite) *sprite = nullptr;
    return E_NOTIMPL;
}
