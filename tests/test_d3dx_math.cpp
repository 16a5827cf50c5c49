#include <gtest/gtest.h>
#include <d3dx8.h>

#include <cmath>
#include <cstring>

namespace {

void ExpectMatrix(const D3DXMATRIX& m, const float expected[16], float tolerance = 1e-6f)
{
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i / 4][i % 4], expected[i], tolerance) << "element " << i;
}

TEST(D3dxMath, BuildersMatchTheirDefinitions)
{
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 3, -4, 5);
    const float translation[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 3, -4, 5, 1};
    ExpectMatrix(m, translation);

    const float a = 0.5f, c = std::cos(a), s = std::sin(a);
    D3DXMatrixRotationZ(&m, a);
    const float rz[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ExpectMatrix(m, rz);
    D3DXMatrixRotationY(&m, a);
    const float ry[16] = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
    ExpectMatrix(m, ry);
    D3DXMatrixRotationX(&m, a);
    const float rx[16] = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
    ExpectMatrix(m, rx);

    D3DXMatrixPerspectiveFovLH(&m, 0.7853982f, 4.0f / 3.0f, 1.0f, 2000.0f);
    const float h = 1.0f / std::tan(0.7853982f / 2), w = h * 0.75f, q = 2000.0f / 1999.0f;
    const float proj[16] = {w, 0, 0, 0, 0, h, 0, 0, 0, 0, q, 1, 0, 0, -q, 0};
    ExpectMatrix(m, proj, 1e-5f);

    const D3DXVECTOR3 eye(0, 0, 0), at(0, 0, 1), up(0, 1, 0);
    D3DXMatrixLookAtLH(&m, &eye, &at, &up);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ExpectMatrix(m, identity);
}

TEST(D3dxMath, PointsTurnAndMoveAsTheGameExpects)
{
    // 90 degrees counter-clockwise about z, then a translation: A * B applies A first.
    D3DXMATRIX rotation, translation, both;
    D3DXMatrixRotationZ(&rotation, 90 * 0.0174532924f);
    D3DXMatrixTranslation(&translation, 10, 20, 0);
    D3DXMatrixMultiply(&both, &rotation, &translation);
    const D3DXVECTOR3 p(1, 0, 0);
    D3DXVECTOR4 r;
    D3DXVec3Transform(&r, &p, &both);
    EXPECT_NEAR(r.x, 10, 1e-5);
    EXPECT_NEAR(r.y, 21, 1e-5);
    EXPECT_FLOAT_EQ(r.w, 1);

    // Multiplying in place must not read half-written results.
    D3DXMatrixMultiply(&rotation, &rotation, &translation);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(rotation.m[i / 4][i % 4], both.m[i / 4][i % 4]);

    // Transform keeps w: no division.
    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, 0.7853982f, 1.0f, 1.0f, 2000.0f);
    const D3DXVECTOR3 far(0, 0, 800);
    D3DXVec3Transform(&r, &far, &proj);
    EXPECT_FLOAT_EQ(r.w, 800);

    D3DXMATRIX mirror;
    D3DXMatrixRotationY(&mirror, 180 * 0.0174532924f);
    D3DXVec3Transform(&r, &p, &mirror);
    EXPECT_NEAR(r.x, -1, 1e-6);
}

TEST(D3dxMath, InverseAndUnprojectUndoTheirCounterparts)
{
    D3DXMATRIX a, b, m, inverse, product;
    D3DXMatrixRotationZ(&a, 0.3f);
    D3DXMatrixTranslation(&b, 5, -7, 800);
    D3DXMatrixMultiply(&m, &a, &b);
    float det = 0;
    ASSERT_NE(D3DXMatrixInverse(&inverse, &det, &m), nullptr);
    EXPECT_NEAR(det, 1.0f, 1e-5);
    D3DXMatrixMultiply(&product, &m, &inverse);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(product.m[i / 4][i % 4], i % 5 == 0 ? 1 : 0, 1e-5);

    D3DXMATRIX zero;
    std::memset(&zero, 0, sizeof zero);
    EXPECT_EQ(D3DXMatrixInverse(&inverse, &det, &zero), nullptr);

    D3DVIEWPORT8 viewport = {0, 0, 1024, 768, 0.0f, 1.0f};
    D3DXMATRIX proj, view, world;
    D3DXMatrixPerspectiveFovLH(&proj, 0.7853982f, 1024.0f / 768.0f, 1.0f, 2000.0f);
    D3DXMatrixTranslation(&view, 320, -640, 800);
    D3DXMatrixRotationZ(&world, 0.7f);
    const D3DXVECTOR3 point(-300, 620, 0);
    D3DXVECTOR3 screen, back;
    D3DXVec3Project(&screen, &point, &viewport, &proj, &view, &world);
    D3DXVec3Unproject(&back, &screen, &viewport, &proj, &view, &world);
    EXPECT_NEAR(back.x, point.x, 0.05);
    EXPECT_NEAR(back.y, point.y, 0.05);
    EXPECT_NEAR(back.z, point.z, 0.05);

    // The centre of the screen on the near plane lies on the view axis at distance 1.
    const D3DXVECTOR3 centre(512, 384, 0);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    D3DXVec3Unproject(&back, &centre, &viewport, &proj, &identity, &identity);
    EXPECT_NEAR(back.x, 0, 1e-4);
    EXPECT_NEAR(back.y, 0, 1e-4);
    EXPECT_NEAR(back.z, 1, 1e-4);
    // Top of the screen is +y in the world.
    const D3DXVECTOR3 top(512, 0, 0);
    D3DXVec3Unproject(&back, &top, &viewport, &proj, &identity, &identity);
    EXPECT_GT(back.y, 0);
}

TEST(D3dxMath, RayHitsAndMissesTriangles)
{
    const D3DXVECTOR3 p0(0, 0, 10), p1(10, 0, 10), p2(0, 10, 10);
    const D3DXVECTOR3 forward(0, 0, 1);
    float u = -1, v = -1, dist = -1;
    const D3DXVECTOR3 inside(2, 3, 0);
    EXPECT_TRUE(D3DXIntersectTri(&p0, &p1, &p2, &inside, &forward, &u, &v, &dist));
    EXPECT_NEAR(u, 0.2, 1e-6);
    EXPECT_NEAR(v, 0.3, 1e-6);
    EXPECT_NEAR(dist, 10, 1e-5);

    const D3DXVECTOR3 outside(8, 8, 0);
    EXPECT_FALSE(D3DXIntersectTri(&p0, &p1, &p2, &outside, &forward, &u, &v, &dist));
    const D3DXVECTOR3 backward(0, 0, -1);
    EXPECT_FALSE(D3DXIntersectTri(&p0, &p1, &p2, &inside, &backward, &u, &v, &dist));
    const D3DXVECTOR3 parallel(1, 0, 0);
    EXPECT_FALSE(D3DXIntersectTri(&p0, &p1, &p2, &inside, &parallel, &u, &v, &dist));
    // The game passes null for the outputs it does not need.
    EXPECT_TRUE(D3DXIntersectTri(&p0, &p1, &p2, &inside, &forward, nullptr, nullptr, nullptr));
}

TEST(D3dxErrors, NamesUnknownCodesAndTruncation)
{
    char buffer[250];
    D3DXGetErrorStringA(D3DERR_NOTAVAILABLE, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "D3DERR_NOTAVAILABLE");
    D3DXGetErrorStringA(E_OUTOFMEMORY, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "E_OUTOFMEMORY");
    D3DXGetErrorStringA(D3DXERR_INVALIDDATA, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "D3DXERR_INVALIDDATA");
    D3DXGetErrorStringA(S_OK, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "S_OK");
    D3DXGetErrorStringA(0x12345, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Unrecognized error: 0x00012345");

    char small[8];
    std::memset(small, 'x', sizeof small);
    D3DXGetErrorStringA(D3DERR_NOTAVAILABLE, small, 5);
    EXPECT_STREQ(small, "D3DE");
    EXPECT_EQ(small[5], 'x');
    EXPECT_EQ(D3DXGetErrorStringA(E_FAIL, small, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(small[5], 'x');
}

}  // namespace
