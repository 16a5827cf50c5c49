// Object lifetime, the call record's bound and the back buffer of the in-memory device.
#include <gtest/gtest.h>

#include <d3d8.h>
#include <stand_in.h>

#include <cstdint>
#include <cstring>

#include "memory/memory_device.h"

namespace {

class MemoryDeviceLife : public ::testing::Test {
protected:
    void SetUp() override
    {
        PlatformSetDeviceBackend("memory");
        PlatformSetFailures(nullptr);
        MemoryResetConfig();
        MemoryDeviceClearRecord();
        d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.BackBufferWidth = 32;
        parameters.BackBufferHeight = 16;
        ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &parameters, &device_), S_OK);
    }
    void TearDown() override
    {
        MemoryDeviceSetRecording(true);
        MemoryDeviceSetRecordLimit(kMemoryRecordLimit);
        if (device_) device_->Release();
        if (d3d_) d3d_->Release();
    }
    IDirect3D8* d3d_ = nullptr;
    IDirect3DDevice8* device_ = nullptr;
};

}  // namespace

TEST_F(MemoryDeviceLife, StalePointersAreRefusedNotFollowed)
{
    IDirect3DTexture8* texture = nullptr;
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), S_OK);
    ASSERT_EQ(device_->CreateVertexBuffer(96, 0, 0, D3DPOOL_MANAGED, &buffer), S_OK);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(MemoryObjectRefCount(texture), 0);
    EXPECT_EQ(device_->SetTexture(0, texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetStreamSource(0, buffer, 24), D3DERR_INVALIDCALL);
    // Something that never was a device object is refused the same way.
    int notAnObject[16] = {};
    EXPECT_EQ(device_->SetTexture(0, reinterpret_cast<IDirect3DBaseTexture8*>(notAnObject)), D3DERR_INVALIDCALL);

    // A resource outliving its device cannot hand the device out.
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), S_OK);
    EXPECT_EQ(device_->Release(), 0u);
    device_ = nullptr;
    IDirect3DDevice8* owner = reinterpret_cast<IDirect3DDevice8*>(1);
    EXPECT_EQ(texture->GetDevice(&owner), D3DERR_INVALIDCALL);
    EXPECT_EQ(owner, nullptr);
    texture->Release();
}

TEST_F(MemoryDeviceLife, CreatingAndReleasingForeverKeepsTheRecordBounded)
{
    MemoryDeviceClearRecord();
    MemoryDeviceSetRecordLimit(1000);
    for (int i = 0; i < 20000; ++i) {
        IDirect3DVertexBuffer8* buffer = nullptr;
        ASSERT_EQ(device_->CreateVertexBuffer(4096, 0, 0, D3DPOOL_MANAGED, &buffer), S_OK);
        ASSERT_EQ(device_->SetStreamSource(0, buffer, 24), S_OK);
        buffer->Release();
    }
    device_->SetStreamSource(0, nullptr, 0);
    EXPECT_EQ(MemoryDeviceRecord().size(), 1000u);
    EXPECT_GT(MemoryDeviceRecordDropped(), 20000u * 3);
    // The first calls are the ones kept, in order.
    EXPECT_EQ(MemoryDeviceFind("CreateVertexBuffer"), 0);

    MemoryDeviceClearRecord();
    MemoryDeviceSetRecording(false);
    device_->BeginScene();
    EXPECT_TRUE(MemoryDeviceRecord().empty());
    EXPECT_EQ(MemoryDeviceRecordDropped(), 0u);
}

TEST_F(MemoryDeviceLife, ClearedColourShowsWhenTheBackBufferIsRead)
{
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456, 1.0f, 0), S_OK);
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(back->GetDesc(&desc), S_OK);
    EXPECT_EQ(desc.Size, 32u * 16u * 4u);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), S_OK);
    uint32_t first = 0, last = 0;
    std::memcpy(&first, locked.pBits, 4);
    std::memcpy(&last, static_cast<BYTE*>(locked.pBits) + 15 * locked.Pitch + 31 * 4, 4);
    back->UnlockRect();
    EXPECT_EQ(first, 0xFF123456u);
    EXPECT_EQ(last, 0xFF123456u);

    // A later clear replaces what was painted.
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000001, 1.0f, 0);
    ASSERT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), S_OK);
    std::memcpy(&first, locked.pBits, 4);
    back->UnlockRect();
    EXPECT_EQ(first, 0xFF000001u);
    back->Release();
}
