// A tessel-server instance on 127.0.0.1 (free port) over a demo catalogue in a
// temporary directory, for the tests that talk to it with the program's own
// client code.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>
#include <thread>

#include "demo_catalogue.h"
#include "http_server.h"
#include "platform/system.h"
#include "server_routes.h"
#include "support/temp_dir.h"

namespace vt::test {

class ServerFixture : public ::testing::Test {
  protected:
    // Bounds and count store of the server under test; a test may change
    // them between Stop and Start.
    server::HttpServerOptions options_;
    std::string countStore_ = "local";

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(server::WriteDemoCatalogue(root_.path(), error)) << error;
        Start();
    }
    void TearDown() override { Stop(); }

    void Start() {
        http_ = std::make_unique<server::HttpServer>(
            options_, [this](const server::HttpRequest& req, server::HttpResponse& res) {
                tessel_->Handle(req, res);
            });
        port_ = http_->Bind("127.0.0.1", 0);
        ASSERT_GT(port_, 0);
        server::ServerConfig config;
        config.root = root_.path();
        config.publicUrl = Url("");
        config.log = false;
        std::string error;
        auto counts = server::MakeCountStore(countStore_, error);
        ASSERT_TRUE(counts) << error;
        tessel_ = std::make_unique<server::TesselServer>(config, std::move(counts));
        thread_ = std::thread([this] { http_->Run(); });
        for (int i = 0; i < 400 && !http_->IsRunning(); ++i)
            platform::SleepMs(5);
        ASSERT_TRUE(http_->IsRunning());
    }
    void Stop() {
        if (http_)
            http_->Stop();
        if (thread_.joinable())
            thread_.join();
        http_.reset();
    }

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    httplib::Client Client() const { return httplib::Client("127.0.0.1", port_); }

    TempDir root_;
    TempDir work_;
    int port_ = 0;
    std::unique_ptr<server::HttpServer> http_;
    std::unique_ptr<server::TesselServer> tessel_;
    std::thread thread_;
};

}  // namespace vt::test
