// The Windows shell tests run on an OLE apartment thread, as the program's
// user-interface thread does, with GDI+ for the skinned windows.
#include <ole2.h>

#include <gtest/gtest.h>

#include <memory>

#include "ui/gdiplus_session.h"

namespace {

class OleEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        gdiplus_ = std::make_unique<vt::ui::GdiplusSession>();
    }
    void TearDown() override {
        gdiplus_.reset();
        ::OleUninitialize();
    }

  private:
    std::unique_ptr<vt::ui::GdiplusSession> gdiplus_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

}  // namespace
