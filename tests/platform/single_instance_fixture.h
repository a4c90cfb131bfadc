// What the single-instance tests share: a sandbox, an inbox for the requests
// a listening instance receives, and the instance itself, declared in that
// order so that the listener stops before the inbox it fills goes away.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/single_instance.h"
#include "tests/support/sandbox.h"

namespace harbrook::platform {

struct Inbox {
    std::mutex mutex;
    std::vector<std::string> requests;
    SingleInstance::RequestHandler Handler() {
        return [this](const std::string& r, const SingleInstance::Reply&) {
            std::lock_guard lock(mutex);
            requests.push_back(r);
        };
    }
    std::vector<std::string> Get() {
        std::lock_guard lock(mutex);
        return requests;
    }
};

class SingleInstanceTest : public ::testing::Test {
  protected:
    // Claims the folder (the sandbox when none is given) and listens there.
    void ClaimAndListen(const std::filesystem::path& folder = {}) {
        ASSERT_EQ(first.TryClaim(folder.empty() ? sandbox.root() : folder),
                  SingleInstance::Claim::First);
        ASSERT_TRUE(first.Listen(inbox.Handler()));
    }

    test::Sandbox sandbox;
    Inbox inbox;
    SingleInstance first;
};

}  // namespace harbrook::platform
