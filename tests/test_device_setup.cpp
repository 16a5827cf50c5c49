#include <gtest/gtest.h>

#include <d3d8.h>
#include <d3dx8.h>
#include <stand_in.h>

#include <cstring>

#include "game/state.h"
#include "graphics/device_setup.h"
#include "graphics/draw_helpers.h"
#include "memory/memory_device.h"
#include "base/log.h"
#include "support.h"

namespace {

class DeviceSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartOnMemoryDevice();
    }
    void TearDown() override { PlatformSetFailures(nullptr); }
    ScopedTempDir dir_;
};

TEST_F(DeviceSetup, TwoAdaptersLoggedOnlyTheFirstStored)
{
    MemoryConfig().adapters = {{"First Card", 2048, 1024, 0, false}, {"Second Card", 4096, 4096, 0, false}};
    g_screenWidth = 640;
    g_screenHeight = 480;
    ASSERT_EQ(InitD3D(nullptr), S_OK);
    // The scene's data files follow in the log once the device is made.
    EXPECT_EQ(ReadWholeFile("log.log").rfind("Adapter count: 2\n"
                                             "Adapter Description: First Card\n"
                                             "Max Texture Size: 2048x1024\n"
                                             "Adapter Description: Second Card\n"
                                             "Max Texture Size: 4096x4096\n"
                                             "Completed initializing d3d\n",
                                             0),
              0u);
    EXPECT_EQ(g_maxTextureWidth, 2048u);
    EXPECT_EQ(g_maxTextureHeight, 1024u);
    ASSERT_NE(g_device, nullptr);

    const int create = MemoryDeviceFind("CreateDevice");
    ASSERT_GE(create, 0);
    const MemoryCall& call = MemoryDeviceRecord()[create];
    EXPECT_EQ(call.args[0], 0);                                      // default adapter
    EXPECT_EQ(call.args[1], D3DDEVTYPE_HAL);
    EXPECT_EQ(call.args[3], D3DCREATE_SOFTWARE_VERTEXPROCESSING);
    EXPECT_LT(MemoryDeviceFind("GetAdapterDisplayMode"), create);

    D3DVIEWPORT8 viewport;
    g_device->GetViewport(&viewport);  // the back buffer's size
    EXPECT_EQ(viewport.Width, 640u);
    EXPECT_EQ(viewport.Height, 480u);
}

TEST_F(DeviceSetup, FailureTable)
{
    PlatformSetFailures("d3dcreate");
    EXPECT_EQ(InitD3D(nullptr), E_FAIL);
    EXPECT_EQ(g_d3d, nullptr);
    EXPECT_EQ(ReadWholeFile("log.log"), "");

    PlatformSetFailures("displaymode");
    EXPECT_EQ(InitD3D(nullptr), E_FAIL);
    EXPECT_NE(g_d3d, nullptr);
    EXPECT_EQ(g_device, nullptr);
    EXPECT_EQ(ReadWholeFile("log.log"),
              "Adapter count: 1\nAdapter Description: Memory Adapter\nMax Texture Size: 2048x2048\n"
              "Error getting display mode\n");
    EXPECT_EQ(MemoryDeviceFind("CreateDevice"), -1);

    ResetLog();
    PlatformSetFailures("createdevice");
    EXPECT_EQ(InitD3D(nullptr), E_FAIL);
    EXPECT_EQ(g_device, nullptr);
    const std::string log = ReadWholeFile("log.log");
    EXPECT_NE(log.find("Error creating device:\nD3DERR_NOTAVAILABLE\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Completed"), std::string::npos);

    ResetLog();
    PlatformSetFailures(nullptr);
    MemoryConfig().createDeviceResult = E_OUTOFMEMORY;
    EXPECT_EQ(InitD3D(nullptr), E_FAIL);
    EXPECT_NE(ReadWholeFile("log.log").find("Error creating device:\nE_OUTOFMEMORY\n"), std::string::npos);
}

TEST_F(DeviceSetup, UnreadableCapsStoreASafeTextureSize)
{
    MemoryConfig().adapters = {{"Broken", 0, 0, 0, true}};
    ASSERT_EQ(InitD3D(nullptr), S_OK);
    EXPECT_EQ(g_maxTextureWidth, SAFE_MAX_TEXTURE_SIZE);
    EXPECT_EQ(g_maxTextureHeight, SAFE_MAX_TEXTURE_SIZE);
    EXPECT_NE(ReadWholeFile("log.log").find("Max Texture Size: 0x0\n"), std::string::npos);
}

TEST_F(DeviceSetup, QuadBufferAndOutlineCalls)
{
    ASSERT_EQ(InitD3D(nullptr), S_OK);
    const QuadVertex quad[4] = {{0, 0, 0, 0xffffffff, 0, 0}, {1, 0, 0, 0xffffffff, 1, 0},
                                {1, 1, 0, 0xffffffff, 1, 1}, {0, 1, 0, 0xff00ff00, 0, 1}};
    MemoryDeviceClearRecord();
    IDirect3DVertexBuffer8* buffer = CreateTempQuadBuffer(g_device, quad);
    ASSERT_NE(buffer, nullptr);
    const auto& record = MemoryDeviceRecord();
    ASSERT_GE(record.size(), 3u);
    EXPECT_EQ(record[0].method, "CreateVertexBuffer");
    EXPECT_EQ(record[0].args, (std::vector<double>{96, D3DUSAGE_WRITEONLY, 0x142, D3DPOOL_MANAGED}));
    EXPECT_EQ(record[1].method, "VertexBuffer::Lock");
    EXPECT_EQ(record[1].args[3], D3DLOCK_DISCARD);
    BYTE* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), S_OK);
    EXPECT_EQ(std::memcmp(data, quad, sizeof quad), 0);
    buffer->Unlock();

    MemoryDeviceClearRecord();
    BindQuadBuffer(g_device, buffer);
    DrawWireFrameOutline(g_device);
    std::vector<std::string> methods;
    for (const MemoryCall& call : MemoryDeviceRecord())
        if (call.method.find("::") == std::string::npos) methods.push_back(call.method);
    EXPECT_EQ(methods, (std::vector<std::string>{"SetStreamSource", "SetVertexShader", "SetTexture", "SetRenderState",
                                                 "DrawPrimitive", "SetRenderState"}));
    DWORD fill = 0;
    g_device->GetRenderState(D3DRS_FILLMODE, &fill);
    EXPECT_EQ(fill, static_cast<DWORD>(D3DFILL_SOLID));
    const MemoryCall& draw = MemoryDeviceRecord()[MemoryDeviceFind("DrawPrimitive")];
    EXPECT_EQ(draw.args, (std::vector<double>{D3DPT_TRIANGLEFAN, 0, 2}));
    const MemoryCall& stream = MemoryDeviceRecord()[MemoryDeviceFind("SetStreamSource")];
    EXPECT_EQ(stream.args[2], 24);

    // Device holds its own reference while bound; release leaves nothing dangling.
    EXPECT_EQ(buffer->Release(), 1u);
    g_device->SetStreamSource(0, nullptr, 0);
    EXPECT_EQ(MemoryObjectRefCount(buffer), 0);
}

TEST_F(DeviceSetup, SpriteDrawsPretransformedAndPutsEveryStateBack)
{
    ASSERT_EQ(InitD3D(nullptr), S_OK);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(g_device->CreateTexture(16, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), S_OK);
    g_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    g_device->SetRenderState(D3DRS_ALPHAREF, 2);
    g_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    g_device->SetVertexShader(0x142);

    LPD3DXSPRITE sprite = nullptr;
    ASSERT_EQ(D3DXCreateSprite(g_device, &sprite), S_OK);
    const D3DXVECTOR2 at(100, 50);
    ASSERT_EQ(sprite->Draw(texture, nullptr, nullptr, nullptr, 0, &at, 0x80ffffff), S_OK);

    const int draw = MemoryDeviceFind("DrawPrimitiveUP");
    ASSERT_GE(draw, 0);
    const int shader = MemoryDeviceFind("SetVertexShader", MemoryDeviceFind("Texture::GetLevelDesc"));
    EXPECT_EQ(MemoryDeviceRecord()[shader].args[0], 0x144);
    const std::vector<BYTE>& bytes = MemoryDeviceLastUserVertices();
    ASSERT_EQ(bytes.size(), 4u * 28u);
    float corner[4];
    std::memcpy(corner, bytes.data(), sizeof corner);
    EXPECT_EQ(corner[0], 100.0f);
    EXPECT_EQ(corner[1], 50.0f);
    std::memcpy(corner, bytes.data() + 2 * 28, sizeof corner);
    EXPECT_EQ(corner[0], 116.0f);
    EXPECT_EQ(corner[1], 58.0f);
    DWORD colour = 0;
    std::memcpy(&colour, bytes.data() + 16, 4);
    EXPECT_EQ(colour, 0x80ffffffu);

    DWORD value = 0;
    g_device->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DZB_TRUE));
    g_device->GetRenderState(D3DRS_ALPHAREF, &value);
    EXPECT_EQ(value, 2u);
    g_device->GetTextureStageState(0, D3DTSS_ALPHAOP, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_MODULATE));
    g_device->GetVertexShader(&value);
    EXPECT_EQ(value, 0x142u);
    IDirect3DBaseTexture8* bound = nullptr;
    g_device->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);
    sprite->Release();
    EXPECT_EQ(texture->Release(), 0u);
}

TEST(MemoryDevice, ReleasedAndNullObjectsAreRefusedNotFollowed)
{
    PlatformSetDeviceBackend("memory");
    MemoryResetConfig();
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = 64;
    parameters.BackBufferHeight = 32;
    IDirect3DDevice8* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &parameters, &device), S_OK);

    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), S_OK);
    EXPECT_EQ(texture->Release(), 0u);
    // Released objects are freed: only the device may be handed the stale pointer.
    EXPECT_EQ(device->SetTexture(0, texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTexture(0, nullptr), S_OK);
    EXPECT_EQ(device->SetStreamSource(0, nullptr, 24), S_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTransform(D3DTS_VIEW, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(4096, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);

    EXPECT_EQ(device->Release(), 0u);
    EXPECT_EQ(d3d->Release(), 0u);
}

}  // namespace

namespace {

TEST(DeviceSetupOpenGl, CreatesTheDeviceAndLogsTheRenderer)
{
    ResetGameState();
    ScopedTempDir dir;
    PlatformSetFailures(nullptr);
    PlatformSetDeviceBackend("opengl");
    ResetLog();
    ASSERT_EQ(InitD3D(nullptr), S_OK);
    const std::string log = ReadWholeFile("log.log");
    EXPECT_EQ(log.rfind("Adapter count: 1\nAdapter Description: ", 0), 0u) << log;
    EXPECT_NE(log.find("\nMax Texture Size: "), std::string::npos);
    EXPECT_NE(log.find("\nCompleted initializing d3d\n"), std::string::npos);
    EXPECT_GE(g_maxTextureWidth, 256u);
    ASSERT_NE(g_device, nullptr);
    D3DVIEWPORT8 viewport;
    g_device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, static_cast<DWORD>(g_screenWidth));
    g_device->Release();
    g_d3d->Release();
}

}  // namespace
