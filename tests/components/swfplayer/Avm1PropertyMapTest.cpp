// An object's own properties: order, lookups and erasures, also at the sizes
// a hostile movie can make.

#include "avm1/Object.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vidorama::swf::avm1 {
namespace {

std::vector<std::string> Names(const PropertyMap& map) {
    std::vector<std::string> names;
    for (const Property& property : map.entries())
        names.push_back(property.name);
    return names;
}

void Add(PropertyMap& map, const std::string& name, double value) {
    map.insert(name, name).value = Value::number(value);
}

TEST(Avm1PropertyMap, ErasuresKeepTheOrderAndValuesOfTheRest) {
    PropertyMap map;
    for (int i = 0; i < 5; ++i)
        Add(map, std::string(1, char('a' + i)), i);
    EXPECT_TRUE(map.erase(std::string("b")));
    EXPECT_FALSE(map.erase(std::string("b")));
    EXPECT_TRUE(map.erase(std::string("d")));
    EXPECT_EQ(map.size(), 3u);
    EXPECT_EQ(map.find("b"), nullptr);
    ASSERT_NE(map.find("e"), nullptr);
    EXPECT_EQ(map.find("e")->value.asNumber(), 4);
    EXPECT_EQ(Names(map), (std::vector<std::string>{"a", "c", "e"}));
    // A name made again after its erasure is the newest property.
    Add(map, "b", 10);
    EXPECT_EQ(Names(map), (std::vector<std::string>{"a", "c", "e", "b"}));
    EXPECT_EQ(map.find("c")->value.asNumber(), 2);
    EXPECT_EQ(map.find("b")->value.asNumber(), 10);

    const std::string some[] = {"a", "e", "missing"};
    map.erase(some);
    EXPECT_EQ(Names(map), (std::vector<std::string>{"c", "b"}));
}

// A script may delete the properties of a large object one at a time; each
// erasure must not cost the size of the object, or the frame never ends.
TEST(Avm1PropertyMap, ALargeObjectEmptiedOneByOneStaysConsistent) {
    constexpr int kCount = 300000;
    PropertyMap map;
    for (int i = 0; i < kCount; ++i)
        Add(map, std::to_string(i), i);
    for (int i = 0; i < kCount; i += 2)
        ASSERT_TRUE(map.erase(std::to_string(i)));
    EXPECT_EQ(map.size(), std::size_t(kCount / 2));
    for (int i = 1; i < kCount; i += 2) {
        const Property* property = map.find(std::to_string(i));
        ASSERT_NE(property, nullptr) << i;
        ASSERT_EQ(property->value.asNumber(), i);
    }
    const std::vector<Property>& rest = map.entries();
    ASSERT_EQ(rest.size(), std::size_t(kCount / 2));
    EXPECT_EQ(rest.front().name, "1");
    EXPECT_EQ(rest.back().name, std::to_string(kCount - 1));
    for (int i = kCount - 1; i > 0; i -= 2)
        ASSERT_TRUE(map.erase(std::to_string(i)));
    EXPECT_EQ(map.size(), 0u);
    EXPECT_TRUE(map.entries().empty());
}

} // namespace
} // namespace vidorama::swf::avm1
