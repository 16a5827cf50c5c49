#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "json_reader.h"
#include "tools/json_writer.h"

TEST(JsonWriter, NestsObjectsAndArraysWithCommasOnlyBetweenValues)
{
    JsonWriter json;
    json.BeginObject();
    json.Member("a", 1);
    json.Key("b");
    json.BeginArray();
    json.Int(2);
    json.BeginObject();
    json.EndObject();
    json.Null();
    json.EndArray();
    json.MemberBool("c", true);
    json.EndObject();
    EXPECT_EQ(json.Text(), R"({"a":1,"b":[2,{},null],"c":true})");
}

TEST(JsonWriter, FloatsReadBackToTheSameSinglePrecisionValue)
{
    for (float value : {0.1f, 1.0f / 3.0f, -2000.0f, 0.0174532924f, 1e-7f, 3.4e38f}) {
        JsonWriter json;
        json.Float(value);
        EXPECT_EQ(static_cast<float>(std::strtod(json.Text().c_str(), nullptr)), value) << json.Text();
    }
    // No float, whatever it holds, makes the document unreadable.
    JsonWriter json;
    json.BeginObject();
    json.Member("inf", -std::numeric_limits<float>::infinity());
    json.Member("nan", std::nanf(""));
    json.Member("max", std::numeric_limits<float>::max());
    json.EndObject();
    EXPECT_EQ(json.Text(), R"({"inf":null,"nan":null,"max":3.40282347e+38})");
    JsonValue value;
    EXPECT_TRUE(JsonReader::Parse(json.Text(), value));
}

TEST(JsonWriter, StringsEscapeQuotesControlsAndHighBytes)
{
    JsonWriter json;
    json.String("a\"b\\c\n\x01\xe9");
    json.String(nullptr);
    EXPECT_EQ(json.Text(), "\"a\\\"b\\\\c\\n\\u0001\\u00e9\",null");
}
