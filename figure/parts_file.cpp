#include "figure/parts_file.h"

#include <d3dx8.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

#include "figure/data_file_names.h"
#include "figure/data_reader.h"
#include "figure/parts_save.h"
#include "graphics/device.h"
#include "base/log.h"

namespace {

char* CopyText(const char* text)
{
    if (!text) return nullptr;
    size_t length = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(length));
    if (copy) std::memcpy(copy, text, length);
    return copy;
}

// Drops the tiles of an earlier build so a part can be built again without leaks.
void ReleaseTiles(VectorPart& part)
{
    for (int c = 0; c < TILE_GRID; ++c) {
        for (int r = 0; r < TILE_GRID; ++r) {
            if (part.tileTextures[c][r]) part.tileTextures[c][r]->Release();
            if (part.tileVertexBuffers[c][r]) part.tileVertexBuffers[c][r]->Release();
            part.tileTextures[c][r] = nullptr;
            part.tileVertexBuffers[c][r] = nullptr;
            part.tileWidths[c][r] = 0;
            part.tileHeights[c][r] = 0;
        }
    }
    part.tilesAcross = 0;
    part.tilesDown = 0;
    part.imageWidth = 0;
    part.imageHeight = 0;
    part.primaryVertexBuffer = nullptr;
}

void SetPoints(VectorPart& part, const char* value)
{
    // A line holds at most 999 characters, so never more than 500 items.
    long items[MAX_DATA_LINE];
    int count = ParseList(value, items, MAX_DATA_LINE);
    int pairs = count / 2;
    if (pairs > part.numpoints) {
        LogRefusedKey("points", "more pairs than numpoints");
        pairs = part.numpoints;
    }
    for (int i = 0; i < pairs; ++i) {
        part.points[i].x = static_cast<int>(items[2 * i]);
        part.points[i].y = static_cast<int>(items[2 * i + 1]);
    }
}

// Every key of the file; a part line chooses the image the lines after it write.
const DataKey<PartsReading, VectorPart> PARTS_KEYS[] = {
    {"numparts", [](PartsReading& r, const char* v) { r.SetNumParts(ParseInteger(v)); }, nullptr},
    {"part", [](PartsReading& r, const char* v) { r.SetCurrentPart(static_cast<int>(ParseInteger(v))); }, nullptr},
    {"texture", [](PartsReading& r, const char* v) { r.SetTexture(v); }, nullptr},
    {"numpoints", [](PartsReading& r, const char* v) { r.SetNumPoints(ParseInteger(v)); }, nullptr},
    {"points", nullptr, SetPoints},
    {"xoffset", nullptr, [](VectorPart& part, const char* v) { part.xoffset = static_cast<float>(ParseReal(v)); }},
    {"yoffset", nullptr, [](VectorPart& part, const char* v) { part.yoffset = static_cast<float>(ParseReal(v)); }},
};

}  // namespace

PartsReading::PartsReading(VectorPart* parts, int numParts) : parts_(parts), numParts_(parts ? numParts : 0) {}

PartsReading::~PartsReading()
{
    delete[] parts_;
}

const VectorPart* PartsReading::Part(int index) const
{
    return parts_ && index >= 0 && index < numParts_ ? &parts_[index] : nullptr;
}

VectorPart* PartsReading::Current()
{
    return parts_ && current_ >= 0 && current_ < numParts_ ? &parts_[current_] : nullptr;
}

bool PartsReading::Key(int line, const char* key, const char* value)
{
    const bool recognised = ApplyDataKey(PARTS_KEYS, *this, key, value, Current(), "no such part");
    // Where each part's lines are, so a save can change its offsets in place.
    if (recognised && value)
        record_.notes.push_back({line, std::strcmp(key, "numparts") == 0 ? COUNT_NOTE : current_, key});
    return recognised;
}

void PartsReading::SetNumParts(long n)
{
    if (n < 0 || n > MAX_DATA_COUNT) {
        LogRefusedKey("numparts", "count out of range");
        return;
    }
    delete[] parts_;
    parts_ = new VectorPart[n];
    numParts_ = static_cast<int>(n);
    pointsInUse_ = 0;
}

void PartsReading::SetNumPoints(long n)
{
    VectorPart* part = Current();
    if (!part) {
        LogRefusedKey("numpoints", "no such part");
        return;
    }
    if (n < 0 || n > MAX_DATA_COUNT) {
        LogRefusedKey("numpoints", "count out of range");
        return;
    }
    long inUse = pointsInUse_ - part->numpoints + n;
    if (inUse > MAX_DATA_TOTAL) {
        LogRefusedKey("numpoints", "too many points in all");
        return;
    }
    pointsInUse_ = inUse < 0 ? 0 : inUse;
    delete[] part->points;
    part->points = n > 0 ? new PartPoint[n]() : nullptr;
    part->numpoints = static_cast<int>(n);
}

void PartsReading::SetTexture(const char* fileName)
{
    VectorPart* part = Current();
    if (!part) {
        LogRefusedKey("texture", "no such part");
        return;
    }
    // A new image starts its part afresh, points included.
    pointsInUse_ = pointsInUse_ > part->numpoints ? pointsInUse_ - part->numpoints : 0;
    SetPartTexture(current_, *part, fileName);
}

PartsDocument PartsReading::Finish(const char* fileName)
{
    PartsDocument document;
    document.parts = std::exchange(parts_, nullptr);
    document.numParts = std::exchange(numParts_, 0);
    document.record = std::move(record_);
    // The bytes the lines came from: a save compares the file with them before writing.
    document.record.text = FileText(fileName);
    TagPartsLines(document.record);
    NotePartsFileOffsets(document.record, document.parts, document.numParts);
    return document;
}

PartsDocument ReadPartsFile(const char* fileName)
{
    PartsReading reading;
    ReadDataFile(fileName, reading, PARTS_DONE_LINE);
    return reading.Finish(fileName);
}

int LoadVectorParts()
{
    // Read over what is loaded: a file without a numparts line addresses those parts.
    PartsReading reading(std::exchange(g_parts, nullptr), std::exchange(g_numParts, 0));
    ReadDataFile(PARTS_DATA_FILE, reading, PARTS_DONE_LINE);
    PartsDocument document = reading.Finish(PARTS_DATA_FILE);
    g_parts = document.parts;
    g_numParts = document.numParts;
    g_partsFileRecord = std::move(document.record);
    return 0;
}

namespace {

// Hands everything one part holds to another, which gives its own back: parts own their
// tiles and cannot be copied, so a bigger array takes them over this way.
void SwapParts(VectorPart& a, VectorPart& b)
{
    std::swap(a.tilesAcross, b.tilesAcross);
    std::swap(a.tilesDown, b.tilesDown);
    std::swap(a.tileTextures, b.tileTextures);
    std::swap(a.tileVertexBuffers, b.tileVertexBuffers);
    std::swap(a.tileWidths, b.tileWidths);
    std::swap(a.tileHeights, b.tileHeights);
    std::swap(a.imageHeight, b.imageHeight);
    std::swap(a.imageWidth, b.imageWidth);
    std::swap(a.textureFile, b.textureFile);
    std::swap(a.primaryVertexBuffer, b.primaryVertexBuffer);
    std::swap(a.index, b.index);
    std::swap(a.xoffset, b.xoffset);
    std::swap(a.yoffset, b.yoffset);
    std::swap(a.numpoints, b.numpoints);
    std::swap(a.points, b.points);
    std::swap(a.width, b.width);
    std::swap(a.height, b.height);
}

void ResizeParts(int count)
{
    VectorPart* parts = count > 0 ? new VectorPart[count] : nullptr;
    for (int i = 0; g_parts && i < count && i < g_numParts; ++i) SwapParts(parts[i], g_parts[i]);
    delete[] g_parts;
    g_parts = parts;
    g_numParts = count;
}

}  // namespace

int AppendPart(const char* fileName)
{
    const int index = g_parts ? g_numParts : 0;
    if (index >= MAX_DATA_COUNT) return -1;
    ResizeParts(index + 1);
    SetPartTexture(index, g_parts[index], fileName);
    if (g_parts[index].primaryVertexBuffer) return index;
    ResizeParts(index);
    return -1;
}

void DropLastPart()
{
    if (g_parts && g_numParts > 0) ResizeParts(g_numParts - 1);
}

void SetPartPoints(VectorPart& part, const std::vector<PartPoint>& points)
{
    delete[] part.points;
    part.points = points.empty() ? nullptr : new PartPoint[points.size()];
    std::copy(points.begin(), points.end(), part.points);
    part.numpoints = static_cast<int>(points.size());
}

std::vector<PartPoint> PartPoints(const VectorPart& part)
{
    return part.points ? std::vector<PartPoint>(part.points, part.points + part.numpoints) : std::vector<PartPoint>();
}

void SetPartTexture(int index, VectorPart& part, const char* fileName)
{
    char text[MAX_DATA_LINE + 32];
    std::snprintf(text, sizeof text, "Part: %d %s", index, fileName ? fileName : "");
    WriteLog(text);
    part.index = index;
    part.yoffset = 0.0f;
    part.xoffset = 0.0f;
    part.numpoints = 0;
    delete[] part.points;
    part.points = nullptr;
    part.primaryVertexBuffer = part.InitPart(fileName);
    part.width = part.imageWidth;
    part.height = part.imageHeight;
}

IDirect3DVertexBuffer8* VectorPart::InitPart(const char* fileName)
{
    ReleaseTiles(*this);
    std::free(textureFile);
    textureFile = CopyText(fileName);

    IDirect3DTexture8* whole = nullptr;
    D3DXIMAGE_INFO info = {};
    HRESULT loaded = E_FAIL;
    if (g_device && fileName) {
        loaded = D3DXCreateTextureFromFileExA(g_device, fileName, 0, 0, 0, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED,
                                              D3DX_FILTER_NONE, D3DX_DEFAULT, 0, &info, nullptr, &whole);
    }
    if (FAILED(loaded) || !whole) {
        WriteLog("Error loading vector part");
        return nullptr;
    }

    // The tile tables hold 5 x 5; an image needing more (or a device that reports no
    // texture size to cut by) is refused like an unreadable one.
    double across = g_maxTextureWidth ? static_cast<double>(info.Width) / g_maxTextureWidth : 0.0;
    double down = g_maxTextureHeight ? static_cast<double>(info.Height) / g_maxTextureHeight : 0.0;
    if (!g_maxTextureWidth || !g_maxTextureHeight || across > TILE_GRID || down > TILE_GRID) {
        whole->Release();
        WriteLog("Error loading vector part");
        return nullptr;
    }
    imageWidth = info.Width;
    imageHeight = info.Height;
    tilesAcross = static_cast<int>(std::ceil(across));
    tilesDown = static_cast<int>(std::ceil(down));

    for (int r = 0; r < tilesDown; ++r) {
        for (int c = 0; c < tilesAcross; ++c) {
            int w = static_cast<int>(imageWidth / tilesAcross);
            int h = static_cast<int>(imageHeight / tilesDown);
            tileWidths[c][r] = w;
            tileHeights[c][r] = h;
            RECT source = {c * w, r * h, c * w + w, r * h + h};

            D3DXCreateTexture(g_device, w, h, 1, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED, &tileTextures[c][r]);
            IDirect3DTexture8* tile = tileTextures[c][r];
            if (!tile) {
                // Nothing to load into or to size the quad by: the tile stays empty.
                WriteLog("InitPart: tile texture not created");
                continue;
            }
            IDirect3DSurface8* surface = nullptr;
            if (SUCCEEDED(tile->GetSurfaceLevel(0, &surface)) && surface) {
                D3DXLoadSurfaceFromFileA(surface, nullptr, nullptr, fileName, &source, D3DX_FILTER_NONE, 0, nullptr);
                surface->Release();
            }
            D3DSURFACE_DESC desc = {};
            tile->GetLevelDesc(0, &desc);

            g_device->CreateVertexBuffer(4 * sizeof(QuadVertex), D3DUSAGE_WRITEONLY, QUAD_FVF, D3DPOOL_MANAGED,
                                         &tileVertexBuffers[c][r]);
            IDirect3DVertexBuffer8* buffer = tileVertexBuffers[c][r];
            if (!buffer) {
                tile->Release();
                tileTextures[c][r] = nullptr;
                whole->Release();
                WriteLog("InitPart: Vertices is NULL");
                return nullptr;
            }

            BYTE* data = nullptr;
            if (SUCCEEDED(buffer->Lock(0, 4 * sizeof(QuadVertex), &data, 0)) && data) {
                QuadVertex* vertices = reinterpret_cast<QuadVertex*>(data);
                // The device may have enlarged the texture; sample only the loaded area.
                float uMax = desc.Width ? static_cast<float>(w) / static_cast<float>(desc.Width) : 1.0f;
                float vMax = desc.Height ? static_cast<float>(h) / static_cast<float>(desc.Height) : 1.0f;
                FillQuadVertices(vertices, w, h, uMax, vMax, 0xFFFFFFFF);
                float dx = w / 2.0f + (c - tilesAcross / 2.0f) * w;
                float dy = h / 2.0f + (r - tilesDown / 2.0f) * h;
                for (int i = 0; i < 4; ++i) {
                    vertices[i].x += dx;
                    vertices[i].y -= dy;
                }
                buffer->Unlock();
            }
        }
    }
    whole->Release();
    return tileVertexBuffers[0][0];
}

void VectorPart::Draw()
{
    IDirect3DDevice8* device = g_device;
    if (!device) return;
    for (int row = 0; row < tilesDown && row < TILE_GRID; ++row) {
        for (int column = 0; column < tilesAcross && column < TILE_GRID; ++column) {
            // A part whose building stopped part-way keeps counts for tiles it never made.
            IDirect3DVertexBuffer8* buffer = tileVertexBuffers[column][row];
            if (!buffer) continue;
            device->SetTexture(0, tileTextures[column][row]);
            device->SetVertexShader(QUAD_FVF);
            device->SetStreamSource(0, buffer, sizeof(QuadVertex));
            device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
        }
    }
}

void FillQuadVertices(QuadVertex* vertices, int width, int height, float uMax, float vMax, DWORD colour)
{
    const float halfW = width / 2.0f;
    const float halfH = height / 2.0f;
    const QuadVertex quad[4] = {
        {-halfW, halfH, 0.0f, colour, 0.0f, 0.0f},
        {halfW, halfH, 0.0f, colour, uMax, 0.0f},
        {halfW, -halfH, 0.0f, colour, uMax, vMax},
        {-halfW, -halfH, 0.0f, colour, 0.0f, vMax},
    };
    for (int i = 0; i < 4; ++i) vertices[i] = quad[i];
}
