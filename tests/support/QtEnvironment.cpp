// One application object for every test of this program that builds widgets.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { app_ = new QApplication(argc_, argv_); }
    void TearDown() override { delete app_; }

private:
    int argc_ = 1;
    char name_[16] = "tests";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
