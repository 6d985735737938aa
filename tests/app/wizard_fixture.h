// wizard_fixture.h - a wizard in a fake shell, with settings of its own:
// the registry key is emptied before and after each test.
#pragma once

#include <gtest/gtest.h>

#include "app/wizard.h"
#include "platform/registry.h"
#include "tests/app/fake_shell.h"

namespace tessaly::test {

class WizardTest : public ::testing::Test {
protected:
    FakeShell shell;
    ArchiveRun run;
    Wizard wizard{shell, run};

    void SetUp() override {
        registryDeleteKey(RegistryHive::CurrentUser, "Software\\Velmo");
        loadSettings(wizard.settings);
    }
    void TearDown() override { registryDeleteKey(RegistryHive::CurrentUser, "Software\\Velmo"); }
};

}  // namespace tessaly::test
