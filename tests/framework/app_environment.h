// One application object for the whole test program: the framework's handle
// maps live in it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "framework/appcore.h"

class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override { m_app = std::make_unique<Casement::CWinApp>(); }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<Casement::CWinApp> m_app;
};

inline ::testing::Environment* const g_appEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);
