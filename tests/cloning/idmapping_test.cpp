#include "db/idmapping.h"

#include <gtest/gtest.h>

#include <vector>

#include "db/database.h"

namespace {

// Many keys: each found with its own pair, in assignment order; a key assigned again keeps
// its place; deleting one leaves the others found.
TEST(IdMapping, ManyKeysStayFoundThroughGrowthAndDeletion) {
    std::vector<AcDbStub> sources(3000), clones(3000);
    AcDbIdMapping map;
    for (size_t i = 0; i < sources.size(); ++i)
        ASSERT_EQ(map.assign(AcDbIdPair(AcDbObjectId(&sources[i]), AcDbObjectId(&clones[i]), true)), Acad::eOk);
    EXPECT_EQ(map.assign(AcDbIdPair(AcDbObjectId::kNull, AcDbObjectId(&clones[0]), true)), Acad::eNullObjectId);
    map.assign(AcDbIdPair(AcDbObjectId(&sources[7]), AcDbObjectId(&clones[8]), false));
    ASSERT_EQ(map.pairs().size(), sources.size());
    EXPECT_EQ(map.pairs()[7].value().stub(), &clones[8]);

    EXPECT_TRUE(map.del(AcDbObjectId(&sources[100])));
    EXPECT_FALSE(map.del(AcDbObjectId(&sources[100])));
    AcDbIdPair missing{AcDbObjectId(&clones[5]), AcDbObjectId::kNull, false};
    EXPECT_FALSE(map.compute(missing));
    for (size_t i = 0; i < sources.size(); ++i) {
        AcDbIdPair pair{AcDbObjectId(&sources[i]), AcDbObjectId::kNull, false};
        EXPECT_EQ(map.compute(pair), i != 100);
        if (i == 100 || i == 7) continue;
        EXPECT_EQ(pair.value().stub(), &clones[i]);
        EXPECT_TRUE(pair.isCloned());
    }
    EXPECT_EQ(map.pairs()[100].key().stub(), &sources[101]);
    AcDbIdPair changed{AcDbObjectId(&sources[9]), AcDbObjectId(&clones[0]), true};
    EXPECT_TRUE(map.change(changed));
    AcDbIdPair read{AcDbObjectId(&sources[9]), AcDbObjectId::kNull, false};
    ASSERT_TRUE(map.compute(read));
    EXPECT_EQ(read.value().stub(), &clones[0]);
}

}  // namespace
