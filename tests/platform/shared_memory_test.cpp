// Named shared blocks as the updater meets them: opened only when they exist,
// never made by a reader, and gone with their last holder.
#include "platform/shared_memory.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vt::platform {
namespace {

TEST(SharedMemoryTest, AReaderOpensOnlyWhatExistsAndSeesItsBytes) {
    const std::string name = "tessel_test_block_reader";
    SharedMemory reader;
    EXPECT_FALSE(SharedMemory::Exists(name));
    EXPECT_EQ(reader.OpenExisting(name, 64), SharedMemory::Result::kFailed);
    EXPECT_EQ(reader.data(), nullptr);
    EXPECT_FALSE(SharedMemory::Exists(name));  // the failed open made nothing

    SharedMemory writer;
    ASSERT_EQ(writer.CreateOrOpen(name, 64), SharedMemory::Result::kCreated);
    std::memcpy(writer.data(), "record", 7);
    EXPECT_TRUE(SharedMemory::Exists(name));
    ASSERT_EQ(reader.OpenExisting(name, 64), SharedMemory::Result::kOpenedExisting);
    EXPECT_STREQ(reinterpret_cast<const char*>(reader.data()), "record");
    EXPECT_EQ(reader.size(), 64u);

    // The block lives while any holder has it.
    writer.Release();
    EXPECT_TRUE(SharedMemory::Exists(name));
    reader.Release();
    EXPECT_FALSE(SharedMemory::Exists(name));
}

TEST(SharedMemoryTest, AViewLongerThanTheBlockIsRefused) {
    const std::string name = "tessel_test_block_short";
    SharedMemory writer;
    ASSERT_EQ(writer.CreateOrOpen(name, 100), SharedMemory::Result::kCreated);
    SharedMemory reader;
    EXPECT_EQ(reader.OpenExisting(name, 1 << 20), SharedMemory::Result::kFailed);
    EXPECT_EQ(reader.data(), nullptr);
}

}  // namespace
}  // namespace vt::platform
