#include "graphics/text.h"

#include <windows.h>
#include <d3d8.h>
#include <d3dx8.h>

#include <cstdio>
#include <string>

#include "base/log.h"
#include "figure/data_reader.h"
#include "graphics/device.h"
#include "graphics/draw_helpers.h"

namespace {

// Beyond these a metrics file is taken as broken rather than as a very large font.
const long MAX_CELL_PIXELS = 256;
const long MAX_FONT_CHARS = 256;

// Direct3D puts pixel centres on whole coordinates (the OpenGL device follows it), so
// quads go half a pixel up and left for each texel to land on exactly one pixel.
const float PIXEL_CENTRE = 0.5f;

struct FontMetrics {
    std::string image;
    long cellWidth = 0;
    long cellHeight = 0;
    long advance = 0;
    long columns = 0;
    long firstChar = 0;
    long charCount = 0;
};

struct Font {
    FontMetrics metrics;
    IDirect3DTexture8* texture = nullptr;
    float textureWidth = 0.0f;  // the texture's own size, which may exceed the image's
    float textureHeight = 0.0f;
};

Font s_font;

long Bounded(const char* value, long most)
{
    const long n = ParseInteger(value);
    if (n < 0 || n > most) {
        LogRefusedKey("font", "value out of range");
        return 0;
    }
    return n;
}

class FontReading;
const DataKey<FontReading, FontMetrics> FONT_KEYS[] = {
    {"image", nullptr, [](FontMetrics& m, const char* v) { m.image = v; }},
    {"cellwidth", nullptr, [](FontMetrics& m, const char* v) { m.cellWidth = Bounded(v, MAX_CELL_PIXELS); }},
    {"cellheight", nullptr, [](FontMetrics& m, const char* v) { m.cellHeight = Bounded(v, MAX_CELL_PIXELS); }},
    {"advance", nullptr, [](FontMetrics& m, const char* v) { m.advance = Bounded(v, MAX_CELL_PIXELS); }},
    {"columns", nullptr, [](FontMetrics& m, const char* v) { m.columns = Bounded(v, MAX_FONT_CHARS); }},
    {"firstchar", nullptr, [](FontMetrics& m, const char* v) { m.firstChar = Bounded(v, MAX_FONT_CHARS); }},
    {"charcount", nullptr, [](FontMetrics& m, const char* v) { m.charCount = Bounded(v, MAX_FONT_CHARS); }},
};

class FontReading : public DataFileReading {
public:
    bool Key(int, const char* key, const char* value) override
    {
        return ApplyDataKey(FONT_KEYS, *this, key, value, &metrics, "no font");
    }
    FontMetrics metrics;
};

bool Refuse(const char* fileName, const char* why)
{
    char line[200];
    std::snprintf(line, sizeof line, "%s: %s; no screen text", fileName, why);
    WriteLog(line);
    return false;
}

}  // namespace

bool LoadFont(const char* metricsFile)
{
    ForgetFont();
    if (!metricsFile) return false;
    // The data reader creates a missing file to be edited; a font is not edited by hand.
    FILE* probe = std::fopen(metricsFile, "r");
    if (!probe) return Refuse(metricsFile, "missing");
    std::fclose(probe);
    if (!g_device) return Refuse(metricsFile, "no device");

    FontReading reading;
    ReadDataFile(metricsFile, reading, "Font file done");
    const FontMetrics m = reading.metrics;
    if (m.image.empty() || m.cellWidth <= 0 || m.cellHeight <= 0 || m.columns <= 0 || m.charCount <= 0 ||
        m.firstChar + m.charCount > MAX_FONT_CHARS)
        return Refuse(metricsFile, "incomplete metrics");

    IDirect3DTexture8* texture = nullptr;
    D3DXIMAGE_INFO info = {};
    if (FAILED(D3DXCreateTextureFromFileExA(g_device, m.image.c_str(), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                            D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, &info, nullptr,
                                            &texture)) ||
        !texture)
        return Refuse(metricsFile, "atlas image does not load");
    D3DSURFACE_DESC desc = {};
    const long rows = (m.charCount + m.columns - 1) / m.columns;
    // Every cell must lie inside the image, or some character would sample past it.
    if (FAILED(texture->GetLevelDesc(0, &desc)) || desc.Width == 0 || desc.Height == 0 ||
        static_cast<long>(info.Width) < m.columns * m.cellWidth ||
        static_cast<long>(info.Height) < rows * m.cellHeight) {
        texture->Release();
        return Refuse(metricsFile, "atlas smaller than its cells");
    }
    s_font.metrics = m;
    if (s_font.metrics.advance <= 0) s_font.metrics.advance = m.cellWidth;
    s_font.texture = texture;
    s_font.textureWidth = static_cast<float>(desc.Width);
    s_font.textureHeight = static_cast<float>(desc.Height);
    return true;
}

void ForgetFont()
{
    s_font = Font();
}

void ReleaseFont()
{
    if (s_font.texture) s_font.texture->Release();
    ForgetFont();
}

bool FontLoaded()
{
    return s_font.texture != nullptr;
}

const char* FontImageFile()
{
    return s_font.metrics.image.c_str();
}

int TextLineHeight()
{
    return FontLoaded() ? static_cast<int>(s_font.metrics.cellHeight) : 0;
}

int TextAdvance()
{
    return FontLoaded() ? static_cast<int>(s_font.metrics.advance) : 0;
}

ScreenTextPass::ScreenTextPass(IDirect3DDevice8* device)
{
    if (!device || !FontLoaded() || g_screenWidth <= 0.0f || g_screenHeight <= 0.0f) return;
    device_ = device;
    device_->GetTransform(D3DTS_WORLD, &world_);
    device_->GetTransform(D3DTS_VIEW, &view_);
    device_->GetTransform(D3DTS_PROJECTION, &projection_);
    device_->GetRenderState(D3DRS_ZENABLE, &zEnable_);
    device_->GetRenderState(D3DRS_FILLMODE, &fillMode_);
    device_->GetTexture(0, &texture_);

    // Back-buffer pixels, y down, straight to clip space; depth plays no part.
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    D3DXMATRIX pixels = identity;
    pixels._11 = 2.0f / g_screenWidth;
    pixels._22 = -2.0f / g_screenHeight;
    pixels._41 = -1.0f;
    pixels._42 = 1.0f;
    device_->SetTransform(D3DTS_WORLD, &identity);
    device_->SetTransform(D3DTS_VIEW, &identity);
    device_->SetTransform(D3DTS_PROJECTION, &pixels);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
}

ScreenTextPass::~ScreenTextPass()
{
    if (!device_) return;
    device_->SetTransform(D3DTS_WORLD, &world_);
    device_->SetTransform(D3DTS_VIEW, &view_);
    device_->SetTransform(D3DTS_PROJECTION, &projection_);
    device_->SetRenderState(D3DRS_ZENABLE, zEnable_);
    device_->SetRenderState(D3DRS_FILLMODE, fillMode_);
    device_->SetTexture(0, texture_);
    if (texture_) texture_->Release();
}

void ScreenTextPass::DrawQuad(float left, float top, float width, float height, float u0, float v0, float u1,
                              float v1, DWORD colour)
{
    const float x0 = left - PIXEL_CENTRE, y0 = top - PIXEL_CENTRE;
    const float x1 = x0 + width, y1 = y0 + height;
    const QuadVertex quad[4] = {
        {x0, y0, 0.0f, colour, u0, v0},
        {x1, y0, 0.0f, colour, u1, v0},
        {x1, y1, 0.0f, colour, u1, v1},
        {x0, y1, 0.0f, colour, u0, v1},
    };
    IDirect3DVertexBuffer8* buffer = CreateTempQuadBuffer(device_, quad);
    if (!buffer) return;
    BindQuadBuffer(device_, buffer);
    device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    buffer->Release();
}

void ScreenTextPass::FillStrip(float left, float top, float width, float height, DWORD colour)
{
    if (!device_) return;
    device_->SetTexture(0, nullptr);
    DrawQuad(left, top, width, height, 0.0f, 0.0f, 0.0f, 0.0f, colour);
}

float ScreenTextPass::DrawString(float left, float top, const char* text, DWORD colour)
{
    if (!device_ || !text) return 0.0f;
    const FontMetrics& m = s_font.metrics;
    device_->SetTexture(0, s_font.texture);
    const float cellWidth = static_cast<float>(m.cellWidth), cellHeight = static_cast<float>(m.cellHeight);
    float x = left;
    for (const char* c = text; *c; ++c, x += static_cast<float>(m.advance)) {
        // A blank needs no quad.
        if (*c == ' ') continue;
        const long index = static_cast<long>(static_cast<unsigned char>(*c)) - m.firstChar;
        if (index < 0 || index >= m.charCount) continue;
        const float u = static_cast<float>((index % m.columns) * m.cellWidth);
        const float v = static_cast<float>((index / m.columns) * m.cellHeight);
        DrawQuad(x, top, cellWidth, cellHeight, u / s_font.textureWidth, v / s_font.textureHeight,
                 (u + cellWidth) / s_font.textureWidth, (v + cellHeight) / s_font.textureHeight, colour);
    }
    return x - left;
}
