// The runner's dumps as nlohmann-json writes them (tools/dump.h).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tools/dump.h"

TEST(DumpJson, MembersKeepTheOrderTheyAreWrittenIn)
{
    DumpJson json = DumpJson::object();
    json["b"] = 1;
    json["a"] = DumpJson::array({2, DumpJson::object(), nullptr});
    json["c"] = true;
    EXPECT_EQ(DumpText(json), R"({"b":1,"a":[2,{},null],"c":true})");
}

TEST(DumpJson, FloatsReadBackToTheSameSinglePrecisionValue)
{
    for (float value : {0.1f, 1.0f / 3.0f, -2000.0f, 0.0174532924f, 1e-7f, 3.4e38f, 2.3f}) {
        const std::string text = DumpText(DumpJson(value));
        EXPECT_EQ(DumpJson::parse(text).get<float>(), value) << text;
        EXPECT_EQ(static_cast<float>(std::stod(text)), value) << text;
    }
    // No float, whatever it holds, makes the document unreadable.
    DumpJson json = DumpJson::object();
    json["inf"] = -std::numeric_limits<float>::infinity();
    json["nan"] = std::nanf("");
    json["max"] = std::numeric_limits<float>::max();
    EXPECT_EQ(DumpText(json), R"({"inf":null,"nan":null,"max":3.4028235e+38})");
    EXPECT_FALSE(DumpJson::parse(DumpText(json), nullptr, false).is_discarded());
}

TEST(DumpJson, StringsEscapeQuotesControlsAndHighBytesAsLatin1)
{
    const DumpJson json = DumpJson::array({DumpString("a\"b\\c\n\x01\xe9\x7f"), DumpString(nullptr)});
    EXPECT_EQ(DumpText(json), "[\"a\\\"b\\\\c\\n\\u0001\\u00e9\\u007f\",null]");
}
