// One QGuiApplication for the whole test executable: fonts, metrics and painting need it.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <memory>

namespace {

int argc = 1;
char arg0[] = "print_qt_test";
char* argv[] = {arg0, nullptr};

class GuiApplication : public ::testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<QGuiApplication>(argc, argv); }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QGuiApplication> app_;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new GuiApplication);

} // namespace
