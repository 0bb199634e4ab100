// One QApplication for the whole run of a widget test executable, with the form layer prepared;
// every window is gone before the application goes.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/form_layer.h"

namespace {

class QtEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "vistametra-tests";
        static char* argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
        vm::InitFormLayer();
    }
    void TearDown() override {
        vm::ReleaseAllWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication* m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const g_qt =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
