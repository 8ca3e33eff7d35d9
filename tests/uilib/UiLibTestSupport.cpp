#include "UiLibTestSupport.h"

#include "uilib/Forms.h"

#include <QCoreApplication>
#include <QEvent>

#include <cstdlib>

void ConfigHomeTest::SetUp() {
    ::setenv("XDG_CONFIG_HOME", Dir.Path().c_str(), 1);
    ShowExceptionHook = [this](const std::string& Message) { Errors.push_back(Message); };
}

void ConfigHomeTest::TearDown() {
    ProcessEvents();
    ShowExceptionHook = nullptr;
    ::unsetenv("XDG_CONFIG_HOME");
}

void ConfigHomeTest::ProcessEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
