// A tessel-server instance on 127.0.0.1 (free port) over a demo catalogue in a
// temporary directory, for the tests that talk to it with the program's own
// client code.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>
#include <thread>

#include "demo_catalogue.h"
#include "platform/system.h"
#include "server_routes.h"
#include "support/temp_dir.h"

namespace vt::test {

class ServerFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(server::WriteDemoCatalogue(root_.path(), error)) << error;
        port_ = http_.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        server::ServerConfig config;
        config.root = root_.path();
        config.publicUrl = Url("");
        config.log = false;
        tessel_ = std::make_unique<server::TesselServer>(config);
        tessel_->Install(http_);
        thread_ = std::thread([this] { http_.listen_after_bind(); });
        for (int i = 0; i < 200 && !http_.is_running(); ++i)
            platform::SleepMs(5);
    }
    void TearDown() override {
        http_.stop();
        if (thread_.joinable())
            thread_.join();
    }

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    httplib::Client Client() const { return httplib::Client("127.0.0.1", port_); }

    TempDir root_;
    TempDir work_;
    int port_ = 0;
    httplib::Server http_;
    std::unique_ptr<server::TesselServer> tessel_;
    std::thread thread_;
};

}  // namespace vt::test
