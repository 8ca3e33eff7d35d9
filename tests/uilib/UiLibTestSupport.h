// Shared by the UI library tests: a fixture whose configuration folder (XDG_CONFIG_HOME) is a
// fresh temporary folder, and which collects the messages HandleException would have shown.
#pragma once

#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class ConfigHomeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The file of the program's registry key "Software\Marrowfield\Quillmark".
    std::string ProgramConfigFile() const { return Dir / "Marrowfield/Quillmark.conf"; }
    // Runs posted calls and releases objects whose deletion was deferred.
    static void ProcessEvents();

    TempDir Dir;
    std::vector<std::string> Errors;
};
