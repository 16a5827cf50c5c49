// The in-memory Direct3D back-end: keeps pixels and vertices, draws nothing, and
// records every call so tests can check what the game asked of the device.
#pragma once
#include <d3d8.h>

#include <cstddef>
#include <string>
#include <vector>

// One recorded call: method name and its arguments as numbers (pointers as addresses,
// booleans as 0/1, floats as they are). Matrices and rectangles are not expanded.
struct MemoryCall {
    std::string method;
    std::vector<double> args;
};

struct MemoryAdapter {
    std::string description;
    DWORD maxTextureWidth;
    DWORD maxTextureHeight;
    DWORD textureCaps;  // e.g. D3DPTEXTURECAPS_POW2
    bool capsFail;      // GetDeviceCaps fails for this adapter
};

struct MemoryDeviceConfig {
    std::vector<MemoryAdapter> adapters;  // default: one adapter, 2048 x 2048, no caps
    D3DFORMAT displayFormat;              // format of the current display mode
    HRESULT createDeviceResult;           // forced failure of CreateDevice when not S_OK
};

// The configuration the next Direct3D object and device use; reset restores defaults.
MemoryDeviceConfig& MemoryConfig();
void MemoryResetConfig();

IDirect3D8* CreateMemoryDirect3D();
// A device on adapter 0 with a windowed back buffer of this size, for tools and tests that
// only load images; false, with whatever was made released, when it cannot be made.
bool CreateMemoryDevice(UINT width, UINT height, IDirect3D8** d3d, IDirect3DDevice8** device);

// Every call on any memory object since the last clear, in order, up to the limit;
// calls past it are counted, not kept.
const std::vector<MemoryCall>& MemoryDeviceRecord();
void MemoryDeviceClearRecord();
const size_t kMemoryRecordLimit = 200000;
void MemoryDeviceSetRecordLimit(size_t calls);
size_t MemoryDeviceRecordDropped();
// Recording on (the default) or off, for long runs that never read it.
void MemoryDeviceSetRecording(bool on);
// Index of the first call named method at or after from, or -1.
int MemoryDeviceFind(const char* method, size_t from = 0);
int MemoryDeviceCount(const char* method);

// The most recently created memory device (null if none), for reading its state.
IDirect3DDevice8* MemoryDeviceCurrent();
// Vertices of the last DrawPrimitiveUP call, as raw bytes.
const std::vector<BYTE>& MemoryDeviceLastUserVertices();
// Reference count of a live memory object; 0 once freed or for anything else.
long MemoryObjectRefCount(IUnknown* object);
