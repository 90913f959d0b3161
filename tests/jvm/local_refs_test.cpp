// The local-reference owner against a JNI function table that records every deletion.
#include "jni/local_refs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<jobject> deleted;

void JNICALL recordDelete(JNIEnv*, jobject ref) { deleted.push_back(ref); }

jobject fakeRef(int n) { return reinterpret_cast<jobject>(static_cast<std::uintptr_t>(0x1000 + n)); }

TEST(LocalRefs, DeletesWhatItKeepsOnceAndNeitherNullNorWhatItReleased) {
    JNINativeInterface_ table{};
    table.DeleteLocalRef = recordDelete;
    JNIEnv env{};
    env.functions = &table;
    deleted.clear();
    jobject returned = nullptr;
    {
        LocalRefs refs(&env);
        EXPECT_EQ(refs.keep(fakeRef(1)), fakeRef(1));
        EXPECT_EQ(refs.keep(static_cast<jclass>(nullptr)), nullptr);
        auto kept = static_cast<jstring>(refs.keep(fakeRef(2)));
        refs.keep(fakeRef(3));
        returned = refs.release(kept);
        EXPECT_TRUE(deleted.empty());
    }
    EXPECT_EQ(returned, fakeRef(2));
    EXPECT_EQ(deleted, (std::vector<jobject>{fakeRef(1), fakeRef(3)}));
}

}  // namespace
