// Count stores: which descriptions are accepted, and what the server answers
// when its shared store cannot be reached.
#include <gtest/gtest.h>

#include "count_store.h"
#include "exchange_client.h"
#include "server_fixture.h"

namespace vt::test {
namespace {

TEST(CountStore, DescriptionsAreCheckedBeforeUse) {
    for (const char* bad : {"", "redis", "redis://", "redis://host", "redis://:6379",
                            "redis://host:0", "redis://host:70000", "redis://host:6x79",
                            "memcached://host:1", "redis://host:1/two words"}) {
        std::string error;
        EXPECT_EQ(server::MakeCountStore(bad, error), nullptr) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    std::string error;
    auto local = server::MakeCountStore("local", error);
    ASSERT_TRUE(local);
    EXPECT_TRUE(local->Add("usage", "7"));
    EXPECT_TRUE(local->Add("usage", "7"));
    std::map<std::string, long> counts;
    EXPECT_TRUE(local->Read("usage", counts));
    EXPECT_EQ(counts, (std::map<std::string, long>{{"7", 2}}));
    auto redis = server::MakeCountStore("redis://localhost:6379", error);
    ASSERT_TRUE(redis);
    EXPECT_EQ(redis->Describe(), "redis localhost:6379 (keys tessel:*)");
}

class UnreachableStore : public ServerFixture {
  protected:
    void SetUp() override {
        // Nothing listens on port 1: every use of the store fails at once.
        countStore_ = "redis://127.0.0.1:1/test";
        ServerFixture::SetUp();
    }
};

TEST_F(UnreachableStore, PingsAreNotReportedAsCounted) {
    std::string form, answer;
    net::AppendQueryParam(form, "PlugId", "3");
    ASSERT_TRUE(net::SecureExchange(form, Url("/Interfaces/StatisticsPlugPopu.aspx"), kCatalogueKey,
                                    answer));
    EXPECT_EQ(answer, "code=500");
    EXPECT_TRUE(tessel_->UsageCounts().empty());
    // The rest of the server is unaffected.
    EXPECT_EQ(AskStamp(Url("")).size(), 32u);
    auto status = Client().Get("/Status");
    ASSERT_TRUE(status);
    EXPECT_NE(status->body.find("count store: redis 127.0.0.1:1 (keys test:*) (unreachable)"),
              std::string::npos)
        << status->body;
    auto page = Client().Get("/Statistics/ZPQStatistics.html");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
}

}  // namespace
}  // namespace vt::test
